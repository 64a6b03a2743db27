// The page's data (format jobshop-replay, version 1, as the README describes
// it) turned into the instance's tables, 1-based like the program's (entry 0
// = none), and the map from steps to evaluations. No DOM.

const FORMAT = "jobshop-replay";
const VERSION = 1;

// The data, or null when `text` is not data of this format.
export function parseReplayData(text) {
  try {
    const data = JSON.parse(text);
    return isReplayData(data) ? data : null;
  } catch (e) {
    return null;
  }
}

export function isReplayData(data) {
  return data !== null && typeof data === "object" && data.format === FORMAT && data.version === VERSION;
}

// The replay of `data`, which must satisfy isReplayData.
//   M, P, NO, PO: operation k's machine, time, job successor and predecessor.
//   evalOfStep[t]: the evaluation step t's table and estimates come from, -1
//     on an empty machine (no evaluation).
//   digits, opDigits: the characters of the widest number the tables show,
//     and of the widest operation number, position or time.
//   afterStep[t]: the evaluation of the graph after step t (t = 0: before
//     the first). A step on an empty machine adds no arc, so that is the next
//     evaluated step's, and after the last step the final one.
export function decodeReplay(data) {
  const J = data.jobs, MC = data.machines, N = data.operations.length, STEPS = data.steps.length;
  const M = new Int32Array(N + 2), P = new Float64Array(N + 2), NO = new Int32Array(N + 2), PO = new Int32Array(N + 2);
  for (let k = 1; k <= N; ++k) {
    M[k] = data.operations[k - 1][0];
    P[k] = data.operations[k - 1][1];
    // Operations are numbered job by job, MC to a job, in technological order.
    PO[k] = (k - 1) % MC !== 0 ? k - 1 : 0;
    NO[k] = k % MC !== 0 ? k + 1 : 0;
  }
  const evaluations = data.evaluations;
  const EVALS = evaluations.changes.length;
  const evalOfStep = new Int32Array(STEPS + 1).fill(-1);
  const afterStep = new Int32Array(STEPS + 1);
  let e = 0;
  for (let t = 1; t <= STEPS; ++t) if (data.steps[t - 1].estimates.length > 0) evalOfStep[t] = e++;
  let next = EVALS - 1;
  for (let t = STEPS; t >= 0; --t) {
    afterStep[t] = next;
    if (t >= 1 && evalOfStep[t] >= 0) next = evalOfStep[t];
  }
  return {
    name: data.name, J, MC, N, STEPS, cmax: data.cmax, ...numberWidths(data),
    M, P, NO, PO, steps: data.steps, sequences: data.sequences,
    evaluations, evalOfStep, afterStep,
    jobOf: (k) => Math.floor((k - 1) / MC) + 1,
  };
}

// The characters (a sign included) of the widest number among the run's
// times, estimates, heads and tails (those of the snapshots; the values
// between them stay near), and of the widest operation number, position
// (at most N + 1) or time, so that the tables' columns can fit them.
function numberWidths(data) {
  let low = 0, high = data.operations.length + 1;
  const take = (list) => {
    for (const x of list) {
      if (x < low) low = x;
      else if (x > high) high = x;
    }
  };
  const chars = () => Math.max(String(low).length, String(high).length);
  take(data.operations.map((op) => op[1]));
  const opDigits = chars();
  take([data.cmax]);
  for (const s of data.steps) take(s.estimates);
  for (const snap of data.evaluations.snapshots) {
    take(snap.R);
    take(snap.Q);
  }
  return { digits: chars(), opDigits };
}
