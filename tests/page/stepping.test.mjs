// Decoding and stepping against the program's own trace: on ta01 (15 x 15,
// several snapshots), every step's table, topological order and candidate
// estimates, reached forward, backward and by jumps, are the trace's.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { candidateRows, changedOps, topoOrder, traceTableText } from '../../src/report/replay/js/derive.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { makePage, readTrace } from './support.mjs';

let run, trace, replay;

before(() => {
  run = makePage('benchmarks/ta01.txt', 'ta01');
  trace = readTrace(run.trace);
  replay = decodeReplay(parseReplayData(fs.readFileSync(run.data, 'utf8')));
});

after(() => fs.rmSync(run.folder, { recursive: true, force: true }));

function expectStep(stepper, t) {
  const view = stepper.view(t);
  const expected = trace.steps[t - 1];
  // The changes panel's operations: exactly those whose R or Q the step's
  // insertion changed (a level alone is no change to show).
  const { before: B, after: A } = view;
  const changed = [];
  for (let k = 1; k <= replay.N; ++k) if (B.R[k] !== A.R[k] || B.Q[k] !== A.Q[k]) changed.push(k);
  assert.deepEqual(changedOps(view), changed, `changes of step ${t}`);
  if (expected === null) {
    assert.equal(view.evaluated, false, `step ${t}`);
    return;
  }
  assert.equal(traceTableText(replay, view), expected.table, `table of step ${t}`);
  assert.deepEqual(Array.from(topoOrder(replay.N, view.before.L)), expected.topo, `order of step ${t}`);
  // The page's own estimate from the table agrees with the program's, and
  // the chosen position is the front-most smallest.
  const rows = candidateRows(replay, view);
  assert.deepEqual(rows.filter((r) => r.mismatch), [], `estimates of step ${t}`);
  assert.equal(rows.find((r) => r.best).position, view.step.position, `position of step ${t}`);
}

test('ta01: every step forward, backward and by jumps is the trace\'s', () => {
  const { STEPS, evaluations } = replay;
  assert.ok(evaluations.snapshots.length >= 3, 'the instance crosses several snapshots');
  assert.equal(trace.steps.length, STEPS);

  const forward = createStepper(replay);
  for (let t = 1; t <= STEPS; ++t) expectStep(forward, t);
  const last = forward.view(STEPS);
  assert.equal(last.maxR, trace.cmax);
  assert.deepEqual(last.rowsAfter.slice(1), replay.sequences);

  const backward = createStepper(replay);
  for (let t = STEPS; t >= 1; --t) expectStep(backward, t);

  let seed = 11;
  for (let i = 0; i < 60; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    expectStep(forward, 1 + (seed % STEPS));
  }
});
