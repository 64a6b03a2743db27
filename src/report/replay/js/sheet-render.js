// Worksheets and answer keys (worksheet.js) drawn as pages of paper: each
// sheet's blocks measured at the paper's width and laid out on pages
// (paging.js), every page with its header (the variant, a title) and its
// page number. The key and the worksheet are one drawing: the worksheet
// leaves the answers unpainted where they stand, so both break their
// pages at the same places.

import { layOutPages } from "./paging.js";
import { CANDIDATE_CELLS, TABLE_CELLS } from "./worksheet.js";

// <tag class=...>children</tag>; strings and numbers become text.
function el(tag, cls, ...children) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  e.append(...children.map((c) => (typeof c === "object" ? c : String(c))));
  return e;
}

// A place for an answer: the answer in it, painted on the key only.
function answerIn(tag, cls, key, answer, t) {
  const e = el(tag, cls + " ask", el("span", "answer", answer));
  e.dataset.cell = key;
  e.dataset.step = t;
  return e;
}

// A cell of a table: an answer's place when `key` is asked at the step.
const cell = (step, key, value) => (key && key in step.answers ? answerIn("td", "", key, step.answers[key], step.t) : el("td", "", value));

function table(cls, header, rows) {
  return el("table", "s-table " + cls, el("thead", "", el("tr", "", ...header.map((h) => el("th", "", h)))), el("tbody", "", ...rows));
}

// "(18 pkt)" beside a question; nothing for one that asks nothing.
const points = (tr, n) => (n > 0 ? [" ", el("span", "pts", "(" + tr.count(n, "sheet.points") + ")")] : []);
const countOf = (step, test) => Object.keys(step.answers).filter(test).length;

// A line of boxes: the operations of a sequence or the topological order.
function boxes(step, prefix, values) {
  return values.map((v, i) => {
    const key = prefix + ":" + (i + 1);
    return key in step.answers ? answerIn("span", "box", key, step.answers[key], step.t) : el("span", "box", v);
  });
}

// The blocks of sheet `ws`, in order: { el, glue, table } as paging.js
// takes them (glue: kept on the page of what follows).
function sheetBlocks(ws, tr, options) {
  const { t, count } = tr;
  const blocks = [];
  // A glued table moves as a whole with what it is glued to.
  const add = (e, glue = false) => blocks.push({ el: e, glue, table: !glue && e.tagName === "TABLE" });
  const titleKey = (ws.key ? "sheet.key-title" : "sheet.title") + (ws.from === ws.to ? "-one" : "");
  add(el("h1", "s-title", t(titleKey, { name: ws.name, from: ws.from, to: ws.to })));
  const field = (label, cls) => el("span", "s-field " + cls, label + " ", el("span", "s-blank", ""));
  add(el("div", "s-fields", field(t("sheet.student"), "wide"), field(t("sheet.number"), ""), field(t("sheet.group"), "short"),
    field(t("sheet.date"), ""), el("span", "s-field short", t("sheet.score") + " ", el("span", "s-blank", ""), " / " + ws.points)));
  if (options.code) add(el("p", "s-code", t("sheet.code-line") + " ", el("span", "code", options.code)));
  add(el("h2", "", t("sheet.instance", { jobs: count(ws.J, "count.jobs"), machines: count(ws.MC, "count.machines") })), true);
  const positions = ws.jobs[0] ? ws.jobs[0].map((_, c) => c + 1) : [];
  add(table("s-instance", [t("sheet.job"), ...positions], ws.jobs.map((ops, j) => el("tr", "", el("th", "", j + 1),
    ...ops.map((o) => el("td", "", el("b", "", o.op), " M" + o.machine + " p=" + o.p))))));
  add(el("p", "s-rules", t("sheet.rules")));
  add(el("h2", "", t("sheet.start", { t: ws.from })), true);
  add(el("div", "s-perm", ...ws.start.map((r, i) => el("div", "", "M" + (i + 1) + ": " + (r.length ? r.join(" ") : "\u2013")))));
  // The max terms give the sums away: asked for the sums alone, they are left out.
  const columns = ws.ask.includes("est") && !ws.ask.includes("terms") ? [0, 1, 2, 4, 6] : [0, 1, 2, 3, 4, 5, 6];
  const candidateHeader = [t("cand.position"), "u", "v", "max(R[PO], R[u])", "p", "max(Q[NO], Q[v])", t("cand.estimate")];
  for (const s of ws.steps) {
    add(el("h2", "s-step", t("sheet.step", s), ...points(tr, s.points)), true);
    if (s.evaluated) {
      const tablePoints = countOf(s, (k) => /^(topo|NM|PM|R|Q):/.test(k));
      add(el("h3", "", t("sheet.table"), ...points(tr, tablePoints)), true);
      const topo = "topo:1" in s.answers ? boxes(s, "topo", s.table.map(() => "")) : [el("span", "numbers", s.topo)];
      add(el("p", "s-line s-topo", t("sheet.topo") + " ", ...topo), true);
      const header = [t("sheet.lp"), "M", "p", "NO", "PO", "NM", "PM", "R", "Q"];
      add(table("s-steptable", header, s.table.map((cells) => el("tr", "", ...cells.map((c, i) => cell(s, i in TABLE_CELLS ? TABLE_CELLS[i] + ":" + cells[0] : null, c))))));
      add(el("h3", "", t("sheet.candidates", s), ...points(tr, countOf(s, (k) => /^(u|v|head|tail|est):/.test(k)))), true);
      add(table("s-candidates cols-" + columns.length, columns.map((i) => candidateHeader[i]), s.candidates.map((r) =>
        el("tr", r.chosen ? "chosen" : "", ...columns.map((i) => cell(s, i in CANDIDATE_CELLS ? CANDIDATE_CELLS[i] + ":" + r.cells[0] : null, r.cells[i]))))), true);
      // The positions, the choice and the sequence: one answer on one page.
      add(el("p", "s-line", t("sheet.position") + " ",
        "pos" in s.answers ? answerIn("span", "box", "pos", s.answers.pos, s.t) : el("span", "box", s.position), ...points(tr, countOf(s, (k) => k === "pos"))), true);
    } else {
      add(el("p", "s-note", t("sheet.empty-machine", s)), true);
    }
    add(el("p", "s-line", t("sheet.sequence", s) + " ", ...boxes(s, "seq", s.sequence), ...points(tr, countOf(s, (k) => k.startsWith("seq:")))));
  }
  if (ws.cmax) {
    const e = answerIn("span", "box wide", "cmax", ws.cmax.answer, ws.cmax.t);
    add(el("p", "s-line s-cmax", t("sheet.cmax", { t: ws.cmax.t }) + " ", e, ...points(tr, 1)));
  }
  return blocks;
}

