// What an exercise asks for, in words shared by the worksheets, the quiz
// and practice, and the cells each word asks for at a step, each under the
// key a page's input or a quiz's field carries (data-cell). No DOM.
//
//   rq     R:<op>, Q:<op>        heads and tails of the step's table
//   links  NM:<op>, PM:<op>      machine successor and predecessor there
//   topo   topo:<index>          the topological order, from 1
//   uv     u:<b>, v:<b>          each candidate position's neighbours
//   terms  head:<b>, tail:<b>    the two max terms of its estimate
//   est    est:<b>               the estimate, a sum
//   pos    pos                   the chosen position
//   seq    seq:<index>           the machine's sequence after the step
//   cmax   cmax                  the makespan after the last step asked
//
// A step on an empty machine asks nothing: its operation takes position 1
// without a computation. Every cell is worth one point.
//
// An iteration of the search after the insertion (search-practice.js) asks
// in words of its own:
//
//   crit   crit:<index>          the critical path's operations, from 1
//   moves  move:<name>           each candidate move, named as the trace
//                                names it (a-b, a>b, b<a): the key holds
//                                the move, the student types its name
//   mcmax  cmax:<name>           the makespan after that move
//   pick   pick                  the move made, by its name

import { candidateRows, machineLinks, topoOrder } from "./derive.js";

export const ASK_WORDS = ["rq", "links", "topo", "uv", "est", "terms", "pos", "seq", "cmax"];
// A first exercise: heads and tails, the estimates as sums, the choice, the
// sequence and where it ends; the links, the topological order and the
// neighbours are given, as the max terms would give the sums away.
export const DEFAULT_ASK = ["rq", "est", "pos", "seq", "cmax"];
export const SEARCH_ASK_WORDS = ["crit", "moves", "mcmax", "pick"];

// The words of "rq,est,pos" (spaces allowed, any order, repeats ignored),
// or { unknown } naming the first word that is none of ASK_WORDS.
export function parseAsk(text) {
  const words = String(text).split(",").map((w) => w.trim().toLowerCase()).filter((w) => w !== "");
  const unknown = words.find((w) => !ASK_WORDS.includes(w));
  if (unknown !== undefined || words.length === 0) return { unknown: unknown ?? "" };
  return { words: ASK_WORDS.filter((w) => words.includes(w)) };
}

// The cells step `view` asks for, in the order the computation goes: the
// topological order, the links, R down the topological order and Q up it,
// position by position u, v, the terms and the estimate, the position, the
// sequence. Each is { key, answer }. `ask` is a list of words.
export function stepCells(replay, view, ask) {
  const cells = [];
  if (!view.evaluated) return cells;
  const has = (w) => ask.includes(w);
  const { N } = replay, { R, Q, L } = view.before, s = view.step;
  const order = topoOrder(N, L);
  if (has("topo")) order.forEach((k, i) => cells.push({ key: "topo:" + (i + 1), answer: k }));
  if (has("links")) {
    const { NM, PM } = machineLinks(N, view.rowsBefore);
    for (let k = 1; k <= N; ++k) cells.push({ key: "NM:" + k, answer: NM[k] }, { key: "PM:" + k, answer: PM[k] });
  }
  if (has("rq")) {
    for (const k of order) cells.push({ key: "R:" + k, answer: R[k] });
    for (let i = N - 1; i >= 0; --i) cells.push({ key: "Q:" + order[i], answer: Q[order[i]] });
  }
  for (const row of candidateRows(replay, view)) {
    const b = row.position;
    if (has("uv")) cells.push({ key: "u:" + b, answer: row.u }, { key: "v:" + b, answer: row.v });
    if (has("terms")) cells.push({ key: "head:" + b, answer: row.head }, { key: "tail:" + b, answer: row.tail });
    if (has("est")) cells.push({ key: "est:" + b, answer: row.estimate });
  }
  if (has("pos")) cells.push({ key: "pos", answer: s.position });
  if (has("seq")) view.rowsAfter[s.machine].forEach((k, i) => cells.push({ key: "seq:" + (i + 1), answer: k }));
  return cells;
}

// The cell after the last step asked (view of that step): its makespan,
// the largest R of the graph after it (Cmax after the run's last step).
export const cmaxCell = (view, ask) => (ask.includes("cmax") ? [{ key: "cmax", answer: view.maxR }] : []);
