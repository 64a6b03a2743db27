// Practice: which cells a step asks the student for, in the order the
// computation goes, their answers, the check of typed answers, the summary
// of a student's progress and the key under which a browser keeps it. No
// DOM.
//
// A cell's key (the page's data-cell) is its kind, or its kind and an
// argument after a colon, in the words of ask.js: topo:<i> (the operation
// at place i of the topological order), NM:<op>, PM:<op>, R:<op>, Q:<op>
// (the step's table), u:<b>, v:<b>, head:<b>, tail:<b>, est:<b> (position
// b's neighbours, two max terms and estimate), pos (the chosen position),
// seq:<i> (the operation at place i of the machine's sequence after the
// insertion, from 1), cmax (the largest R after the exercise's last step).

import { parseAsk } from "./ask.js";
import { candidateRows, machineLinks, topoOrder } from "./derive.js";
import { explainStep } from "./derivation.js";

// What a student practises unless told otherwise: every number of a step.
export const PRACTICE_ASK = ["rq", "terms", "est", "pos", "seq"];
// What the student chose to be asked: the rows of the step's table whose R
// and Q are asked (all of them, or those the insertions since the previous
// table changed) and the parts asked (words of ask.js). `range` ({ from,
// to }, or null for every step) is the exercise's steps: the others ask
// nothing, and the makespan is asked after its last.
export const DEFAULT_OPTIONS = { rows: "all", ask: PRACTICE_ASK, range: null };

// The options from what a browser kept (anything), known values only. An
// older page kept the estimates' choice ("terms" or "sum") instead of words.
export function practiceOptions(stored) {
  const options = { ...DEFAULT_OPTIONS };
  if (stored && ["all", "changed"].includes(stored.rows)) options.rows = stored.rows;
  if (typeof stored?.ask === "string") {
    const parsed = stored.ask === "" ? { words: [] } : parseAsk(stored.ask);
    if (parsed.words) options.ask = parsed.words;
  } else if (stored?.estimates === "sum") {
    options.ask = PRACTICE_ASK.filter((w) => w !== "terms");
  }
  return options;
}

// The options as a browser keeps them: texts only.
export const storedOptions = (options) => ({ rows: options.rows, ask: options.ask.join(",") });

// The parts asked, as a set of words; options of an older form give the
// estimates' choice instead.
export function askedWords(options) {
  if (Array.isArray(options.ask)) return new Set(options.ask);
  const words = new Set(PRACTICE_ASK);
  if (options.estimates === "sum") words.delete("terms");
  return words;
}

// The exercise's steps, first and last.
const rangeOf = (replay, options) => options.range || { from: 1, to: replay.STEPS };

// The words step t asks: none outside the exercise's steps; on an empty
// machine none but the makespan (nothing is computed there); the makespan
// only after the exercise's last step.
export function stepWords(replay, t, options) {
  const words = new Set(), asked = askedWords(options), { from, to } = rangeOf(replay, options);
  if (t < from || t > to) return words;
  if (replay.evalOfStep[t] >= 0) for (const w of asked) if (w !== "cmax") words.add(w);
  if (t === to && asked.has("cmax")) words.add("cmax");
  return words;
}

// Whether step t asks for at least one cell, without making its cells: a
// word asks for one at least, but R and Q of the changed rows only, which
// can be none.
export function stepAsks(replay, t, options) {
  const words = stepWords(replay, t, options);
  if (words.size !== 1 || !words.has("rq")) return words.size > 0;
  const rows = askedRows(replay, t, options.rows);
  return rows === null || rows.size > 0;
}

// The steps that ask for something, in order.
export function askingSteps(replay, options) {
  const steps = [];
  const { from, to } = rangeOf(replay, options);
  for (let t = from; t <= to; ++t) if (stepAsks(replay, t, options)) steps.push(t);
  return steps;
}

