// A worksheet for a range of steps: the instance, the machine sequences
// before the first step, and for every step the tables a student fills in
// (the step's table with the topological order, the candidate positions,
// the chosen position, the machine's sequence after it), blank where the
// exercise asks (ask.js) and given elsewhere. The answer key is the same
// sheet filled in. Pure functions of the replay; no DOM.

import { cmaxCell, stepCells } from "./ask.js";
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

// What the sheet of the replay page asks: everything a step computes.
export const SHEET_ASK = ["rq", "links", "topo", "uv", "est", "terms", "pos", "seq"];

// The cell (ask.js) of each column that can be asked: of the step's table
// (Lp M p NO PO NM PM R Q) and of the candidates (position u v head p tail
// estimate); the row's operation or position follows the colon.
export const TABLE_CELLS = { 5: "NM", 6: "PM", 7: "R", 8: "Q" };
export const CANDIDATE_CELLS = { 1: "u", 2: "v", 3: "head", 5: "tail", 6: "est" };

// `cells` with "" for those whose key, `prefix` of the column and `id` of
// the row, is in `answers`.
const blank = (cells, columns, id, answers) => cells.map((c, i) => (i in columns && columns[i] + ":" + id in answers ? "" : c));

// The sheet of steps from..to (a range sheetRangeProblem accepts) asking
// `ask` (words of ask.js); `key` fills in the answers, otherwise their
// cells are "". Each step's `answers` maps the keys of its cells to their
// answers, `points` counts them; `cmax` is the closing cell, or null.
export function worksheet(replay, from, to, key, ask = SHEET_ASK) {
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
  let start = null, last = null;
  for (let t = from; t <= to; ++t) {
    const v = (last = stepper.view(t)), s = v.step, op = s.op;
    if (!start) start = v.rowsBefore.slice(1);
    const cells = stepCells(replay, v, ask);
    // Blank only for the student's sheet: the key shows every answer.
    const answers = Object.fromEntries(cells.map((c) => [c.key, c.answer]));
    const asked = key ? {} : answers;
    const step = { t, op, job: replay.jobOf(op), machine: s.machine, p: P[op], evaluated: v.evaluated, answers, points: cells.length };
    step.sequence = v.rowsAfter[s.machine].map((k, i) => ("seq:" + (i + 1) in asked ? "" : k));
    if (v.evaluated) {
      const { NM, PM } = machineLinks(N, v.rowsBefore);
      const { R, Q, L } = v.before;
      step.table = [];
      for (let k = 1; k <= N; ++k) step.table.push(blank([k, M[k], P[k], NO[k], PO[k], NM[k], PM[k], R[k], Q[k]], TABLE_CELLS, k, asked));
      step.topo = "topo:1" in asked ? "" : Array.from(topoOrder(N, L)).join(" ");
      step.candidates = candidateRows(replay, v).map((r) => ({
        cells: blank([r.position, r.u, r.v, r.head, r.p, r.tail, r.estimate], CANDIDATE_CELLS, r.position, asked),
        chosen: key && r.chosen,
      }));
      step.position = "pos" in asked ? "" : s.position;
    }
    steps.push(step);
  }
  const closing = last ? cmaxCell(last, ask)[0] : undefined;
  const cmax = closing ? { t: to, answer: closing.answer, value: key ? closing.answer : "" } : null;
  const points = steps.reduce((sum, s) => sum + s.points, cmax ? 1 : 0);
  return { name: replay.name, J: replay.J, MC, from, to, key, ask, jobs, start, steps, cmax, points };
}
