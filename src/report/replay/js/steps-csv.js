// All steps of a run as CSV (RFC 4180: comma-separated, CRLF line ends, a
// header line): one line per step, the same columns in every language.
// Lists (the estimates, a sequence) are one field, numbers separated by
// spaces; a field a step does not have (estimates on an empty machine) is
// empty. No DOM.

import { explainStep } from "./derivation.js";
import { createStepper } from "./stepping.js";

// step, op, job, machine, p: the step and the operation it inserts.
// PO, NO: the operation's job predecessor and successor (0 = none).
// positions: candidate positions (c+1 on a machine of c operations).
// position: the chosen one; u, v: its neighbours (0 = none); head, tail,
//   estimate: its max(R[PO], R[u]), max(Q[NO], Q[v]) and estimate.
// ties: how many positions share the smallest estimate.
// estimates: the estimates of positions 1..c+1.
// sequence: the machine's sequence after the step.
// makespan: the largest R of the graph after the step (Cmax after the last).
export const CSV_COLUMNS = ["step", "op", "job", "machine", "p", "PO", "NO", "positions", "position", "u", "v",
  "head", "tail", "estimate", "ties", "estimates", "sequence", "makespan"];

export function stepsCsv(replay) {
  const stepper = createStepper(replay);
  const lines = [CSV_COLUMNS.join(",")];
  for (let t = 1; t <= replay.STEPS; ++t) {
    const view = stepper.view(t), s = view.step, op = s.op;
    let chosen = [0, 0, "", "", "", "", ""];
    if (view.evaluated) {
      const explained = explainStep(replay, view), d = explained.estimate(s.position);
      chosen = [d.u, d.v, d.head.value, d.tail.value, s.estimates[s.position - 1], explained.choice().ties.length, s.estimates.join(" ")];
    }
    const [u, v, head, tail, estimate, ties, estimates] = chosen;
    lines.push([t, op, replay.jobOf(op), s.machine, replay.P[op], replay.PO[op], replay.NO[op],
      Math.max(1, s.estimates.length), s.position, u, v, head, tail, estimate, ties, estimates,
      view.rowsAfter[s.machine].join(" "), view.maxR].join(","));
  }
  return lines.join("\r\n") + "\r\n";
}
