// Explaining and practising a step, against the program's own trace: every
// derivation's arithmetic gives the trace's R and Q and the program's
// estimates and positions (ties, zero and negative times included); the
// rows practice asks for are those whose R or Q changed since the previous
// table; answers are checked; all steps as CSV read back to the run.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { derivationText, explainStep } from '../../src/report/replay/js/derivation.js';
import { readNumber } from '../../src/report/replay/js/explain.js';
import { makeTranslator } from '../../src/report/replay/js/lang.js';
import { DEFAULT_OPTIONS, cellDerivation, checkAnswers, parseAnswer, practiceCells, practiceStep, progressKey } from '../../src/report/replay/js/practice.js';
import { practiceStrings } from '../../src/report/replay/js/practice-strings.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { CSV_COLUMNS, stepsCsv } from '../../src/report/replay/js/steps-csv.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { makePage, readTrace, runInstanceText } from './support.mjs';

// The worked example of the insertion loop (step 6 ties positions 2 and 3),
// and one with zero and negative times.
const instances = {
  tie: 'tie\n3 2\n2 1 1 1\n2 5 1 6\n2 4 1 2\n',
  neg: 'neg\n3 3\n1 0 2 -2 3 4\n2 3 1 0 3 -1\n3 2 2 2 1 0\n',
};
const runs = {};

before(() => {
  runs.ft06 = makePage('examples/ft06/input.txt', 'ft06');
  for (const [name, text] of Object.entries(instances)) runs[name] = runInstanceText(text, name);
  for (const run of Object.values(runs)) {
    run.trace = readTrace(run.trace);
    run.data = parseReplayData(fs.readFileSync(run.data, 'utf8'));
    run.replay = decodeReplay(run.data);
  }
});

after(() => {
  for (const run of Object.values(runs)) fs.rmSync(run.folder, { recursive: true, force: true });
});

// The trace's table of a step: column c of operation k at [c][k], 0 at k = 0.
function traceColumns(table) {
  const rows = table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const names = ['Lp', 'M', 'p', 'NO', 'PO', 'NM', 'PM', 'R', 'Q'];
  return Object.fromEntries(names.map((name, c) => [name, [0, ...rows.map((r) => r[c])]]));
}

test('every derivation adds up to the program\'s number, with the trace\'s operations', () => {
  let ties = 0;
  for (const [name, { replay, trace }] of Object.entries(runs)) {
    const stepper = createStepper(replay);
    for (let t = 1; t <= replay.STEPS; ++t) {
      const view = stepper.view(t), s = view.step, explained = explainStep(replay, view), at = `${name} step ${t}`;
      if (trace.steps[t - 1]) {
        const col = traceColumns(trace.steps[t - 1].table);
        for (let k = 1; k <= replay.N; ++k) {
          for (const [letter, links] of [['R', ['PO', 'PM']], ['Q', ['NO', 'NM']]]) {
            const d = explained[letter](k);
            assert.equal(d.value, col[letter][k], `${at}: ${letter}[${k}]`);
            assert.deepEqual(d.terms.map((x) => [x.op, x.value]), links.map((l) => [col[l][k], col[letter][col[l][k]]]), `${at}: ${letter}[${k}]`);
          }
        }
        s.estimates.forEach((estimate, i) => {
          const d = explained.estimate(i + 1);
          assert.equal(d.value, estimate, `${at}: estimate of ${i + 1}`);
          for (const x of [...d.head.terms, ...d.tail.terms]) assert.equal(x.value, col[x.letter][x.op], `${at}: ${x.letter}[${x.op}]`);
        });
      }
      const choice = explained.choice();
      assert.equal(choice.position, s.position, `${at}: position`);
      if (choice.ties?.length > 1) ++ties;
      assert.deepEqual(explained.sequence().after, view.rowsAfter[s.machine], `${at}: sequence`);
    }
  }
  assert.ok(ties >= 2, `steps with ties: ${ties}`);
});

