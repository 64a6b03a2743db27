// The worksheets or the answer key of a class set (jobshop-class), started
// from the data embedded in the page: every variant's replay, the steps
// and parts asked, the language. Each variant's pages carry its number and
// its instance code.

import { makeTranslator } from "./lang.js";
import { decodeReplay } from "./replay-data.js";
import { graphStrings } from "./graph-strings.js";
import { pageStrings } from "./strings.js";
import { drawSheets } from "./sheet-render.js";
import { worksheet } from "./worksheet.js";

// A code longer than this (an instance above some 5 x 5) is cut short in
// the pages' headers; the first page of the variant gives it whole.
const HEADER_CODE = 80;

function start() {
  const data = JSON.parse(document.getElementById("class-data").textContent);
  const tr = makeTranslator(data.lang, [pageStrings, graphStrings]);
  const title = data.title || tr.t("sheet.class-title");
  const right = data.key ? title + " \u2013 " + tr.t("sheet.key-word") : title;
  document.documentElement.lang = data.lang;
  document.title = right;
  const sheets = data.variants.map((v) => {
    const code = v.code.length > HEADER_CODE ? v.code.slice(0, HEADER_CODE - 1) + "\u2026" : v.code;
    return {
      ws: worksheet(decodeReplay(v.replay), data.from, data.to, data.key, data.ask),
      head: { left: tr.t("sheet.variant", { n: v.variant }), code, right },
      code: v.code,
    };
  });
  const print = document.getElementById("print");
  print.textContent = tr.t("sheet.print");
  print.onclick = () => window.print();
  document.getElementById("summary").textContent = right;
  drawSheets(document.getElementById("sheets"), sheets, tr, data.key);
}

start();
