// The graph after each step and the worksheet, against the program's own
// trace: the arcs shown are the graph's (machine arcs as the next step's
// table has them), the longest path runs from the source to the sink with
// the largest R as its length, the arcs marked added are those the step
// made, and an answer key holds the trace's tables where the sheet is blank.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { buildGraph, graphLayout, longestPath } from '../../src/report/replay/js/graph-scene.js';
import { graphItems } from '../../src/report/replay/js/graph-svg.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { sheetRangeProblem, worksheet } from '../../src/report/replay/js/worksheet.js';
import { makePage, readTrace, runInstanceText } from './support.mjs';

const runs = {};

before(() => {
  for (const [name, file] of [['ta01', 'benchmarks/ta01.txt'], ['ft06', 'examples/ft06/input.txt']]) {
    const run = makePage(file, name);
    runs[name] = { run, trace: readTrace(run.trace), replay: decodeReplay(parseReplayData(fs.readFileSync(run.data, 'utf8'))) };
  }
});

after(() => {
  for (const { run } of Object.values(runs)) fs.rmSync(run.folder, { recursive: true, force: true });
});

// The machine arcs "k-NM" of a trace table (the graph before its step).
function machineArcsOfTable(table) {
  return table.split('\n').slice(1, -1).map((l) => l.split('\t').map(Number)).filter((c) => c[5] > 0).map((c) => c[0] + '-' + c[5]).sort();
}

test('every step of ft06 and ta01: the graph\'s arcs, its longest path and the arcs added', () => {
  let insertedCritical = 0;
  for (const { trace, replay } of Object.values(runs)) {
    const { N, MC, P, STEPS } = replay;
    const layout = graphLayout(replay);
    const stepper = createStepper(replay);
    let previous = new Set();
    for (let t = 1; t <= STEPS; ++t) {
      const view = stepper.view(t);
      const g = buildGraph(replay, view, layout);
      const keys = g.arcs.map((a) => a.from + '-' + a.to);
      assert.equal(new Set(keys).size, keys.length, `step ${t}: an arc shown twice`);
      assert.equal(g.nodes.length, N);

      // Machine arcs: those of the next table the trace writes (that step's
      // graph is this one), or of the final sequences after the last step.
      const next = trace.steps.slice(t).find((s) => s !== null);
      const expected = next ? machineArcsOfTable(next.table) :
        replay.sequences.flatMap((r) => r.slice(1).map((k, i) => r[i] + '-' + k)).sort();
      const machine = g.arcs.filter((a) => a.kind === 'machine').map((a) => a.from + '-' + a.to);
      assert.deepEqual([...machine].sort(), expected, `machine arcs after step ${t}`);
      // Job, source and sink arcs: each job a chain from 0 to 0.
      for (let j = 0; j < replay.J; ++j) {
        const ops = Array.from({ length: MC }, (_, c) => j * MC + c + 1);
        for (const [a, b] of [0, ...ops].map((k, i, all) => [k, all[i + 1] ?? 0])) assert.ok(keys.includes(a + '-' + b), `${a}-${b}`);
      }
      assert.equal(g.arcs.length, expected.length + replay.J * (MC + 1), `step ${t}: arcs beyond the graph's`);

      // The longest path: along arcs shown, 0 to 0, as long as the largest R.
      const pathArcs = [0, ...g.path, 0].slice(1).map((k, i) => [0, ...g.path][i] + '-' + k);
      assert.ok(g.path.length > 0, `step ${t}: no path`);
      assert.deepEqual(g.arcs.filter((a) => a.critical).map((a) => a.from + '-' + a.to).sort(), [...pathArcs].sort(), `step ${t}`);
      assert.equal(g.path.reduce((sum, k) => sum + P[k], 0), view.maxR, `length of the path after step ${t}`);
      if (t === STEPS) assert.equal(view.maxR, trace.cmax);

      // The inserted operation is marked as on the longest path exactly when
      // it is, in the scene and in its SVG item.
      const op = view.step.op, inserted = g.nodes[op - 1];
      assert.equal(inserted.critical, g.path.includes(op), `inserted ${op} after step ${t}`);
      assert.equal('data-critical' in graphItems(g).find((it) => it.key === 'n' + op).attrs, inserted.critical);
      if (inserted.critical) ++insertedCritical;

      // Added: exactly the machine arcs this step made; replaced: the one it broke.
      const now = new Set(machine);
      assert.deepEqual(g.arcs.filter((a) => a.added).map((a) => a.from + '-' + a.to).sort(), machine.filter((k) => !previous.has(k)).sort(), `added by step ${t}`);
      const gone = [...previous].filter((k) => !now.has(k));
      assert.deepEqual(g.removed ? [g.removed.from + '-' + g.removed.to] : [], gone, `replaced by step ${t}`);
      previous = now;
    }
  }
  assert.ok(insertedCritical > 10, `inserted operations on the longest path: ${insertedCritical}`);
});

