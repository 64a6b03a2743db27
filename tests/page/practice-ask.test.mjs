// Practice asking what a worksheet asks: the links, the neighbours u and v
// and the topological order against the trace of jobshop-insert, every
// cell against the sheets' own (ask.js), the steps of an exercise, and the
// exercise read from a page's address.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { ASK_WORDS, cmaxCell, stepCells } from '../../src/report/replay/js/ask.js';
import { derivationText } from '../../src/report/replay/js/derivation.js';
import { exerciseQuery, readExercise, withoutExercise } from '../../src/report/replay/js/exercise-link.js';
import { makeTranslator } from '../../src/report/replay/js/lang.js';
import { answerState, askingSteps, cellDerivation, practiceStep } from '../../src/report/replay/js/practice.js';
import { practiceStrings } from '../../src/report/replay/js/practice-strings.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { makePage, readTrace } from './support.mjs';

let ft06 = null;
before(() => {
  const made = makePage('examples/ft06/input.txt', 'ft06');
  const text = fs.readFileSync(made.trace, 'utf8');
  // The machine sequences after each step: the trace's permutation block,
  // rows of numbers each ended by a tab, zeros for empty places.
  const sections = text.split('*'.repeat(58) + '\n');
  const sequences = sections.slice(0, sections.length - 2).map((section) =>
    section.split('\n').filter((l) => /^(-?\d+\t)+$/.test(l)).map((l) => l.split('\t').map(Number).filter((k) => k > 0)));
  ft06 = { ...made, trace: readTrace(made.trace), sequences, replay: decodeReplay(parseReplayData(fs.readFileSync(made.data, 'utf8'))) };
});
after(() => fs.rmSync(ft06.folder, { recursive: true, force: true }));

const everything = { rows: 'all', ask: ASK_WORDS, range: null };
const cellMap = (cells) => Object.fromEntries(cells.map((c) => [c.key, c.answer]));

