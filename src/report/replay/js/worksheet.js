// A worksheet for a range of steps: the instance, the machine sequences
// before the first step, and for every step the tables a student fills in
// (the step's table with the topological order, the candidate positions,
// the chosen position, the machine's sequence after it). The answer key is
// the same sheet filled in. Pure functions of the replay; no DOM.

import { candidateRows, machineLinks, topoOrder } from "./derive.js";
import { graphFits } from "./graph-scene.js";
import { createStepper } from "./stepping.js";

// A longer range makes a sheet nobody works through in one sitting.
export const SHEET_MAX_STEPS = 10;

// Why steps from..to make no worksheet, as a text key and its values, or
// null when they do.
export function sheetRangeProblem(replay, from, to) {
  if (!graphFits(replay)) return { key: "sheet.too-big" };
  const ok = (t) => Number.isInteger(t) && t >= 1 && t <= replay.STEPS;
  if (!ok(from) || !ok(to) || from > to) return { key: "sheet.bad-range", vars: { n: replay.STEPS } };
  if (to - from + 1 > SHEET_MAX_STEPS) return { key: "sheet.too-many", vars: { n: SHEET_MAX_STEPS } };
  return null;
}

// The step's table columns the student computes: NM, PM, R, Q.
const TABLE_ANSWERS = [5, 6, 7, 8];
// The candidate columns the student computes: u, v, both terms, estimate.
const CANDIDATE_ANSWERS = [1, 2, 3, 5, 6];

const blank = (cells, answers) => cells.map((c, i) => (answers.includes(i) ? "" : c));

// The sheet of steps from..to (a range sheetRangeProblem accepts); `key`
// fills in the answers, otherwise their cells are "".
export function worksheet(replay, from, to, key) {
  const { N, MC, M, P, NO, PO } = replay;
  const stepper = createStepper(replay);
  const jobs = [];
  for (let j = 1; j <= replay.J; ++j) {
    const ops = [];
    for (let c = 1; c <= MC; ++c) {
      const k = (j - 1) * MC + c;
      ops.push({ op: k, machine: M[k], p: P[k] });
    }
    jobs.push(ops);
  }
  const steps = [];
  let start = null;
  for (let t = from; t <= to; ++t) {
    const v = stepper.view(t), s = v.step, op = s.op;
    if (!start) start = v.rowsBefore.slice(1);
    const step = { t, op, job: replay.jobOf(op), machine: s.machine, p: P[op], evaluated: v.evaluated };
    const sequence = v.rowsAfter[s.machine];
    step.sequence = key ? sequence.slice() : sequence.map(() => "");
    if (v.evaluated) {
      const { NM, PM } = machineLinks(N, v.rowsBefore);
      const { R, Q, L } = v.before;
      step.table = [];
      for (let k = 1; k <= N; ++k) {
        const cells = [k, M[k], P[k], NO[k], PO[k], NM[k], PM[k], R[k], Q[k]];
        step.table.push(key ? cells : blank(cells, TABLE_ANSWERS));
      }
      step.topo = key ? Array.from(topoOrder(N, L)).join(" ") : "";
      step.candidates = candidateRows(replay, v).map((r) => {
        const cells = [r.position, r.u, r.v, r.head, r.p, r.tail, r.estimate];
        return { cells: key ? cells : blank(cells, CANDIDATE_ANSWERS), chosen: key && r.chosen };
      });
      step.position = key ? s.position : "";
    } else {
      // A machine's first operation takes position 1 without a computation.
      step.sequence = sequence.slice();
    }
    steps.push(step);
  }
  return { name: replay.name, J: replay.J, MC, from, to, key, jobs, start, steps };
}
