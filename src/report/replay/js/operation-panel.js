// Panel: the operation a step inserts and its candidate positions.

import { candidateRows, mostOnOneMachine } from "./derive.js";
import { byId } from "./dom.js";
import { WindowedTable, boxHeight } from "./windowed-table.js";

export function createOperationPanel(page) {
  const { replay } = page;
  const title = byId("op-title"), emptyMachine = byId("empty-machine");
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
    measure: () => table.measure(),
    render(v) {
      const { t } = page.tr, s = v.step, op = s.op;
      title.textContent = t("op.title", { t: v.t, op, job: replay.jobOf(op), machine: s.machine, p: replay.P[op] });
      emptyMachine.textContent = v.evaluated ? "" : t("op.empty-machine", { machine: s.machine });
      // Hidden but keeping their room, so the panels below do not move.
      box.classList.toggle("invisible", !v.evaluated);
      tieRule.classList.toggle("invisible", !v.evaluated);
      if (!v.evaluated) {
        table.show(0, null);
        return;
      }
      const rows = candidateRows(replay, v);
      table.show(rows.length, (i) => {
        const r = rows[i];
        return {
          cells: [r.position, r.u, r.v, r.head, r.p, r.tail, r.estimate, markOf(r, t)],
          cls: r.chosen ? "chosen" : r.best ? "tie" : "",
        };
      }, s.position - 1);
    },
  };
}