test('among equal longest paths, the smallest start and at a fork the smaller successor', () => {
  // Jobs 1-2 and 3-4; the second case adds the machine arc 1 -> 3.
  const links = (nm) => ({ NO: [0, 2, 0, 4, 0], PO: [0, 0, 1, 0, 3], NM: nm, PM: [0, 0, 0, nm[1] ? 1 : 0, 0] });
  assert.deepEqual(longestPath(4, links([0, 0, 0, 0, 0]), [0, 1, 2, 1, 2], [0, 2, 1, 2, 1], 2), [1, 2]);
  // p = 1, 2, 1, 1: from 1 both 2 and 3 continue a longest path of 3.
  assert.deepEqual(longestPath(4, links([0, 3, 0, 0, 0]), [0, 1, 3, 2, 3], [0, 3, 2, 2, 1], 3), [1, 2]);
  // Values that describe no graph give no path rather than a wrong one.
  assert.deepEqual(longestPath(4, links([0, 0, 0, 0, 0]), [0, 1, 2, 1, 2], [0, 2, 5, 2, 1], 2), []);
});

test('a worksheet is blank where its answer key holds the trace\'s tables', () => {
  const { trace, replay } = runs.ft06;
  const header = 'Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n';
  const sheet = worksheet(replay, 8, 12, false), key = worksheet(replay, 8, 12, true);
  assert.equal(key.steps.length, 5);
  assert.ok(key.steps.some((s) => !s.evaluated) && key.steps.some((s) => s.evaluated), 'both kinds of step');
  key.steps.forEach((s, i) => {
    const expected = trace.steps[s.t - 1], blank = sheet.steps[i];
    assert.equal(s.evaluated, expected !== null);
    assert.ok(s.sequence.includes(s.op));
    if (!s.evaluated) return;
    assert.equal(header + s.table.map((c) => c.join('\t') + '\n').join(''), expected.table, `step ${s.t}`);
    assert.equal(s.topo, expected.topo.join(' '));
    assert.equal(s.candidates.filter((c) => c.chosen).map((c) => c.cells[0]).join(), String(s.position));
    // The sheet gives what the student starts from and nothing computed.
    assert.deepEqual(blank.table.map((c) => c.slice(0, 5)), s.table.map((c) => c.slice(0, 5)));
    assert.ok(blank.table.every((c) => c.slice(5).every((x) => x === '')), 'NM, PM, R, Q blank');
    blank.candidates.forEach((c, r) => assert.deepEqual(c, { cells: [r + 1, '', '', '', replay.P[s.op], '', ''], chosen: false }));
    assert.equal(blank.position, '');
    assert.ok(blank.sequence.every((x) => x === '') && blank.sequence.length === s.sequence.length);
    assert.equal(blank.topo, '');
  });
  // The sequences given before the first step are those of the step's view.
  assert.deepEqual(key.start, createStepper(replay).view(8).rowsBefore.slice(1));
});

test('a worksheet range out of bounds or too long is refused with a reason', () => {
  const { replay } = runs.ft06;
  const cases = [[1, 1, null], [27, 36, null], [0, 3, 'sheet.bad-range'], [3, 2, 'sheet.bad-range'], [35, 37, 'sheet.bad-range'],
    [1.5, 2, 'sheet.bad-range'], [NaN, 2, 'sheet.bad-range'], [1, 11, 'sheet.too-many']];
  for (const [from, to, key] of cases) assert.equal(sheetRangeProblem(replay, from, to)?.key ?? null, key, `${from}..${to}`);
  const wide = runInstanceText(`szesnascie\n16 1\n${'1 1\n'.repeat(16)}`, 'szesnascie', { trace: false });
  try {
    const big = decodeReplay(parseReplayData(fs.readFileSync(wide.data, 'utf8')));
    assert.equal(sheetRangeProblem(big, 1, 1)?.key, 'sheet.too-big');
  } finally {
    fs.rmSync(wide.folder, { recursive: true, force: true });
  }
});
