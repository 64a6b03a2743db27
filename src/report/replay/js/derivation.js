// Where each number of a step comes from, with the step's own numbers: the
// topological order, the links NM and PM, R and Q of the step's table, each
// candidate position's neighbours, estimate and two max terms, the chosen
// position (with the tie rule), the machine's sequence after the insertion
// and the largest R after the step. A derivation is data (its terms, each with the
// operation it comes from) and a text made from that data. No DOM.
//
// The arithmetic is the program's: R[k] = max(R[PO], R[PM]) + p and
// Q[k] = max(Q[NO], Q[NM]) + p over the graph before the insertion (R and Q
// include the operation's own time, R[0] = Q[0] = 0 stand for "none"); the
// estimate of position b is max(R[PO], R[u]) + p + max(Q[NO], Q[v]); the
// smallest estimate wins, the front-most among equal ones. The topological
// order goes by level (1 + the larger level of PO and PM, 0 for none), then
// by number.

import { machineLinks, topoOrder } from "./derive.js";

// A term of a max: the value of `letter` (R or Q) at operation `op`, which
// is the operation's `role` (PO, PM, u, ...).
const term = (letter, role, op, values) => ({ letter, role, op, value: values[op] });
const maxOf = (terms) => Math.max(terms[0].value, terms[1].value);

// The derivations of step `view` (a view of stepping.js). Each is computed
// from its terms, not copied from the program's result, so that comparing
// the two checks the derivation.
export function explainStep(replay, view) {
  const { PO, NO, P } = replay;
  const s = view.step, op = s.op, R = view.before.R, Q = view.before.Q;
  const row = view.rowsBefore[s.machine];
  let links = null;
  const machine = () => links || (links = machineLinks(replay.N, view.rowsBefore));
  const part = (terms) => ({ terms, value: maxOf(terms) });
  let order = null;
  const topological = () => order || (order = topoOrder(replay.N, view.before.L));
  const L = view.before.L;
  return {
    // Place i of the topological order, and the operations of its level.
    topo(i) {
      const k = topological()[i - 1], terms = [term("L", "PO", PO[k], L), term("L", "PM", machine().PM[k], L)];
      const level = 1 + maxOf(terms);
      return { kind: "topo", place: i, op: k, terms, value: k, level, peers: topological().filter((x) => L[x] === level) };
    },
    // NM or PM of operation k: its neighbour in its machine's sequence.
    link(kind, k) {
      const sequence = view.rowsBefore[replay.M[k]], at = sequence.indexOf(k);
      const value = at < 0 ? 0 : (sequence[kind === "NM" ? at + 1 : at - 1] ?? 0);
      return { kind, op: k, machine: replay.M[k], sequence: sequence.slice(), placed: at >= 0, value };
    },
    // u or v of position b: the operations it comes between.
    neighbour(kind, b) {
      const value = (kind === "u" ? row[b - 2] : row[b - 1]) ?? 0;
      return { kind, position: b, machine: s.machine, before: row.slice(), value };
    },
    // The largest R of the graph after the step, from 0 up, as the program
    // takes it (op 0 when none is larger).
    makespan() {
      let op = 0;
      for (let k = 1; k <= replay.N; ++k) if (view.after.R[k] > view.after.R[op]) op = k;
      return { kind: "cmax", t: view.t, op, value: view.after.R[op], final: view.final };
    },
    R(k) {
      const terms = [term("R", "PO", PO[k], R), term("R", "PM", machine().PM[k], R)];
      return { kind: "R", op: k, terms, p: P[k], value: maxOf(terms) + P[k] };
    },
    Q(k) {
      const terms = [term("Q", "NO", NO[k], Q), term("Q", "NM", machine().NM[k], Q)];
      return { kind: "Q", op: k, terms, p: P[k], value: maxOf(terms) + P[k] };
    },
    // Position b (1..c+1) puts op between u and v.
    estimate(b) {
      const u = b >= 2 ? row[b - 2] : 0, v = b <= row.length ? row[b - 1] : 0;
      const head = part([term("R", "PO", PO[op], R), term("R", "u", u, R)]);
      const tail = part([term("Q", "NO", NO[op], Q), term("Q", "v", v, Q)]);
      return { kind: "est", position: b, u, v, head, p: P[op], tail, value: head.value + P[op] + tail.value };
    },
    // The position the step chooses from the program's estimates.
    choice() {
      const estimates = s.estimates;
      if (estimates.length === 0) return { kind: "pos", empty: true, machine: s.machine, position: 1 };
      const best = Math.min(...estimates);
      const ties = [];
      estimates.forEach((x, i) => { if (x === best) ties.push(i + 1); });
      return { kind: "pos", empty: false, machine: s.machine, estimates, best, ties, position: ties[0] };
    },
    sequence() {
      const position = this.choice().position;
      const after = row.slice();
      after.splice(position - 1, 0, op);
      return { kind: "seq", machine: s.machine, op, position, before: row.slice(), after };
    },
  };
}