// A page of paper: its header, the body the blocks go into, its foot.
function paper(head) {
  const body = el("div", "paper-body");
  const foot = el("div", "paper-foot");
  const left = el("span", "paper-left", head.left);
  if (head.code) left.append(" \u00b7 ", el("span", "code", head.code));
  const e = el("div", "paper", el("div", "paper-head", left, el("span", "paper-right", head.right)), body, foot);
  return { e, body, foot };
}

const height = (e) => e.getBoundingClientRect().height;

// Draws `sheets` ([{ ws, head: { left, code, right }, code }]) into `root` as
// pages; `key` paints the answers. The root must be laid out (shown), as
// the blocks are measured in it: every sheet's at once, in pages of their
// own at the paper's width, so that the browser lays them out once.
export function drawSheets(root, sheets, tr, key) {
  root.replaceChildren();
  root.classList.add("sheets");
  root.classList.toggle("key", key);
  // What a page holds: the body of an empty page.
  const empty = paper({ left: "", right: "" });
  empty.e.classList.add("measuring");
  root.append(empty.e);
  const probes = sheets.map((sheet) => {
    const blocks = sheetBlocks(sheet.ws, tr, sheet);
    // A column of the paper's width: a page's flexible box, overflowing,
    // would cost the browser many times the layout.
    const probe = el("div", "paper-body measuring");
    probe.append(...blocks.map((b) => b.el));
    root.append(probe);
    return { sheet, blocks };
  });
  const pageHeight = Math.floor(height(empty.body)) - 2;
  const measured = probes.map(({ blocks }) => {
    for (const b of blocks) {
      // Blocks have top margins only, which therefore never collapse.
      b.h = height(b.el) + parseFloat(getComputedStyle(b.el).marginTop);
      if (b.table) {
        const head = height(b.el.tHead);
        const rows = [...b.el.tBodies[0].rows].map(height);
        b.table = { head, rows, extra: b.h - head - rows.reduce((sum, x) => sum + x, 0) };
      }
    }
    return layOutPages(blocks, pageHeight);
  });
  root.replaceChildren();
  probes.forEach(({ sheet, blocks }, s) => {
    const pages = measured[s];
    pages.forEach((pieces, i) => {
      const page = paper(sheet.head);
      page.foot.textContent = tr.t("sheet.page", { page: i + 1, pages: pages.length });
      for (const { block, from, to } of pieces) {
        const b = blocks[block];
        if (!b.table || (from === 0 && to === b.table.rows.length)) {
          page.body.append(b.el);
          continue;
        }
        // A piece of a longer table, its header repeated.
        const rows = [...b.el.tBodies[0].rows].slice(from, to);
        page.body.append(el("table", b.el.className, b.el.tHead.cloneNode(true), el("tbody", "", ...rows.map((r) => r.cloneNode(true)))));
      }
      root.append(page.e);
    });
  });
}
