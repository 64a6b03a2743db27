// What the page derives from a search iteration's view (search-stepping.js):
// the critical path by the program's rule, the moves with their blocks and
// the tabu pairs they would break, the schedule after a move, and why the
// move made was chosen. Pure functions; no DOM.

import { applyMove, evaluateRows } from "./search-stepping.js";

// The critical path of an evaluated schedule as the program traces it: back
// from the lowest-numbered operation that ends at Cmax, each time to the
// machine predecessor when it ends exactly where the operation starts, else
// to the job predecessor (when that one ends there).
export function tracePath(replay, ev) {
  const { N, P, PO } = replay, { R, PM } = ev;
  let k = 0;
  for (let s = 1; s <= N && !k; ++s) if (R[s] === ev.cmax) k = s;
  const path = [];
  while (k && path.length <= N) {
    path.unshift(k);
    const start = R[k] - P[k];
    if (PM[k] && R[PM[k]] === start) k = PM[k];
    else if (PO[k] && R[PO[k]] === start) k = PO[k];
    else k = 0;
  }
  return path;
}

// The pairs "x before y" a move makes: afterwards b stands directly before
// a, having passed the operations between them (`row` is the machine's
// sequence before the move).
export function pairsMade(row, m) {
  const from = row.indexOf(m.a), to = row.indexOf(m.b), between = row.slice(from, to + 1);
  if (m.kind === "forward") return between.slice(1).map((x) => [x, m.a]);
  if (m.kind === "backward") return between.slice(0, -1).map((y) => [m.b, y]);
  return [[m.b, m.a]];
}

// The iteration's moves as the page lists them: each with its place (from
// 1), its block (from 1) and the block's operations, whether it was made,
// and the last iteration up to which a tabu pair forbids it (0: none).
export function moveRows(replay, view) {
  const { it, moves, chosen } = view.search, path = it.path;
  const until = new Map(it.tabu.map(([x, y, u]) => [x + "-" + y, u]));
  return moves.map((m, i) => {
    const [first, last] = it.blocks[m.block];
    const row = view.rows[replay.M[m.a]];
    let tabuUntil = 0;
    for (const [x, y] of pairsMade(row, m)) tabuUntil = Math.max(tabuUntil, until.get(x + "-" + y) || 0);
    return { ...m, index: i + 1, blockNo: m.block + 1, blockOps: path.slice(first, last + 1), made: m === chosen, tabuUntil };
  });
}

// The schedule after move `m`: its sequences, evaluation (null for a
// cycle) and critical path.
export function afterMove(replay, view, m) {
  const rows = view.rows.map((r) => r.slice());
  applyMove(rows, replay.M, m);
  const ev = evaluateRows(replay, rows);
  return { rows, ev, path: ev ? tracePath(replay, ev) : [] };
}

// Why the move made was chosen: the rule, the best makespan before the
// iteration, and the moves the rule chose among (allowed ones with their
// makespans, or, when every move was tabu, all with the ends of their tabu).
export function choiceOf(replay, view) {
  const rows = moveRows(replay, view), { it, chosen } = view.search;
  const open = rows.filter((r) => r.status === "allowed" || r.status === "aspirated");
  return { rule: it.rule, best: it.best, chosen: chosen ? rows[it.chosen] : null, among: it.rule === "oldestTabu" ? rows : open };
}
