// The search a page carries after the insertion's steps: what
// `jobshop-improve --json` writes (format jobshop-improve, version 1), kept
// under the replay data's "search". No DOM.
//
// A page addresses the search's recorded iterations after the insertion's
// steps: place STEPS + i of the page is iteration i (1-based, as the trace
// numbers them).

const FORMAT = "jobshop-improve";
const VERSION = 1;

const isObject = (x) => x !== null && typeof x === "object" && !Array.isArray(x);

// Whether `search` is a search of this format with its recorded iterations.
export function isSearchData(search) {
  return isObject(search) && search.format === FORMAT && search.version === VERSION && isObject(search.steps) &&
    Array.isArray(search.steps.iterations) && Array.isArray(search.steps.start) && Array.isArray(search.steps.restarts);
}

// The moves' kinds as the data names them, and as the trace writes a move:
// a-b (a and b change places), a>b (a moves behind b), b<a (b moves in
// front of a). Either way b stands directly before a afterwards.
export const MOVE_KINDS = ["swap", "forward", "backward"];
export function moveName(kind, a, b) {
  if (kind === "forward") return a + ">" + b;
  if (kind === "backward") return b + "<" + a;
  return a + "-" + b;
}

// A move of the data, [kind, a, b, block, bound, cmax, status], as an object.
export const moveOf = (m) => ({ kind: m[0], a: m[1], b: m[2], block: m[3], bound: m[4], cmax: m[5], status: m[6], name: moveName(m[0], m[1], m[2]) });

// The tabu list in force at an iteration ([x, y, until] each) as the page
// says it, in the language of `tr`.
export const tabuListText = (tr, tabu) =>
  tabu.length ? tr.t("search.tabu", { list: tabu.map(([x, y, until]) => x + "-" + y + " (" + until + ")").join(", ") }) : tr.t("search.tabu.empty");

// The search of `data` (the replay data, parsed) for a page, or null when it
// carries none:
//   ITERS        the iterations recorded (the page's places after the steps)
//   iterations   their records, iteration i at index i-1
//   start        the insertion's sequences, machine 1 first
//   restartAfter the restart that follows iteration t, by t
//   complete     false when the recording was cut at its limit: it then
//                holds the search's beginning
//   made, best, bestIteration, stop, lowerBound, insertion, seed, exact,
//   history      the whole run's figures (docs/improve.md)
export function decodeSearch(data) {
  const s = data && data.search;
  if (!isSearchData(s)) return null;
  const restartAfter = new Map();
  for (const r of s.steps.restarts) restartAfter.set(r.after, r);
  return {
    ITERS: s.steps.iterations.length, iterations: s.steps.iterations, start: s.steps.start, restartAfter,
    complete: s.steps.complete !== false, made: s.iterations, best: s.cmax, bestIteration: s.bestIteration,
    stop: s.stop, lowerBound: s.lowerBound, insertion: s.insertion, seed: s.seed, exact: s.exact || null,
    history: s.history || null, sequences: s.sequences,
  };
}

// The insertion's makespan beside the optimum, as far as a run knows it:
// `facts` { insertion, best, lowerBound (the simple bound, null with
// negative times), exact (branch and bound's { proven, lowerBound } or
// null) }. Proven optimal is the best makespan that branch and bound
// proved, or that equals a lower bound; otherwise the best found and the
// best bound known, said to be not proven. In the language of `tr`.
export function optimumText(tr, { insertion, best, lowerBound, exact }) {
  const bound = exact ? exact.lowerBound : lowerBound;
  const vars = { insertion, best, bound };
  let text;
  if (exact && exact.proven) text = tr.t("optimum.proven", vars);
  else if (bound !== null && bound !== undefined && best === bound) text = tr.t("optimum.bound", vars);
  else return tr.t(bound === null || bound === undefined ? "optimum.no-bound" : "optimum.not-proven", vars);
  if (!(best > 0 && insertion > best)) return text;
  const gap = ((100 * (insertion - best)) / best).toFixed(1);
  return text + tr.t("optimum.gap", { gap: tr.lang === "pl" ? gap.replace(".", ",") : gap });
}
