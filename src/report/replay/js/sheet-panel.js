// Panel: the worksheet (worksheet.js) for a range of steps, or its answer
// key, shown in place of the steps as pages of paper (sheet-render.js) to
// print.

import { byId } from "./dom.js";
import { graphFits } from "./graph-scene.js";
import { drawSheets } from "./sheet-render.js";
import { sheetRangeProblem, worksheet } from "./worksheet.js";

export function createSheetPanel(page) {
  const { replay } = page;
  const from = byId("sheet-from"), to = byId("sheet-to"), message = byId("sheet-message");
  const view = byId("sheet-view"), sheet = byId("sheet");
  const fits = graphFits(replay);
  byId("sheet-tools").classList.toggle("hidden", !fits);
  let problem = fits ? null : { key: "sheet.too-big" };
  let open = null;  // { a, b, key } of the sheet shown
  let edited = false;
  from.max = to.max = replay.STEPS;
  from.oninput = to.oninput = () => { edited = true; };
  const showProblem = () => { message.textContent = problem ? page.tr.t(problem.key, problem.vars) : ""; };
  // Drawn while shown: the pages are laid out from measured blocks.
  const fill = () => {
    const { t } = page.tr;
    const ws = worksheet(replay, open.a, open.b, open.key);
    const head = { left: t(ws.from === ws.to ? "sheet.range-one" : "sheet.range", ws), right: t(open.key ? "sheet.make-key" : "sheet.heading") };
    drawSheets(sheet, [{ ws, head }], page.tr, open.key);
  };
  const close = () => {
    open = null;
    document.body.classList.remove("sheet-mode");
    view.classList.add("hidden");
    sheet.replaceChildren();
  };
  const make = (key) => {
    const a = Number(from.value), b = Number(to.value);
    problem = sheetRangeProblem(replay, a, b);
    showProblem();
    if (problem) return;
    open = { a, b, key };
    document.body.classList.add("sheet-mode");
    view.classList.remove("hidden");
    fill();
    window.scrollTo(0, 0);
    byId("sheet-close").focus();
  };
  byId("sheet-make").onclick = () => make(false);
  byId("sheet-key").onclick = () => make(true);
  byId("sheet-print").onclick = () => window.print();
  byId("sheet-close").onclick = close;
  close();
  page.signal.addEventListener("abort", close);
  showProblem();
  return {
    // Until the reader picks a range, it starts at the step shown.
    render(v) {
      if (edited) return;
      from.value = v.t;
      to.value = Math.min(replay.STEPS, v.t + 2);
    },
    retext() {
      showProblem();
      if (open) fill();
    },
  };
}
