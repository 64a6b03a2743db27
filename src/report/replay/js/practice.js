// Practice: which cells a step asks the student for, in the order the
// computation goes, their answers, the check of typed answers, the summary
// of a student's progress and the key under which a browser keeps it. No
// DOM.
//
// A cell's key (the page's data-cell): R:<op>, Q:<op> (the step's table),
// head:<b>, tail:<b>, est:<b> (position b's two max terms and its estimate),
// pos (the chosen position), seq:<i> (the operation at place i of the
// machine's sequence after the insertion, from 1).

import { candidateRows, topoOrder } from "./derive.js";

export const DEFAULT_OPTIONS = { rows: "all", estimates: "terms" };

// The operations whose R and Q the step asks for: with rows "changed", those
// whose R or Q the insertions since the previous table changed; all of them
// (null) otherwise, and at the first table, which has nothing before it.
export function askedRows(replay, t, rows) {
  const e = replay.evalOfStep[t];
  if (rows !== "changed" || e <= 0) return null;
  const asked = new Set(), lists = replay.evaluations.changes[e];
  for (let f = 0; f < 2; ++f) {
    let k = 0;
    for (let i = 0; i < lists[f].length; i += 2) asked.add((k += lists[f][i]));
  }
  return asked;
}

// The step's table in topological order (the program's: by level, then
// number), the order in which R is computed; Q goes the other way.
export const tableOrder = (replay, view) => (view.evaluated ? Array.from(topoOrder(replay.N, view.before.L)) : []);

// The cells step `view` asks for, in entry order: R in topological order,
// then Q in reverse, then position by position its max terms (when asked)
// and estimate, then the chosen position, then the machine's sequence.
// Each is { key, answer }, the answer being the program's number.
export function practiceCells(replay, view, options, order = tableOrder(replay, view)) {
  const cells = [];
  const s = view.step, R = view.before.R, Q = view.before.Q;
  if (view.evaluated) {
    const asked = askedRows(replay, view.t, options.rows);
    const rows = asked ? order.filter((k) => asked.has(k)) : order;
    for (const k of rows) cells.push({ key: "R:" + k, answer: R[k] });
    for (let i = rows.length - 1; i >= 0; --i) cells.push({ key: "Q:" + rows[i], answer: Q[rows[i]] });
    for (const row of candidateRows(replay, view)) {
      if (options.estimates === "terms") {
        cells.push({ key: "head:" + row.position, answer: row.head }, { key: "tail:" + row.position, answer: row.tail });
      }
      cells.push({ key: "est:" + row.position, answer: row.estimate });
    }
  }
  cells.push({ key: "pos", answer: s.position });
  view.rowsAfter[s.machine].forEach((k, i) => cells.push({ key: "seq:" + (i + 1), answer: k }));
  return cells;
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
  const verdicts = {};
  let wrong = 0;
  for (const { key, answer } of cells) {
    const ok = key in answers && parseAnswer(answers[key]) === answer;
    verdicts[key] = ok ? "ok" : "wrong";
    if (!ok) ++wrong;
  }
  return { verdicts, wrong, solved: wrong === 0 };
}

// The summary of a student's records (step -> { solved, wrong } of the
// step's latest check): steps solved, and cells wrong at the latest checks.
export function summarize(records) {
  let solved = 0, wrong = 0, checked = 0;
  for (const record of Object.values(records)) {
    if (!record || record.solved === undefined) continue;
    ++checked;
    if (record.solved) ++solved;
    wrong += record.wrong || 0;
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