test('practice asks the links, u and v and the topological order as the trace has them, and every cell as the sheets do', () => {
  const { replay, trace, sequences } = ft06;
  const stepper = createStepper(replay);
  for (let t = 1; t <= replay.STEPS; ++t) {
    const view = stepper.view(t), s = practiceStep(replay, view, everything), cells = cellMap(s.cells), at = `step ${t}`;
    // The sheets' and the quiz's cells, answer for answer.
    const sheet = [...stepCells(replay, view, ASK_WORDS), ...(t === replay.STEPS ? cmaxCell(view, ASK_WORDS) : [])];
    assert.deepEqual(cells, cellMap(sheet), at);
    if (!trace.steps[t - 1]) {
      assert.deepEqual(Object.keys(cells), t === replay.STEPS ? ['cmax'] : [], `${at}: an empty machine asks nothing`);
      continue;
    }
    trace.steps[t - 1].topo.forEach((k, i) => assert.equal(cells[`topo:${i + 1}`], k, `${at}: topo:${i + 1}`));
    const rows = trace.steps[t - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
    for (const r of rows) assert.deepEqual([cells[`NM:${r[0]}`], cells[`PM:${r[0]}`]], [r[5], r[6]], `${at}: links of ${r[0]}`);
    const machine = sequences[t - 2][view.step.machine - 1];
    for (let b = 1; b <= machine.length + 1; ++b) {
      assert.deepEqual([cells[`u:${b}`], cells[`v:${b}`]], [machine[b - 2] ?? 0, machine[b - 1] ?? 0], `${at}: u, v of ${b}`);
    }
    // Asked, the topological order puts the rows in operation order, and R
    // and Q still go down and up the table.
    assert.deepEqual(s.table, rows.map((r) => r[0]), at);
    const order = s.cells.map((c) => c.key).filter((key) => /^[RQ]:/.test(key));
    assert.deepEqual(order, [...s.table.map((k) => `R:${k}`), ...[...s.table].reverse().map((k) => `Q:${k}`)], at);
    // The derivations of these cells end in their answers.
    for (const { key, answer } of s.cells.filter((c) => /^(topo|NM|PM|u|v|cmax)\b/.test(c.key))) {
      const d = cellDerivation(s, key);
      assert.equal(d.value, answer, `${at}: ${key}`);
      if (d.kind === 'topo') assert.equal(d.level, view.before.L[d.op], `${at}: level of ${d.op}`);
    }
  }
  assert.equal(cellMap(practiceStep(replay, stepper.view(replay.STEPS), everything).cells).cmax, trace.cmax);
});

test('the new cells\' derivations read as the page shows them', () => {
  const { replay } = ft06;
  const s = practiceStep(replay, createStepper(replay).view(21), everything);
  const pl = makeTranslator('pl', [practiceStrings]), en = makeTranslator('en', [practiceStrings]);
  const text = (key, tr = pl) => derivationText(cellDerivation(s, key), tr);
  const placed = s.table.find((k) => s.links.PM[k] > 0 && s.links.NM[k] === 0);
  assert.match(text(`NM:${placed}`), new RegExp(`^NM\\[${placed}\\]: następnik operacji ${placed} w kolejce maszyny \\d+ przed wstawieniem \\([\\d ]+\\): 0 \\(0 = brak\\)$`));
  assert.match(text('topo:1', en), /^Place 1: operation 1\. Level L\[1\] = 1 \+ max\(L\[PO\]=L\[0\], L\[PM\]=L\[\d+\]\) = 1 \+ max\(0, \d+\) = \d+; .* level \d+: [\d ]+\.$/);
  assert.match(text('u:1'), /^pozycja 1: u to operacja przed nią w kolejce maszyny \d+ przed wstawieniem \([\d ]+\): 0 \(0 = brak\)$/);
  const last = practiceStep(replay, createStepper(replay).view(replay.STEPS), everything);
  assert.match(derivationText(cellDerivation(last, 'cmax'), en),
    new RegExp(`^The largest R of the graph after step 36: R\\[\\d+\\] = ${ft06.trace.cmax}\\. This is the last step: it is the schedule's Cmax\\.$`));
});

test('an exercise\'s steps: others ask nothing, the makespan after its last, the progress counts the steps that ask', () => {
  const { replay } = ft06;
  const stepper = createStepper(replay);
  const cases = [
    { rows: 'all', ask: ['uv', 'cmax'], range: { from: 3, to: 8 } },
    { rows: 'changed', ask: ['rq'], range: null },
    { rows: 'all', ask: ['cmax'], range: { from: 1, to: 4 } },
    { rows: 'all', ask: [], range: null },
  ];
  for (const options of cases) {
    const asking = [];
    for (let t = 1; t <= replay.STEPS; ++t) {
      const s = practiceStep(replay, stepper.view(t), options), keys = s.cells.map((c) => c.key);
      if (keys.length > 0) asking.push(t);
      const range = options.range ?? { from: 1, to: replay.STEPS };
      if (t < range.from || t > range.to) assert.deepEqual(keys, [], `step ${t} outside`);
      assert.equal(keys.includes('cmax'), options.ask.includes('cmax') && t === range.to, `step ${t}: cmax`);
    }
    assert.deepEqual(askingSteps(replay, options), asking, JSON.stringify(options));
  }
  // The makespan asked before the end is the largest R then, as the sheets ask it.
  const view = stepper.view(4);
  assert.deepEqual(practiceStep(replay, view, cases[2]).cells, cmaxCell(view, ['cmax']));
});

test('an exercise in the address: read, refused where wrong, written back as the roster writes it', () => {
  const cases = [
    ['?practice&ask=links,uv&steps=3-6', { practice: true, ask: ['links', 'uv'], range: { from: 3, to: 6 }, problems: [] }],
    ['?ask=uv%2Clinks&lang=en', { practice: false, ask: ['links', 'uv'], range: null, problems: [] }],
    ['?practice&steps=36-36', { practice: true, ask: null, range: { from: 36, to: 36 }, problems: [] }],
    ['?practice&ask=rq,speed&steps=0-3', { practice: true, ask: null, range: null, problems: ['practice.link.bad-ask', 'practice.link.bad-steps'] }],
    ['?practice&ask=&steps=5-2', { practice: true, ask: null, range: null, problems: ['practice.link.bad-ask', 'practice.link.bad-steps'] }],
    ['?practice&steps=3-37', { practice: true, ask: null, range: null, problems: ['practice.link.bad-steps'] }],
    ['?steps=a-b', { practice: false, ask: null, range: null, problems: ['practice.link.bad-steps'] }],
    ['', { practice: false, ask: null, range: null, problems: [] }],
  ];
  for (const [search, expected] of cases) {
    const read = readExercise(search, 36);
    assert.deepEqual({ ...read, problems: read.problems.map((p) => p.key) }, expected, search);
  }
  const query = exerciseQuery('?v=2&practice&ask=rq&steps=1-2&lang=pl', { ask: ['links', 'uv'], range: { from: 3, to: 6 }, lang: 'en' });
  assert.equal(query, '?v=2&practice&ask=links,uv&steps=3-6&lang=en');
  assert.deepEqual(readExercise(query, 36), cases[0][1]);
  assert.equal(exerciseQuery('', { ask: ['rq'], range: null, lang: '' }), '?practice&ask=rq');
  assert.equal(withoutExercise('?v=2&practice&ask=rq&steps=1-2&lang=en'), '?v=2&lang=en');
  assert.equal(withoutExercise('?practice&steps=1-2'), '');
});

test('a typed answer is a number, empty, or unreadable', () => {
  const cases = [['12', 'number'], [' -3 ', 'number'], ['\u22124', 'number'], ['', 'empty'], ['  ', 'empty'], [undefined, 'empty'],
    ['abc', 'unreadable'], ['23.0', 'unreadable'], ['23,5', 'unreadable'], ['1e3', 'unreadable']];
  for (const [text, state] of cases) assert.equal(answerState(text), state, JSON.stringify(text));
});