// A number after an operator: a negative one in parentheses.
const operand = (x) => (x < 0 ? "(" + x + ")" : String(x));
const named = (x) => x.letter + "[" + x.role + "]=" + x.letter + "[" + x.op + "]";
const maxNamed = (part) => "max(" + part.terms.map(named).join(", ") + ")";
const maxValues = (part) => "max(" + part.terms.map((x) => x.value).join(", ") + ")";

// A max term as the candidate table shows it:
// max(R[PO]=R[3]=9, R[u]=R[7]=12) = 12.
export function maxTermText(part) {
  return "max(" + part.terms.map((x) => named(x) + "=" + x.value).join(", ") + ") = " + part.value;
}

// The texts of the derivations, by their kind; the formulas are the same in
// every language, translator `tr` gives the words.
const TEXTS = {
  R: rqText,
  Q: rqText,
  head: termText,
  tail: termText,
  est: (d, tr) => tr.t("derive.position", { b: d.position }) + ": " + maxNamed(d.head) + " + p + " + maxNamed(d.tail) + " = " +
    maxValues(d.head) + " + " + operand(d.p) + " + " + maxValues(d.tail) + " = " +
    d.head.value + " + " + operand(d.p) + " + " + operand(d.tail.value) + " = " + d.value,
  pos: (d, tr) => {
    if (d.empty) return tr.t("derive.pos-empty", { machine: d.machine });
    return tr.t("derive.pos-estimates", { last: d.estimates.length, estimates: d.estimates.join(", ") }) + " " +
      (d.ties.length === 1 ? tr.t("derive.pos-one", { best: d.best, b: d.position }) :
        tr.t("derive.pos-tie", { best: d.best, ties: d.ties.join(", "), b: d.position }));
  },
  topo: (d, tr) => tr.t("derive.topo", {
    i: d.place, k: d.op, formula: maxNamed(d), values: maxValues(d), level: d.level, peers: d.peers.join(" "),
  }),
  NM: linkText,
  PM: linkText,
  u: neighbourText,
  v: neighbourText,
  cmax: (d, tr) => tr.t(d.op === 0 ? "derive.cmax-zero" : "derive.cmax", { t: d.t, k: d.op, value: d.value }) +
    (d.final ? " " + tr.t("derive.cmax-final") : ""),
  seq: (d, tr) => tr.t("derive.seq", {
    machine: d.machine, before: d.before.length > 0 ? d.before.join(" ") : tr.t("derive.seq-empty"),
    op: d.op, b: d.position, after: d.after.join(" "),
  }) + (d.place ? " " + tr.t("derive.seq-place", { i: d.place, k: d.after[d.place - 1] }) : ""),
};

// A sequence as text, "pusta" when empty.
const sequenceText = (sequence, tr) => (sequence.length > 0 ? sequence.join(" ") : tr.t("derive.seq-empty"));

function linkText(d, tr) {
  if (!d.placed) return tr.t("derive.link-unplaced", { kind: d.kind, k: d.op, machine: d.machine });
  return tr.t(d.kind === "NM" ? "derive.nm" : "derive.pm", { k: d.op, machine: d.machine, sequence: sequenceText(d.sequence, tr), value: d.value }) +
    (d.value === 0 ? " " + tr.t("derive.none") : "");
}

function neighbourText(d, tr) {
  return tr.t(d.kind === "u" ? "derive.u" : "derive.v", { b: d.position, machine: d.machine, sequence: sequenceText(d.before, tr), value: d.value }) +
    (d.value === 0 ? " " + tr.t("derive.none") : "");
}

function rqText(d) {
  return d.kind + "[" + d.op + "] = " + maxNamed(d) + " + p = " + maxValues(d) + " + " + operand(d.p) + " = " + d.value;
}

// One max term of an estimate (d.kind is "head" or "tail").
function termText(d, tr) {
  const part = d[d.kind];
  return tr.t("derive.position", { b: d.position }) + ": " + maxNamed(part) + " = " + maxValues(part) + " = " + part.value;
}

// A derivation as a line of text, in the language of translator `tr`.
// A derivation of another kinds table than the insertion's brings its own
// text(tr).
export function derivationText(d, tr) {
  if (d && typeof d.text === "function") return d.text(tr);
  return d && Object.hasOwn(TEXTS, d.kind) ? TEXTS[d.kind](d, tr) : "";
}