test('derivations read as the page shows them, in both languages', () => {
  const { replay } = runs.tie;
  const view = createStepper(replay).view(6);
  const step = practiceStep(replay, view, DEFAULT_OPTIONS);
  const pl = makeTranslator('pl', [practiceStrings]), en = makeTranslator('en', [practiceStrings]);
  const text = (key, tr = pl) => derivationText(cellDerivation(step, key), tr);
  assert.equal(text('R:6'), 'R[6] = max(R[PO]=R[5], R[PM]=R[4]) + p = max(9, 11) + 2 = 13');
  assert.equal(text('Q:3'), 'Q[3] = max(Q[NO]=Q[4], Q[NM]=Q[5]) + p = max(8, 6) + 5 = 13');
  assert.equal(text('est:2'), 'pozycja 2: max(R[PO]=R[1], R[u]=R[4]) + p + max(Q[NO]=Q[0], Q[v]=Q[6]) = max(10, 11) + 1 + max(0, 2) = 11 + 1 + 2 = 14');
  assert.equal(text('tail:1', en), 'position 1: max(Q[NO]=Q[0], Q[v]=Q[4]) = max(0, 8) = 8');
  assert.equal(text('pos'), 'Oszacowania pozycji od 1 do 3: 19, 14, 14. Najmniejsze oszacowanie (14) mają pozycje 2, 3; przy remisie wygrywa pozycja najbliżej początku kolejki maszyny: 2.');
  assert.equal(text('pos', en), 'Estimates of positions 1 to 3: 19, 14, 14. The smallest estimate (14) is shared by positions 2, 3; of equal estimates the position nearest the front of the machine\'s sequence wins: 2.');
  assert.equal(text('seq:2'), 'Maszyna 1 przed wstawieniem: 4 6; operacja 2 na pozycji 2 daje 4 2 6. Na miejscu 2 stoi operacja 2.');
  // A negative time is an operand in parentheses.
  const neg = runs.neg.replay, t = neg.steps.findIndex((s) => s.op === 6) + 1;
  assert.match(derivationText(explainStep(neg, createStepper(neg).view(t)).R(6), pl), /^R\[6\] = max\(R\[PO\]=R\[5\], R\[PM\]=R\[\d+\]\) \+ p = max\(-?\d+, -?\d+\) \+ \(-1\) = -?\d+$/);
  // A zero is a plain 0, in every derivation of every step.
  let zeros = 0;
  const stepper = createStepper(neg);
  for (let u = 1; u <= neg.STEPS; ++u) {
    const s = practiceStep(neg, stepper.view(u), DEFAULT_OPTIONS);
    for (const { key } of s.cells) {
      const line = derivationText(cellDerivation(s, key), pl);
      assert.ok(!line.includes('(0)'), line);
      if (/ \+ 0 [+=]/.test(line)) ++zeros;
    }
  }
  assert.ok(zeros > 0, 'derivations with a zero time or term');
});

test('practice asks for the rows the insertions since the previous table changed, in the computation\'s order', () => {
  const { replay, trace } = runs.ft06;
  const stepper = createStepper(replay);
  let previous = null;
  for (let t = 1; t <= replay.STEPS; ++t) {
    const view = stepper.view(t);
    const keys = practiceCells(practiceStep(replay, view, { rows: 'changed', estimates: 'sum' })).map((c) => c.key);
    // A step on an empty machine computes nothing, and asks nothing.
    if (!trace.steps[t - 1]) {
      assert.deepEqual(keys, [], `step ${t}`);
      continue;
    }
    const c = view.step.estimates.length;
    const tail = [...Array.from({ length: c }, (_, i) => `est:${i + 1}`), 'pos', ...view.rowsAfter[view.step.machine].map((_, i) => `seq:${i + 1}`)];
    assert.deepEqual(keys.slice(keys.length - tail.length), tail, `step ${t}`);
    const col = traceColumns(trace.steps[t - 1].table);
    const order = trace.steps[t - 1].topo;
    const changed = order.filter((k) => !previous || previous.R[k] !== col.R[k] || previous.Q[k] !== col.Q[k]);
    assert.deepEqual(keys.slice(0, 2 * changed.length), [...changed.map((k) => `R:${k}`), ...changed.reverse().map((k) => `Q:${k}`)], `step ${t}`);
    previous = col;
  }
});

