// Panel: the operation a step inserts, its job neighbours, and its
// candidate positions with the terms of each estimate; the candidate table
// can be copied.

import { candidateRows, mostOnOneMachine } from "./derive.js";
import { explainStep, maxTermText } from "./derivation.js";
import { byId, copyText, setText } from "./dom.js";
import { candidateTableText } from "./explain.js";
import { WindowedTable, boxHeight } from "./windowed-table.js";

// The step's headline, which screen readers announce (the page's one live
// region), kept current at every step wherever the page is scrolled.
export function createHeadline(page) {
  const { replay } = page, title = byId("op-title");
  return {
    render(v) {
      const s = v.step, op = s.op;
      title.textContent = page.tr.t("op.title", { t: v.t, op, job: replay.jobOf(op), machine: s.machine, p: replay.P[op] });
    },
  };
}

// The width of the widest max term the run can show, in the table's font
// and bold (the chosen row), measured once: the columns keep their widths
// from step to step, and no term is cut off.
function widestTerm(table, replay) {
  const style = getComputedStyle(table), context = document.createElement("canvas").getContext("2d");
  context.font = `600 ${style.fontSize} ${style.fontFamily}`;
  const op = "8".repeat(replay.opDigits), value = "8".repeat(replay.digits);
  const text = (letter, roles) => maxTermText({ terms: roles.map((role) => ({ letter, role, op, value })), value });
  return Math.ceil(Math.max(context.measureText(text("R", ["PO", "u"])).width, context.measureText(text("Q", ["NO", "v"])).width));
}

export function createOperationPanel(page) {
  const { replay } = page;
  const emptyMachine = byId("empty-machine");
  const box = byId("candidates-box"), tieRule = byId("tie-rule"), tools = byId("candidates-tools");
  box.style.height = boxHeight(mostOnOneMachine(replay) + 1);
  const table = new WindowedTable(box, 8, page.signal);
  byId("candidates").style.setProperty("--term-width", widestTerm(byId("candidates"), replay) + "px");
  const links = byId("op-links"), copyStatus = byId("copy-candidates-status");
  let shown = null, shownRows = [];

  function markOf(row, t) {
    let mark = "";
    if (row.chosen) mark = t(row.ties > 1 ? "cand.chosen-tie" : "cand.chosen");
    else if (row.best) mark = t("cand.tie");
    return row.mismatch ? mark + t("cand.mismatch") : mark;
  }

  byId("copy-candidates").onclick = async () => {
    if (!shown?.evaluated) return;
    const v = shown, { t } = page.tr;
    const labels = { position: t("cand.position"), estimate: t("cand.estimate"), mark: t("explain.mark"), marks: (r) => markOf(r, t) };
    const ok = await copyText(candidateTableText(replay, v, shownRows, labels));
    copyStatus.textContent = ok ? t("explain.copied", { t: v.t }) : t("table.copy-failed");
  };

  return {
    element: byId("op-panel"),
    measure: () => table.measure(),
    render(v) {
      const { t } = page.tr, s = v.step, op = s.op;
      shown = v;
      if (copyStatus.textContent) copyStatus.textContent = "";
      setText(links, t("explain.links", { po: replay.PO[op], no: replay.NO[op] }));
      setText(emptyMachine, v.evaluated ? "" : t("op.empty-machine", { machine: s.machine }));
      // Hidden but keeping their room, so the panels below do not move.
      box.classList.toggle("invisible", !v.evaluated);
      tieRule.classList.toggle("invisible", !v.evaluated);
      tools.classList.toggle("invisible", !v.evaluated);
      if (!v.evaluated) {
        table.show(0, null);
        return;
      }
      const rows = shownRows = candidateRows(replay, v), explained = explainStep(replay, v);
      // The chosen row revealed first, so that the rows are written where
      // they will show.
      table.show(rows.length, (i) => {
        const r = rows[i], d = explained.estimate(r.position);
        return {
          cells: [r.position, r.u, r.v, maxTermText(d.head), r.p, maxTermText(d.tail), r.estimate, markOf(r, t)],
          cls: r.chosen ? "chosen" : r.best ? "tie" : "",
        };
      }, s.position - 1);
    },
  };
}
