// Practice on a search iteration: the kinds of cell it asks for (a kinds
// table for practice.js's practiceStep, beside the insertion's), their
// answers from the program's record and their derivations. No DOM.
//
// Keys: crit:<i> (the operation at place i of the critical path, from 1),
// move:<name> and cmax:<name> (a candidate move named as the trace names
// it: a-b, a>b or b<a; the student types the name of the list's move at
// that place, and the makespan after it), pick (the move made, by name).
// A move that would close a cycle has no makespan and asks none.

import { SEARCH_ASK_WORDS } from "./ask.js";
import { practiceStep } from "./practice.js";
import { afterMove, choiceOf, moveRows } from "./search-derive.js";

// A typed move is the move's name, spaces aside, with any dash for '-'.
export const sameMove = (typed, name) => String(typed).replace(/\s+/g, "").replace(/[\u2010-\u2015\u2212]/g, "-") === name;

// The moves of step `s` as moveRows gives them, made once.
export const practiceMoves = (s) => s.memo("moves", () => moveRows(s.replay, s.view));
const movesOf = practiceMoves;
const moveNamed = (s, name) => movesOf(s).find((m) => m.name === name);

const SEARCH_CELLS = [
  {
    kind: "crit", word: "crit", stage: 1, sub: 0,
    cells: (s) => s.view.search.it.path.map((k, i) => ({ arg: i + 1, at: i, answer: k })),
    derive: (s, i) => {
      const path = s.view.search.it.path;
      return { text: (tr) => tr.t("derive.crit", { path: path.join(" "), last: path[path.length - 1], cmax: s.view.maxR, i, k: path[i - 1] }) };
    },
    label: (tr, i) => tr.t("practice.label.crit", { i }),
  },
  {
    kind: "move", word: "moves", stage: 2, sub: 0, same: sameMove,
    cells: (s) => movesOf(s).map((m, at) => ({ arg: m.name, at, answer: m.name })),
    derive: (s, name) => {
      const m = moveNamed(s, name);
      return {
        text: (tr) => tr.t("derive.move", {
          i: m.index, block: m.blockNo, ops: m.blockOps.join(" "), name, what: tr.t("derive.move." + m.kind, { a: m.a, b: m.b }),
        }),
      };
    },
    label: (tr, name, s) => tr.t("practice.label.move", { i: moveNamed(s, name).index }),
  },
  {
    kind: "cmax", word: "mcmax", stage: 2, sub: 1,
    cells: (s) => movesOf(s).flatMap((m, at) => (m.status === "cycle" ? [] : [{ arg: m.name, at, answer: m.cmax }])),
    derive: (s, name) => {
      const m = moveNamed(s, name), after = afterMove(s.replay, s.view, m), machine = s.replay.M[m.a];
      return {
        cmax: after.ev.cmax,
        text: (tr) => tr.t("derive.mcmax", { name, machine, row: after.rows[machine].join(" "), path: after.path.join(" \u2192 "), cmax: after.ev.cmax }),
      };
    },
    label: (tr, name, s) => tr.t("practice.label.mcmax", { i: moveNamed(s, name).index }),
  },
  {
    kind: "pick", word: "pick", stage: 3, sub: 0, same: sameMove,
    cells: (s) => (s.view.search.chosen ? [{ arg: null, at: 0, answer: s.view.search.chosen.name }] : []),
    derive: (s) => {
      const c = choiceOf(s.replay, s.view);
      const list = c.among.map((m) => m.name + " (" + (c.rule === "oldestTabu" ? m.tabuUntil : m.cmax) + ")").join(", ");
      return { text: (tr) => tr.t("derive.pick." + c.rule, { best: c.best, list, name: c.chosen.name }) };
    },
    label: (tr) => tr.t("practice.label.pick"),
  },
];

// The words a search iteration asks: those of the search among the
// options' words (ask.js), or all four when they name none; none for an
// exercise set on the insertion's steps.
export function searchWords(options) {
  if (options.range) return new Set();
  const named = SEARCH_ASK_WORDS.filter((w) => options.ask?.includes(w));
  return new Set(named.length > 0 ? named : SEARCH_ASK_WORDS);
}

// The places of the page's iterations that ask something.
export function searchAskingPlaces(replay, options) {
  const words = searchWords(options), places = [];
  if (!replay.search || words.size === 0) return places;
  replay.search.iterations.forEach((it, i) => {
    const moves = it.moves.length > 0 && (words.has("moves") || words.has("mcmax"));
    if (words.has("crit") || moves || (words.has("pick") && it.chosen >= 0)) places.push(replay.STEPS + i + 1);
  });
  return places;
}

// The practice context of search view `view` (practice.js's practiceStep,
// with this kinds table).
export const searchPracticeStep = (replay, view, options) => practiceStep(replay, view, options, SEARCH_CELLS, searchWords(options));
