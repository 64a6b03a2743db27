// Finding and telling a step's numbers: the step that inserts each
// operation, typed step and operation numbers, and the candidate table as
// text to copy. No DOM.

import { explainStep } from "./derivation.js";

// stepOf[k]: the step that inserts operation k.
export function insertionSteps(replay) {
  const stepOf = new Int32Array(replay.N + 1);
  replay.steps.forEach((s, i) => { stepOf[s.op] = i + 1; });
  return stepOf;
}

// A typed number of a step or an operation: the whole number 1..last it
// names, or null, with nothing typed, for the page to leave as it is.
// Anything else, a number out of range included, is { wrong: text } for a
// message: the page neither guesses nor clamps. A number field that holds
// what is not a number has the value "" and validity.badInput.
export function readNumber(text, last, badInput = false) {
  const typed = String(text).trim();
  if (badInput) return { wrong: "" };
  if (typed === "") return null;
  const n = /^\d+$/.test(typed) ? Number(typed) : NaN;
  return n >= 1 && n <= last ? { n } : { wrong: typed };
}

// The message for what readNumber read: "" when it names something or
// nothing was typed; `key` is the text for a number that names nothing.
export function numberMessage(tr, asked, key, last) {
  if (!asked || asked.n) return "";
  return asked.wrong === "" ? tr.t("explain.not-number", { last }) : tr.t(key, { asked: asked.wrong, last });
}

// The candidate table of step `view` as text for a spreadsheet: a header,
// then one line per position (fields separated by one tab, every line ending
// in LF) with the neighbours, both max terms with the operations they come
// from, p, the estimate and the table's mark. `labels` gives the header's
// words and the marks in the page's language: { position, estimate, mark,
// marks(row) }.
export function candidateTableText(replay, view, rows, labels) {
  if (!view.evaluated) return "";
  const explained = explainStep(replay, view);
  const lines = [[labels.position, "u", "v", "PO", "R[PO]", "R[u]", "max(R[PO], R[u])", "p",
    "NO", "Q[NO]", "Q[v]", "max(Q[NO], Q[v])", labels.estimate, labels.mark].join("\t") + "\n"];
  for (const row of rows) {
    const d = explained.estimate(row.position), [rPO, rU] = d.head.terms, [qNO, qV] = d.tail.terms;
    lines.push([row.position, row.u, row.v, rPO.op, rPO.value, rU.value, d.head.value, row.p,
      qNO.op, qNO.value, qV.value, d.tail.value, row.estimate, labels.marks(row)].join("\t") + "\n");
  }
  return lines.join("");
}
