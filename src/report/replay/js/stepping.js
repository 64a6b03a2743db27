// Moving through the run: R, Q and level of any evaluation, the machine
// sequences after any step, and the view of one step built from both. No
// DOM; the cursors keep their position between calls, so neighbouring steps
// cost a few change lists.

const FIELDS = ["R", "Q", "L"];

// R, Q and level (L) of one evaluation, moved along by the stored changes
// (forward adds them, backward subtracts them) or reloaded from the nearest
// full snapshot, so reaching any evaluation costs at most snapshotEvery/2
// change lists.
function createEvaluationCursor(replay) {
  const { N, evaluations: ev } = replay;
  const cursor = { at: -1, R: new Float64Array(N + 2), Q: new Float64Array(N + 2), L: new Float64Array(N + 2) };
  const applyChanges = (e, sign) => {
    const ch = ev.changes[e];
    for (let f = 0; f < 3; ++f) {
      const list = ch[f], arr = cursor[FIELDS[f]];
      let k = 0;
      for (let i = 0; i < list.length; i += 2) {
        k += list[i];
        arr[k] += sign * list[i + 1];
      }
    }
  };
  const loadSnapshot = (s) => {
    const snap = ev.snapshots[s];
    for (let k = 1; k <= N; ++k) {
      cursor.R[k] = snap.R[k - 1];
      cursor.Q[k] = snap.Q[k - 1];
      cursor.L[k] = snap.level[k - 1];
    }
    cursor.at = s * ev.snapshotEvery;
  };
  cursor.moveTo = (e) => {
    const S = ev.snapshotEvery;
    if (cursor.at < 0 || Math.abs(e - cursor.at) > S / 2) loadSnapshot(Math.min(Math.round(e / S), ev.snapshots.length - 1));
    while (cursor.at < e) applyChanges(++cursor.at, +1);
    while (cursor.at > e) applyChanges(cursor.at--, -1);
  };
  return cursor;
}

// Machine sequences after `step` steps (rows[i] for machine i, rows[0]
// unused), moved one step at a time: a step inserts at its position,
// undoing it removes that position.
function createSequenceCursor(replay) {
  const cursor = { step: 0, rows: [] };
  for (let i = 0; i <= replay.MC; ++i) cursor.rows.push([]);
  cursor.moveTo = (t) => {
    const steps = replay.steps, rows = cursor.rows;
    while (cursor.step < t) {
      const s = steps[cursor.step++];
      rows[s.machine].splice(s.position - 1, 0, s.op);
    }
    while (cursor.step > t) {
      const s = steps[--cursor.step];
      rows[s.machine].splice(s.position - 1, 1);
    }
  };
  return cursor;
}

// The view of step t (1..STEPS), a snapshot that later moves do not change:
//   before: R, Q, L of the graph the step's estimates come from (the trace's
//     table of the step); after: those of the graph after the step.
//   rowsBefore / rowsAfter: machine sequences before and after the step.
//   changes: the change lists from before to after (null when equal).
//   maxR: the largest R after the step (Cmax after the last one).
export function createStepper(replay) {
  const evaluation = createEvaluationCursor(replay);
  const sequence = createSequenceCursor(replay);
  const copyRows = () => sequence.rows.map((r) => r.slice());
  const copyState = () => ({ R: evaluation.R.slice(), Q: evaluation.Q.slice(), L: evaluation.L.slice() });
  return {
    view(t) {
      const { N, afterStep, evalOfStep, evaluations } = replay;
      const e0 = afterStep[t - 1], e1 = afterStep[t];
      evaluation.moveTo(e0);
      const before = copyState();
      evaluation.moveTo(e1);
      const after = copyState();
      sequence.moveTo(t - 1);
      const rowsBefore = copyRows();
      sequence.moveTo(t);
      let maxR = 0;
      for (let k = 1; k <= N; ++k) if (after.R[k] > maxR) maxR = after.R[k];
      return {
        t, step: replay.steps[t - 1], evaluated: evalOfStep[t] >= 0, before, after,
        changes: e1 !== e0 ? evaluations.changes[e1] : null,
        rowsBefore, rowsAfter: copyRows(), maxR, final: t === replay.STEPS,
      };
    },
  };
}
