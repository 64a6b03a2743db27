// The size of jobshop-insert's trace of a run, estimated from the run's
// replay (replay-data.js) before the trace is made, so that the page can
// say a trace is too large for the browser before the browser gives up on
// it. No DOM.
//
// The trace holds, for every step on an occupied machine, the topological
// line and a table of every operation, and for every step the machine
// sequences so far: its size grows with the steps times the operations.
// The estimate takes each row's numbers as wide as in the finished
// schedule (earlier heads and tails are as wide or narrower) and the
// machine links as placed in half the rows: within a few per cent of the
// trace's size on the benchmarks.

const digits = (x) => String(x).length;

export function estimateTraceBytes(replay, final) {
  const { N, MC, J, STEPS, M, P, NO, PO } = replay;
  let evaluated = 0;
  for (const s of replay.steps) if (s.estimates.length > 0) ++evaluated;
  // A row: Lp M p NO PO NM PM R Q, each with its tab or line end; NM and PM
  // are an operation in about half the rows of a run, 0 in the others.
  let rows = 0, numbers = 0;
  for (let k = 1; k <= N; ++k) {
    rows += digits(k) + digits(M[k]) + digits(P[k]) + digits(NO[k]) + digits(PO[k]) + digits(k) + 1 +
      digits(final.R[k]) + digits(final.Q[k]) + 9;
    numbers += digits(k) + 1;
  }
  // "\nTopologicznie:\t", its line, the header and the table's end.
  const table = 16 + numbers + 2 + 32 + rows + 1;
  // A step's sequences: a line of J columns a machine (zeros, or the
  // operations placed: half of them in a run), a blank line, the stars.
  const sequences = MC * (2 * J + 1) + Math.round(numbers / 2) + 61;
  // The sorted list and the closing section.
  const ends = 30 + 2 * numbers + 3 * N + MC * (2 * J + 1) + numbers + 100;
  return evaluated * table + STEPS * sequences + ends;
}
