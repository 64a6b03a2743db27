// Panel: the step's table as the trace has it (the graph before the
// insertion), its topological order, the copy button, and the machine
// sequences after the step. A search iteration shows its own table (the
// schedule before its move) and the sequences after its move, as its trace
// section does.

import { machineLinks, permutationLine, topoOrder, traceTableText } from "./derive.js";
import { byId, copyText, setText } from "./dom.js";
import { ROW_PX, WindowedLines, WindowedTable } from "./windowed-table.js";

export function createTablePanel(page) {
  const { replay } = page, { N, MC, M, P, NO, PO } = replay;
  const part = byId("table-part"), note = byId("table-note"), topo = byId("topo"), status = byId("copy-status");
  const box = byId("table-box");
  box.style.height = "min(65vh, " + Math.min(600, (N + 1) * ROW_PX + 4) + "px)";
  const table = new WindowedTable(box, 9, page.signal);
  table.reserve(N);
  const topoLines = new WindowedLines(topo, page.signal);
  const perm = byId("perm");
  // Built apart and put in at once: many machines make many lines.
  const permLines = [null], permRows = [], lines = document.createDocumentFragment();
  for (let i = 1; i <= MC; ++i) permLines.push(lines.appendChild(document.createElement("div")));
  perm.replaceChildren(lines);
  let shown = null;

  byId("copy-table").onclick = async () => {
    if (!shown) return;
    const v = shown;
    const ok = await copyText(traceTableText(replay, v));
    status.textContent = ok ? page.tr.t("table.copied", { t: v.t }) : page.tr.t("table.copy-failed");
  };

  return {
    element: byId("table-panel"),
    measure() {
      table.measure();
      topoLines.measure();
    },
    // The windows follow a resize.
    refit() {
      table.render();
      topoLines.render();
    },
    phase: "both",
    render(v) {
      shown = v;
      const after = v.search ? { rowsAfter: v.search.rowsAfterMove } : v;
      // A step changes one machine's sequence: the others keep their lines.
      for (let i = 1; i <= MC; ++i) {
        const row = after.rowsAfter[i], was = permRows[i];
        if (was && was.length === row.length && was.every((k, j) => k === row[j])) continue;
        permRows[i] = row;
        permLines[i].textContent = permutationLine(replay, after, i);
      }
      const { t } = page.tr;
      if (!v.evaluated) {
        part.classList.add("hidden");
        setText(note, t("table.empty-machine"));
        return;
      }
      part.classList.remove("hidden");
      setText(note, v.search ? t("search.table.note") : t("table.note", { op: v.step.op }));
      const { NM, PM } = machineLinks(N, v.rowsBefore);
      const { R, Q } = v.before, op = v.step.op;
      table.show(N, (i) => {
        const k = i + 1;
        return { cells: [k, M[k], P[k], NO[k], PO[k], NM[k], PM[k], R[k], Q[k]], cls: k === op ? "inserted" : "" };
      });
      topoLines.show(topoOrder(N, v.before.L), String(N).length);
    },
  };
}
