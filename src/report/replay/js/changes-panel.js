// Panel: the R and Q that a step's insertion changed, before and after.

import { changedOps } from "./derive.js";
import { byId, setText } from "./dom.js";
import { WindowedTable, boxHeight } from "./windowed-table.js";

export function createChangesPanel(page) {
  const note = byId("changes-note"), box = byId("changes-box");
  box.style.height = boxHeight(page.replay.N);
  const table = new WindowedTable(box, 5, page.signal);
  return {
    element: byId("changes-panel"),
    measure: () => table.measure(),
    render(v) {
      const { t, count } = page.tr;
      const ops = changedOps(v);
      setText(note, ops.length > 0 ? count(ops.length, "changes.count") : t(v.evaluated ? "changes.none" : "changes.empty-machine"));
      box.classList.toggle("invisible", ops.length === 0);
      const B = v.before, A = v.after;
      table.show(ops.length, (i) => {
        const k = ops[i];
        return { cells: [k, B.R[k], A.R[k], B.Q[k], A.Q[k]], strong: (B.R[k] !== A.R[k] ? 4 : 0) | (B.Q[k] !== A.Q[k] ? 16 : 0) };
      });
    },
  };
}