// The kinds of cell an insertion step asks for, one entry each:
//   kind      the key's first part
//   word      the word that asks for it (ask.js)
//   stage, sub   the order of entry: by stage, then by the cell's place
//             `at` in it, then by sub, so kinds of one stage go place by
//             place (the links of each row; u, v, the terms and the sum
//             of each position)
//   cells(s)  the cells at step s (practiceStep): [{ arg, at, answer }]
//             (arg null for a key without one), the answer being the
//             program's number
//   derive(s, arg)   where the number comes from (derivation.js)
//   label(tr, arg, s)   the input's name for screen readers
//   same(typed, answer)  (optional) whether a typed text is the answer, for
//             an answer that is not a whole number
// Checking, the order of entry, the progress and the derivations shown take
// any kind from the table; a new kind joins with an entry (and a place in
// the panel for its inputs). The cells are those of ask.js, which the
// worksheets and the quiz ask: the same keys and answers.
const INSERTION_CELLS = [
  {
    kind: "topo", word: "topo", stage: 0, sub: 0,
    cells: (s) => s.order.map((k, i) => ({ arg: i + 1, at: i, answer: k })),
    derive: (s, i) => s.explained.topo(Number(i)),
    label: (tr, i) => tr.t("practice.label.topo", { i }),
  },
  {
    kind: "NM", word: "links", stage: 1, sub: 0,
    cells: (s) => s.table.map((k, at) => ({ arg: k, at, answer: s.links.NM[k] })),
    derive: (s, k) => s.explained.link("NM", Number(k)),
    label: (tr, k) => "NM[" + k + "]",
  },
  {
    kind: "PM", word: "links", stage: 1, sub: 1,
    cells: (s) => s.table.map((k, at) => ({ arg: k, at, answer: s.links.PM[k] })),
    derive: (s, k) => s.explained.link("PM", Number(k)),
    label: (tr, k) => "PM[" + k + "]",
  },
  {
    kind: "R", word: "rq", stage: 2, sub: 0,
    cells: (s) => s.rows.map((k, at) => ({ arg: k, at, answer: s.view.before.R[k] })),
    derive: (s, k) => s.explained.R(Number(k)),
    label: (tr, k) => "R[" + k + "]",
  },
  {
    // Q goes the other way: from the end of the table.
    kind: "Q", word: "rq", stage: 3, sub: 0,
    cells: (s) => s.rows.map((k, i) => ({ arg: k, at: s.rows.length - 1 - i, answer: s.view.before.Q[k] })),
    derive: (s, k) => s.explained.Q(Number(k)),
    label: (tr, k) => "Q[" + k + "]",
  },
  {
    kind: "u", word: "uv", stage: 4, sub: 0,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.u })),
    derive: (s, b) => s.explained.neighbour("u", Number(b)),
    label: (tr, b) => tr.t("practice.label.u", { b }),
  },
  {
    kind: "v", word: "uv", stage: 4, sub: 1,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.v })),
    derive: (s, b) => s.explained.neighbour("v", Number(b)),
    label: (tr, b) => tr.t("practice.label.v", { b }),
  },
  {
    kind: "head", word: "terms", stage: 4, sub: 2,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.head })),
    derive: (s, b) => ({ ...s.explained.estimate(Number(b)), kind: "head" }),
    label: (tr, b) => tr.t("practice.label.head", { b }),
  },
  {
    kind: "tail", word: "terms", stage: 4, sub: 3,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.tail })),
    derive: (s, b) => ({ ...s.explained.estimate(Number(b)), kind: "tail" }),
    label: (tr, b) => tr.t("practice.label.tail", { b }),
  },
  {
    kind: "est", word: "est", stage: 4, sub: 4,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.estimate })),
    derive: (s, b) => s.explained.estimate(Number(b)),
    label: (tr, b) => tr.t("practice.label.est", { b }),
  },
  {
    kind: "pos", word: "pos", stage: 5, sub: 0,
    cells: (s) => [{ arg: null, at: 0, answer: s.view.step.position }],
    derive: (s) => s.explained.choice(),
    label: (tr) => tr.t("practice.label.pos"),
  },
  {
    kind: "seq", word: "seq", stage: 6, sub: 0,
    cells: (s) => s.view.rowsAfter[s.view.step.machine].map((k, i) => ({ arg: i + 1, at: i, answer: k })),
    derive: (s, i) => ({ ...s.explained.sequence(), place: Number(i) }),
    label: (tr, i) => tr.t("practice.label.seq", { i }),
  },
  {
    kind: "cmax", word: "cmax", stage: 7, sub: 0,
    cells: (s) => [{ arg: null, at: 0, answer: s.view.maxR }],
    derive: (s) => s.explained.makespan(),
    label: (tr) => tr.t("practice.label.cmax"),
  },
];

