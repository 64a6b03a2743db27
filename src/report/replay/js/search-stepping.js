// Moving through the search: the machine sequences before any recorded
// iteration (the start's, each chosen move in turn, a restart's schedule),
// their heads, tails and levels, and the view of one iteration. No DOM.
//
// The data holds no heads or tails: they follow from the sequences, which
// the page evaluates as the program does (R and Q include the operation's
// own time; level is one plus the arcs of the longest chain into the
// operation, so that level, then number, is the trace's topological order).

import { machineLinks } from "./derive.js";
import { moveOf } from "./search-data.js";

// Every CHECKPOINT iterations the sequences are kept, so any iteration is at
// most that many moves from one.
const CHECKPOINT = 32;

// Sequences as the page keeps them: rows[i] for machine i, rows[0] empty.
const rowsOf = (sequences) => [[], ...sequences.map((r) => r.slice())];
const copyRows = (rows) => rows.map((r) => r.slice());

// Makes move `m` ({ kind, a, b }) on `rows`: afterwards b stands directly
// before a.
export function applyMove(rows, M, m) {
  const row = rows[M[m.a]];
  if (m.kind === "swap") {
    const i = row.indexOf(m.a);
    row[i] = m.b;
    row[i + 1] = m.a;
  } else if (m.kind === "forward") {
    row.splice(row.indexOf(m.a), 1);
    row.splice(row.indexOf(m.b) + 1, 0, m.a);
  } else {
    row.splice(row.indexOf(m.b), 1);
    row.splice(row.indexOf(m.a), 0, m.b);
  }
}

// R, Q and level of the schedule `rows`, and its makespan; null when the
// sequences close a cycle.
export function evaluateRows(replay, rows) {
  const { N, P, NO, PO } = replay;
  const { NM, PM } = machineLinks(N, rows);
  const R = new Float64Array(N + 2), Q = new Float64Array(N + 2), L = new Float64Array(N + 2);
  const waiting = new Int32Array(N + 2), order = [];
  for (let k = 1; k <= N; ++k) {
    waiting[k] = (PO[k] ? 1 : 0) + (PM[k] ? 1 : 0);
    if (waiting[k] === 0) order.push(k);
  }
  for (let i = 0; i < order.length; ++i) {
    const k = order[i];
    R[k] = Math.max(R[PO[k]], R[PM[k]]) + P[k];
    L[k] = Math.max(L[PO[k]], L[PM[k]]) + 1;
    for (const s of [NO[k], NM[k]]) if (s && --waiting[s] === 0) order.push(s);
  }
  if (order.length < N) return null;
  let cmax = 0;
  for (let i = N - 1; i >= 0; --i) {
    const k = order[i];
    Q[k] = Math.max(Q[NO[k]], Q[NM[k]]) + P[k];
    if (R[k] > cmax) cmax = R[k];
  }
  return { R, Q, L, cmax, NM, PM };
}

// The view of iteration i (1 ... ITERS), at place t = STEPS + i of the page:
//   search: { i, it (the record), moves (as objects), chosen (the move made,
//     or null), restart (the restart the iteration starts from, or null),
//     rowsAfterMove }
//   rows, eval: the schedule of the iteration (before its move), its R, Q,
//     level, makespan and links.
// It also has what the insertion's panels read of a step's view (stepping.js),
// so the chart, its text, the trace's table and the graph show it as they
// show a step: the schedule of the iteration is both "before" and "after".
export function createSearchStepper(replay, search) {
  const checkpoints = [rowsOf(search.start)];
  let at = 1, rows = copyRows(checkpoints[0]);  // rows: the sequences before iteration `at`
  // One iteration further: its move, or the restart that follows it.
  const forward = () => {
    const it = search.iterations[at - 1];
    const restart = search.restartAfter.get(it.iteration);
    if (restart) rows = rowsOf(restart.sequences);
    else if (it.chosen >= 0) applyMove(rows, replay.M, moveOf(it.moves[it.chosen]));
    ++at;
    if ((at - 1) % CHECKPOINT === 0 && checkpoints.length === (at - 1) / CHECKPOINT) checkpoints.push(copyRows(rows));
  };
  const moveTo = (i) => {
    if (i < at || i - at > CHECKPOINT) {
      const c = Math.min(Math.floor((i - 1) / CHECKPOINT), checkpoints.length - 1);
      rows = copyRows(checkpoints[c]);
      at = c * CHECKPOINT + 1;
    }
    while (at < i) forward();
  };
  return {
    view(i) {
      moveTo(i);
      const it = search.iterations[i - 1];
      const moves = it.moves.map(moveOf), chosen = it.chosen >= 0 ? moves[it.chosen] : null;
      const here = copyRows(rows), ev = evaluateRows(replay, here);
      const rowsAfterMove = copyRows(here);
      if (chosen) applyMove(rowsAfterMove, replay.M, chosen);
      const state = { R: ev.R, Q: ev.Q, L: ev.L };
      return {
        t: replay.STEPS + i, rows: here, eval: ev,
        search: { i, it, moves, chosen, restart: search.restartAfter.get(it.iteration - 1) || null, rowsAfterMove },
        step: { op: 0, machine: chosen ? replay.M[chosen.a] : 0 },
        evaluated: true, before: state, after: state, rowsBefore: here, rowsAfter: here,
        changes: null, maxR: ev.cmax, final: false,
      };
    },
  };
}
