// What the page derives from a step's view: candidate rows, changed
// operations, machine links, the topological order, critical operations and
// the trace's table text. Pure functions of the replay and a view; no DOM.

// The candidate positions of the step's operation on its machine, from the
// graph before the insertion: u and v are its neighbours after being put at
// position b (0 = none), head and tail the two max terms of the estimate.
// `best` marks the smallest estimates (`ties` of them); `mismatch` flags a row
// whose terms do not add up to the program's estimate.
export function candidateRows(replay, view) {
  const s = view.step, op = s.op, p = replay.P[op];
  if (!view.evaluated) return [];
  const row = view.rowsBefore[s.machine], R = view.before.R, Q = view.before.Q;
  const best = Math.min(...s.estimates);
  const ties = s.estimates.filter((x) => x === best).length;
  return s.estimates.map((estimate, i) => {
    const b = i + 1;
    const u = b >= 2 ? row[b - 2] : 0, v = b <= row.length ? row[b - 1] : 0;
    const head = Math.max(R[replay.PO[op]], R[u]), tail = Math.max(Q[replay.NO[op]], Q[v]);
    return {
      position: b, u, v, head, p, tail, estimate,
      chosen: b === s.position, best: estimate === best, ties,
      mismatch: head + p + tail !== estimate,
    };
  });
}

// The operations whose R or Q changed between the view's two graphs, in
// increasing order.
export function changedOps(view) {
  if (!view.changes) return [];
  const touched = new Set();
  for (let f = 0; f < 2; ++f) {
    const list = view.changes[f];
    let k = 0;
    for (let i = 0; i < list.length; i += 2) {
      k += list[i];
      touched.add(k);
    }
  }
  return [...touched].sort((a, b) => a - b);
}

// NM and PM (machine successor and predecessor, 0 = none) of machine
// sequences `rows`.
export function machineLinks(N, rows) {
  const NM = new Int32Array(N + 2), PM = new Int32Array(N + 2);
  for (let i = 1; i < rows.length; ++i) {
    const r = rows[i];
    for (let j = 1; j < r.length; ++j) {
      NM[r[j - 1]] = r[j];
      PM[r[j]] = r[j - 1];
    }
  }
  return { NM, PM };
}

// Operations 1..N ranked by (level, number): the program's own topological
// order.
export function topoOrder(N, L) {
  let maxL = 0;
  for (let k = 1; k <= N; ++k) if (L[k] > maxL) maxL = L[k];
  const count = new Int32Array(maxL + 2);
  for (let k = 1; k <= N; ++k) ++count[L[k] + 1];
  for (let l = 1; l <= maxL + 1; ++l) count[l] += count[l - 1];
  const order = new Int32Array(N);
  for (let k = 1; k <= N; ++k) order[count[L[k]]++] = k;
  return order;
}

// The step's table as the trace writes it (the graph before the insertion):
// header and rows, fields separated by one tab, every line ending in LF.
// Empty for a step on an empty machine, which has no table.
export function traceTableText(replay, view) {
  if (!view.evaluated) return "";
  const { N, M, P, NO, PO } = replay;
  const { NM, PM } = machineLinks(N, view.rowsBefore);
  const { R, Q } = view.before;
  const lines = ["Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n"];
  for (let k = 1; k <= N; ++k) {
    lines.push(k + "\t" + M[k] + "\t" + P[k] + "\t" + NO[k] + "\t" + PO[k] + "\t" + NM[k] + "\t" + PM[k] + "\t" + R[k] + "\t" + Q[k] + "\n");
  }
  return lines.join("");
}

// The line of machine i in the trace's permutation block after the step:
// the sequence padded with zeros to J columns.
export function permutationLine(replay, view, i) {
  const r = view.rowsAfter[i], cols = [];
  for (let j = 0; j < replay.J; ++j) cols.push(j < r.length ? r[j] : 0);
  return "M" + i + ":\t" + cols.join("\t");
}

// Slack of operation k after the step: how much the longest path through it
// falls short of the longest path of the graph (R and Q both include p).
export function slackAfter(replay, view, k) {
  return view.maxR - (view.after.R[k] + view.after.Q[k] - replay.P[k]);
}

// The operations on machines after the step.
export function placedOps(view) {
  const list = [];
  for (let i = 1; i < view.rowsAfter.length; ++i) for (const k of view.rowsAfter[i]) list.push(k);
  return list;
}

// The critical operations after the step (slack 0), in the order of their
// starts, then numbers.
export function criticalOps(replay, view) {
  const { N, P } = replay, R = view.after.R;
  const crit = [];
  for (let k = 1; k <= N; ++k) if (slackAfter(replay, view, k) === 0) crit.push(k);
  return crit.sort((a, b) => R[a] - P[a] - (R[b] - P[b]) || a - b);
}

// What the page tells of operation k after the step.
export function operationFacts(replay, view, k) {
  const R = view.after.R[k], Q = view.after.Q[k], p = replay.P[k], machine = replay.M[k];
  return {
    op: k, job: replay.jobOf(k), machine, p, R, Q, start: R - p,
    slack: slackAfter(replay, view, k), placed: view.rowsAfter[machine].includes(k),
  };
}

// The most operations any machine carries: the candidate table's height.
export function mostOnOneMachine(replay) {
  const onMachine = new Int32Array(replay.MC + 1);
  for (let k = 1; k <= replay.N; ++k) ++onMachine[replay.M[k]];
  return Math.max(0, ...onMachine);
}