// The operations whose R and Q the step asks for: with rows "changed", those
// whose R or Q the insertions since the previous table changed; all of them
// (null) otherwise, and at the first table, which has nothing before it.
function askedRows(replay, t, rows) {
  const e = replay.evalOfStep[t];
  if (rows !== "changed" || e <= 0) return null;
  const asked = new Set(), lists = replay.evaluations.changes[e];
  for (let f = 0; f < 2; ++f) {
    let k = 0;
    for (let i = 0; i < lists[f].length; i += 2) asked.add((k += lists[f][i]));
  }
  return asked;
}

// A step as practice sees it: the view (stepping.js), the kinds of cell it
// can ask and the words it asks (stepWords), and what its cells are read
// from, each made when first needed (a large instance's table and cells run
// to thousands):
//   order       the topological order (the program's: by level, then
//               number), the order in which R is computed
//   table       the step's table as practice shows it: in topological
//               order, or in operation order when the topological order is
//               asked (the rows would give it away); rank[k] the place of
//               operation k in it
//   links       NM and PM of the graph before the insertion (derive.js)
//   askedOps    the operations whose R and Q are asked, null for all
//   rows        those in the table's order
//   candidates  the candidate positions (derive.js)
//   explained   the step's derivations (derivation.js)
//   asks        whether it asks for a cell at all (stepAsks: without making
//               the cells, which a step shown does not need)
//   cells, index   the cells asked in the order of entry, and the place of
//               each key in it
//   memo(name, make)   anything else a kinds table derives, made once
// Another kinds table comes with the words it asks.
export function practiceStep(replay, view, options, kinds = INSERTION_CELLS, words = stepWords(replay, view.t, options)) {
  const lazy = new Map();
  const once = (name, make) => {
    if (!lazy.has(name)) lazy.set(name, make());
    return lazy.get(name);
  };
  return {
    t: view.t, view, kinds, words, replay, memo: once,
    get order() { return once("order", () => (view.evaluated ? Array.from(topoOrder(replay.N, view.before.L)) : [])); },
    get table() {
      return once("table", () => (view.evaluated && words.has("topo") ? Array.from({ length: replay.N }, (_, i) => i + 1) : this.order));
    },
    get rank() {
      return once("rank", () => {
        const rank = new Int32Array(replay.N + 1);
        this.table.forEach((k, i) => { rank[k] = i; });
        return rank;
      });
    },
    get links() { return once("links", () => machineLinks(replay.N, view.rowsBefore)); },
    get askedOps() { return once("askedOps", () => (view.evaluated ? askedRows(replay, view.t, options.rows) : null)); },
    get rows() { return once("rows", () => (this.askedOps ? this.table.filter((k) => this.askedOps.has(k)) : this.table)); },
    get candidates() { return once("candidates", () => candidateRows(replay, view)); },
    get explained() { return once("explained", () => explainStep(replay, view)); },
    get asks() { return once("asks", () => (kinds === INSERTION_CELLS ? stepAsks(replay, view.t, options) : this.cells.length > 0)); },
    get cells() { return once("cells", () => practiceCells(this)); },
    get index() { return once("index", () => new Map(this.cells.map((c, i) => [c.key, i]))); },
  };
}

// A cell's key, and back: the kind and the argument.
const cellKey = (kind, arg) => (arg === null ? kind : kind + ":" + arg);
function splitKey(key) {
  const colon = key.indexOf(":");
  return colon < 0 ? [key, null] : [key.slice(0, colon), key.slice(colon + 1)];
}

// The cells step `s` asks for, in the order of entry: [{ key, answer }].
export function practiceCells(s) {
  const cells = [];
  for (const kind of s.kinds) {
    if (!s.words.has(kind.word)) continue;
    for (const { arg, at, answer } of kind.cells(s)) cells.push({ key: cellKey(kind.kind, arg), answer, stage: kind.stage, at, sub: kind.sub, same: kind.same });
  }
  return cells.sort((a, b) => a.stage - b.stage || a.at - b.at || a.sub - b.sub)
    .map(({ key, answer, same }) => (same ? { key, answer, same } : { key, answer }));
}

