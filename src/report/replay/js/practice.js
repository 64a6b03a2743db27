// Practice: which cells a step asks the student for, in the order the
// computation goes, their answers, the check of typed answers, the summary
// of a student's progress and the key under which a browser keeps it. No
// DOM.
//
// A cell's key (the page's data-cell) is its kind, or its kind and an
// argument after a colon: R:<op>, Q:<op> (the step's table), head:<b>,
// tail:<b>, est:<b> (position b's two max terms and its estimate), pos (the
// chosen position), seq:<i> (the operation at place i of the machine's
// sequence after the insertion, from 1).

import { candidateRows, machineLinks, topoOrder } from "./derive.js";
import { explainStep } from "./derivation.js";

// What the student chose to be asked: the rows of the step's table (all of
// them, or those the insertions since the previous table changed) and the
// estimates (with their two max terms, or the sum only).
export const DEFAULT_OPTIONS = { rows: "all", estimates: "terms" };
const OPTION_CHOICES = { rows: ["all", "changed"], estimates: ["terms", "sum"] };

// The options from what a browser kept (anything), known values only.
export function practiceOptions(stored) {
  const options = { ...DEFAULT_OPTIONS };
  for (const [name, choices] of Object.entries(OPTION_CHOICES)) {
    if (stored && choices.includes(stored[name])) options[name] = stored[name];
  }
  return options;
}

// The parts asked, as words: "rq" (R and Q of the table's rows), "terms"
// (the estimates' max terms), "est", "pos", "seq".
function askedWords(options) {
  const words = new Set(["rq", "est", "pos", "seq"]);
  if (options.estimates === "terms") words.add("terms");
  return words;
}

// The kinds of cell an insertion step asks for, one entry each:
//   kind      the key's first part
//   word      the word that asks for it (askedWords)
//   stage, sub   the order of entry: by stage, then by the cell's place
//             `at` in it, then by sub, so kinds of one stage go place by
//             place (the terms and the sum of each position)
//   cells(s)  the cells at step s (practiceStep): [{ arg, at, answer }]
//             (arg null for a key without one), the answer being the
//             program's number
//   derive(s, arg)   where the number comes from (derivation.js)
//   label(tr, arg, s)   the input's name for screen readers
//   same(typed, answer)  (optional) whether a typed text is the answer, for
//             an answer that is not a whole number
// Checking, the order of entry, the progress and the derivations shown take
// any kind from the table; a new kind joins with an entry (and a place in
// the panel for its inputs).
const INSERTION_CELLS = [
  {
    kind: "R", word: "rq", stage: 1, sub: 0,
    cells: (s) => s.rows.map((k, at) => ({ arg: k, at, answer: s.view.before.R[k] })),
    derive: (s, k) => s.explained.R(Number(k)),
    label: (tr, k) => "R[" + k + "]",
  },
  {
    // Q goes the other way: from the end of the topological order.
    kind: "Q", word: "rq", stage: 2, sub: 0,
    cells: (s) => s.rows.map((k, i) => ({ arg: k, at: s.rows.length - 1 - i, answer: s.view.before.Q[k] })),
    derive: (s, k) => s.explained.Q(Number(k)),
    label: (tr, k) => "Q[" + k + "]",
  },
  {
    kind: "head", word: "terms", stage: 3, sub: 0,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.head })),
    derive: (s, b) => ({ ...s.explained.estimate(Number(b)), kind: "head" }),
    label: (tr, b) => tr.t("practice.label.head", { b }),
  },
  {
    kind: "tail", word: "terms", stage: 3, sub: 1,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.tail })),
    derive: (s, b) => ({ ...s.explained.estimate(Number(b)), kind: "tail" }),
    label: (tr, b) => tr.t("practice.label.tail", { b }),
  },
  {
    kind: "est", word: "est", stage: 3, sub: 2,
    cells: (s) => s.candidates.map((r) => ({ arg: r.position, at: r.position, answer: r.estimate })),
    derive: (s, b) => s.explained.estimate(Number(b)),
    label: (tr, b) => tr.t("practice.label.est", { b }),
  },
  {
    kind: "pos", word: "pos", stage: 4, sub: 0,
    cells: (s) => [{ arg: null, at: 0, answer: s.view.step.position }],
    derive: (s) => s.explained.choice(),
    label: (tr) => tr.t("practice.label.pos"),
  },
  {
    kind: "seq", word: "seq", stage: 5, sub: 0,
    cells: (s) => s.view.rowsAfter[s.view.step.machine].map((k, i) => ({ arg: i + 1, at: i, answer: k })),
    derive: (s, i) => ({ ...s.explained.sequence(), place: Number(i) }),
    label: (tr, i) => tr.t("practice.label.seq", { i }),
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
// can ask and the words asked, and what its cells are read from, each made
// when first needed (a large instance's table and cells run to thousands):
//   order       the step's table in topological order (the program's: by
//               level, then number), the order in which R is computed;
//               rank[k] the place of operation k in it
//   links       NM and PM of the graph before the insertion (derive.js)
//   askedOps    the operations whose R and Q are asked, null for all
//   rows        those in topological order
//   candidates  the candidate positions (derive.js)
//   explained   the step's derivations (derivation.js)
//   cells, index   the cells asked in the order of entry, and the place of
//               each key in it
//   memo(name, make)   anything else a kinds table derives, made once
// Another kinds table comes with its own words asked.
export function practiceStep(replay, view, options, kinds = INSERTION_CELLS, words = askedWords(options)) {
  const lazy = new Map();
  const once = (name, make) => {
    if (!lazy.has(name)) lazy.set(name, make());
    return lazy.get(name);
  };
  return {
    t: view.t, view, kinds, words, replay, memo: once,
    get order() { return once("order", () => (view.evaluated ? Array.from(topoOrder(replay.N, view.before.L)) : [])); },
    get rank() {
      return once("rank", () => {
        const rank = new Int32Array(replay.N + 1);
        this.order.forEach((k, i) => { rank[k] = i; });
        return rank;
      });
    },
    get links() { return once("links", () => machineLinks(replay.N, view.rowsBefore)); },
    get askedOps() { return once("askedOps", () => (view.evaluated ? askedRows(replay, view.t, options.rows) : null)); },
    get rows() { return once("rows", () => (this.askedOps ? this.order.filter((k) => this.askedOps.has(k)) : this.order)); },
    get candidates() { return once("candidates", () => candidateRows(replay, view)); },
    get explained() { return once("explained", () => explainStep(replay, view)); },
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
// checks.
export function summarize(records) {
  let solved = 0, wrong = 0, checked = 0;
  for (const record of records.values()) {
    if (record.solved === undefined) continue;
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