test('answers are checked as whole numbers; empty ones are wrong', () => {
  const cases = [['12', 12], [' -3 ', -3], ['\u22123', -3], ['007', 7], ['1.0', null], ['1e3', null], ['', null], ['+4', null], ['4 5', null]];
  for (const [text, n] of cases) assert.equal(parseAnswer(text), n, JSON.stringify(text));
  const { replay } = runs.tie;
  const view = createStepper(replay).view(6);
  const cells = practiceCells(practiceStep(replay, view, { rows: 'all', estimates: 'terms' }));
  assert.equal(cells.length, 6 + 6 + 3 * 3 + 1 + 3);
  const right = Object.fromEntries(cells.map((c) => [c.key, String(c.answer)]));
  const all = checkAnswers(cells, right);
  assert.deepEqual({ ...all, verdicts: { ...all.verdicts } }, { verdicts: Object.fromEntries(cells.map((c) => [c.key, 'ok'])), wrong: 0, solved: true });
  // Any one cell wrong keeps the step from counting as solved.
  for (const { key, answer } of cells) {
    const one = checkAnswers(cells, { ...right, [key]: String(answer + 1) });
    assert.deepEqual([one.verdicts[key], one.wrong, one.solved], ['wrong', 1, false], key);
  }
  const { verdicts, wrong, solved } = checkAnswers(cells, { ...right, 'R:6': '12', 'seq:2': '' });
  assert.deepEqual([verdicts['R:6'], verdicts['seq:2'], verdicts.pos, wrong, solved], ['wrong', 'wrong', 'ok', 2, false]);
  const missing = { ...right };
  delete missing.pos;
  assert.equal(checkAnswers(cells, missing).verdicts.pos, 'wrong');
});

test('typed step numbers and progress keys', () => {
  const cases = [['5', 5], [' 36 ', 36], ['', null], ['0', 'wrong'], ['37', 'wrong'], ['2.5', 'wrong'], ['-1', 'wrong'], ['x', 'wrong']];
  for (const [text, expected] of cases) {
    const got = readNumber(text, 36);
    assert.deepEqual(got, expected === null ? null : expected === 'wrong' ? { wrong: text.trim() } : { n: expected }, text);
  }
  const key = (text) => progressKey(decodeReplay(parseReplayData(JSON.stringify({ ...runs.tie.data, ...text }))));
  const same = key({});
  assert.equal(same, progressKey(runs.tie.replay));
  assert.notEqual(key({ name: 'tie2' }), same);
  assert.notEqual(key({ operations: runs.tie.data.operations.map(([m, p], i) => [m, i === 5 ? p + 1 : p]) }), same);
});

// The CSV read back: every step's operation, estimates and position are the
// run's, the chosen estimate is the smallest and adds up from its terms,
// each sequence is the machine's previous one with the operation put at the
// position, and the run ends in its final sequences and Cmax.
test('all steps as CSV read back to the run', () => {
  for (const [name, { replay, data, trace }] of Object.entries(runs)) {
    const text = stepsCsv(replay);
    assert.ok(text.endsWith('\r\n') && !text.slice(0, -2).includes('\n\n'), name);
    const [header, ...lines] = text.slice(0, -2).split('\r\n').map((l) => l.split(','));
    assert.deepEqual(header, CSV_COLUMNS);
    assert.equal(lines.length, data.steps.length);
    const sequences = Array.from({ length: data.machines + 1 }, () => []);
    let last = null;
    for (const line of lines) {
      assert.equal(line.length, header.length);
      const row = Object.fromEntries(header.map((h, i) => [h, line[i]]));
      const step = data.steps[Number(row.step) - 1], list = (f) => (f === '' ? [] : f.split(' ').map(Number));
      assert.deepEqual([Number(row.op), Number(row.machine), Number(row.position), list(row.estimates)], [step.op, step.machine, step.position, step.estimates]);
      if (step.estimates.length > 0) {
        assert.equal(Number(row.estimate), Math.min(...step.estimates));
        assert.equal(Number(row.head) + Number(row.p) + Number(row.tail), Number(row.estimate));
      }
      sequences[step.machine].splice(step.position - 1, 0, step.op);
      assert.deepEqual(list(row.sequence), sequences[step.machine], `${name} step ${row.step}`);
      last = row;
    }
    assert.deepEqual(sequences.slice(1), data.sequences, name);
    assert.equal(Number(last.makespan), trace.cmax, name);
  }
});