// The kind of a cell's key at step s, and its argument; null for no kind.
function kindOf(s, key) {
  const [name, arg] = splitKey(key);
  const kind = s.kinds.find((k) => k.kind === name);
  return kind ? { kind, arg } : null;
}

// The derivation of cell `key` at step s, or null for a key of no cell.
export function cellDerivation(s, key) {
  const found = kindOf(s, key);
  return found ? found.kind.derive(s, found.arg) : null;
}

// The name of cell `key`'s input in the language of translator `tr`.
export function cellLabel(s, key, tr) {
  const found = kindOf(s, key);
  return found ? found.kind.label(tr, found.arg, s) : key;
}

// A typed whole number (signs "-" or "\u2212", spaces around), or null.
export function parseAnswer(text) {
  const m = /^\s*([-\u2212]?)(\d+)\s*$/.exec(String(text));
  if (!m) return null;
  const n = Number(m[2]);
  return m[1] ? -n : n;
}

// What a typed answer is: "empty", a "number", or "unreadable" (abc, 23.0):
// a check tells the last two kinds of wrong cell from the first, whose
// answer it does not give away.
export function answerState(text) {
  if (text === undefined || String(text).trim() === "") return "empty";
  return parseAnswer(text) === null ? "unreadable" : "number";
}

// What a typed answer is at step s's cell `key`: for a kind whose answers
// are not whole numbers (with `same`), any text typed is an answer.
export function cellAnswerState(s, key, text) {
  const state = answerState(text);
  return state === "unreadable" && kindOf(s, key)?.kind.same ? "number" : state;
}

// Marks each cell "ok" or "wrong" (an empty or unreadable answer is wrong).
// `answers` maps keys to typed texts. The step is solved when none is wrong.
export function checkAnswers(cells, answers) {
  const verdicts = Object.create(null);
  let wrong = 0;
  for (const { key, answer, same } of cells) {
    const ok = Object.hasOwn(answers, key) && (same ? same(answers[key], answer) : parseAnswer(answers[key]) === answer);
    verdicts[key] = ok ? "ok" : "wrong";
    if (!ok) ++wrong;
  }
  return { verdicts, wrong, solved: wrong === 0 };
}

// The summary of a student's records (a Map of step -> { solved, wrong } of
// the step's latest check): steps solved, and cells wrong at the latest
// checks; of the steps in `counted` (a Set) only, when given.
export function summarize(records, counted = null) {
  let solved = 0, wrong = 0, checked = 0;
  for (const [t, record] of records) {
    if (record.solved === undefined || (counted && !counted.has(t))) continue;
    ++checked;
    if (record.solved) ++solved;
    wrong += record.wrong;
  }
  return { solved, wrong, checked };
}

// The key of an instance's progress in the browser's storage: a hash of its
// name and operations, so that the same instance finds its progress again
// whichever file or page shows it, and another instance does not.
export function progressKey(replay) {
  let text = replay.name + "\n" + replay.J + " " + replay.MC;
  for (let k = 1; k <= replay.N; ++k) text += (k % replay.MC === 1 ? "\n" : " ") + replay.M[k] + " " + replay.P[k];
  // 53 bits from two 32-bit multiplicative hashes (cyrb53).
  let h1 = 0xdeadbeef, h2 = 0x41c6ce57;
  for (let i = 0; i < text.length; ++i) {
    const c = text.charCodeAt(i);
    h1 = Math.imul(h1 ^ c, 2654435761);
    h2 = Math.imul(h2 ^ c, 1597334677);
  }
  h1 = Math.imul(h1 ^ (h1 >>> 16), 2246822507) ^ Math.imul(h2 ^ (h2 >>> 13), 3266489909);
  h2 = Math.imul(h2 ^ (h2 >>> 16), 2246822507) ^ Math.imul(h1 ^ (h1 >>> 13), 3266489909);
  return "jobshop-replay.practice." + (4294967296 * (2097151 & h2) + (h1 >>> 0)).toString(36);
}
