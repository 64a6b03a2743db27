// Panel: the operation a step inserts and its candidate positions.

import { candidateRows, mostOnOneMachine } from "./derive.js";
import { byId, setText } from "./dom.js";
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

export function createOperationPanel(page) {
  const { replay } = page;
  const emptyMachine = byId("empty-machine");
  const box = byId("candidates-box"), tieRule = byId("tie-rule");
  box.style.height = boxHeight(mostOnOneMachine(replay) + 1);
  const table = new WindowedTable(box, 8, page.signal);

  function markOf(row, t) {
    let mark = "";
    if (row.chosen) mark = t(row.ties > 1 ? "cand.chosen-tie" : "cand.chosen");
    else if (row.best) mark = t("cand.tie");
    return row.mismatch ? mark + t("cand.mismatch") : mark;
  }

  return {
    element: byId("op-panel"),
    measure: () => table.measure(),
    render(v) {
      const { t } = page.tr, s = v.step;
      setText(emptyMachine, v.evaluated ? "" : t("op.empty-machine", { machine: s.machine }));
      // Hidden but keeping their room, so the panels below do not move.
      box.classList.toggle("invisible", !v.evaluated);
      tieRule.classList.toggle("invisible", !v.evaluated);
      if (!v.evaluated) {
        table.show(0, null);
        return;
      }
      const rows = candidateRows(replay, v);
      // Scrolled first, so that the rows are written where they will show.
      table.scrollToRow(s.position - 1);
      table.show(rows.length, (i) => {
        const r = rows[i];
        return {
          cells: [r.position, r.u, r.v, r.head, r.p, r.tail, r.estimate, markOf(r, t)],
          cls: r.chosen ? "chosen" : r.best ? "tie" : "",
        };
      });
    },
  };
}
