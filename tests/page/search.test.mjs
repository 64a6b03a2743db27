// The search's iterations as the page shows them (search-*.js) against what
// jobshop-improve wrote: every iteration's table, critical path, the
// makespan after every candidate move and the sequences after the move
// made, across a restart; practice checked against the trace; the page's
// data; the optimum said of ft06 against bounds.tsv.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { traceTableText } from '../../src/report/replay/js/derive.js';
import { makeTranslator } from '../../src/report/replay/js/lang.js';
import { checkAnswers, cellDerivation } from '../../src/report/replay/js/practice.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { decodeSearch, optimumText } from '../../src/report/replay/js/search-data.js';
import { afterMove, tracePath } from '../../src/report/replay/js/search-derive.js';
import { searchPracticeStep } from '../../src/report/replay/js/search-practice.js';
import { createSearchStepper } from '../../src/report/replay/js/search-stepping.js';
import { searchStrings } from '../../src/report/replay/js/search-strings.js';
import { pageDataText, readSearchTrace, run, runSearchText, sourceDir } from './support.mjs';

const ft06 = fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt'), 'utf8');
// Zero and negative times and machines visited twice: moves that close a
// cycle, and no bounds.
const mixed = 'mix\n4 4\n1 4 1 0 2 3 3 2\n2 -2 3 5 3 1 1 0\n3 2 2 0 1 6 4 3\n2 3 3 -1 1 2 4 4\n';
const runs = {};

before(() => {
  // ft06 past its first phase (5,000 iterations without a better schedule):
  // a restart from a random active schedule.
  runs.ft06 = runSearchText(ft06, ['--iterations', '5100', '--exact']);
  runs.mixed = runSearchText(mixed, ['--iterations', '200']);
  for (const r of Object.values(runs)) {
    const data = parseReplayData(pageDataText(r.page));
    r.replay = decodeReplay(data);
    r.replay.search = decodeSearch(data);
    r.trace = readSearchTrace(r.trace);
  }
});

after(() => {
  for (const r of Object.values(runs)) fs.rmSync(r.folder, { recursive: true, force: true });
});

for (const name of ['ft06', 'mixed']) {
  test(`every iteration of ${name} as its trace has it: table, critical path, each move's Cmax, sequences after the move`, () => {
    const { replay, trace } = runs[name], search = replay.search, stepper = createSearchStepper(replay, search);
    assert.equal(search.ITERS, trace.size);
    if (name === 'ft06') assert.ok(search.restartAfter.size >= 1 && search.ITERS > 5011, 'the run holds a restart');
    else assert.ok(search.iterations.some((it) => it.moves.some((m) => m[6] === 'cycle')), 'the run holds a move closing a cycle');
    // Forward, then backward and by jumps, as a reader moves.
    const order = [...Array(search.ITERS).keys()].map((i) => i + 1);
    for (const i of [...order, ...order.slice().reverse().filter((i) => i % 7 === 0), 5012, 3, 5011, 1].filter((i) => i <= search.ITERS)) {
      const v = stepper.view(i), it = trace.get(i);
      assert.equal(traceTableText(replay, v), it.table, `iteration ${i}: the table`);
      assert.deepEqual(tracePath(replay, v.eval), it.path, `iteration ${i}: the critical path`);
      assert.deepEqual(v.search.moves.map((m) => m.name), it.moves.map((row) => row[0]), `iteration ${i}: the moves`);
      assert.equal(v.search.chosen ? v.search.chosen.name : null, it.chosen);
      assert.deepEqual(v.search.rowsAfterMove.slice(1), it.pi, `iteration ${i}: the sequences after the move`);
    }
    // Each move's makespan, from its schedule evaluated afresh.
    for (let i = 1; i <= Math.min(search.ITERS, 400); ++i) {
      const v = stepper.view(i);
      for (const [j, m] of v.search.moves.entries()) {
        const ev = afterMove(replay, v, m).ev;
        assert.equal(ev ? String(ev.cmax) : '-', trace.get(i).moves[j][3], `iteration ${i}, move ${m.name}`);
      }
    }
  });
}

test('practice on an iteration: the trace\'s answers solve it, a wrong name, makespan or pick does not, a name may have spaces and any dash', () => {
  const { replay, trace } = runs.ft06, stepper = createSearchStepper(replay, replay.search);
  for (const i of [1, 2, 3, 11, 5012]) {
    const v = stepper.view(i), it = trace.get(i), s = searchPracticeStep(replay, v, {});
    const answers = {};
    it.path.forEach((k, p) => { answers['crit:' + (p + 1)] = String(k); });
    for (const [name, , , cmax] of it.moves) {
      answers['move:' + name] = ' ' + name.replace('-', '\u2212') + ' ';
      answers['cmax:' + name] = cmax;
    }
    answers.pick = it.chosen;
    assert.deepEqual(s.cells.map((c) => c.key), Object.keys(answers), `iteration ${i}: the cells in the order of entry`);
    assert.equal(checkAnswers(s.cells, answers).solved, true, `iteration ${i}`);
    const [name, , , cmax] = it.moves[it.moves.length - 1];
    for (const [key, wrong] of [['crit:2', String(it.path[2])], ['move:' + name, it.moves[0][0]], ['cmax:' + name, String(Number(cmax) + 1)], ['pick', name === it.chosen ? it.moves[0][0] : name]]) {
      const checked = checkAnswers(s.cells, { ...answers, [key]: wrong });
      assert.deepEqual([checked.wrong, checked.verdicts[key]], [1, 'wrong'], `iteration ${i}: ${key} = ${wrong}`);
    }
    // The makespan's derivation reaches the program's number.
    for (const [name, , , cmax] of it.moves) assert.equal(String(cellDerivation(s, 'cmax:' + name).cmax), cmax);
  }
});

test('the page\'s data: the insertion\'s part is jobshop-replay\'s, byte for byte, the search follows it', () => {
  const { folder } = runs.ft06;
  run('jobshop-replay', ['input.txt', '-o', 'replay.html', '--json', 'replay.json'], folder);
  const replay = fs.readFileSync(path.join(folder, 'replay.json'), 'utf8'), data = pageDataText(runs.ft06.page);
  const search = fs.readFileSync(path.join(folder, 'data.json'), 'utf8');
  assert.equal(data, replay.slice(0, replay.lastIndexOf('}')) + ',"search":' + search.trimEnd() + '}\n');
});

test('ft06: the optimum beside the insertion is bounds.tsv\'s, proven; without a proof it is said so', () => {
  const known = fs.readFileSync(path.join(sourceDir, 'benchmarks/bounds.tsv'), 'utf8').split('\n').find((l) => l.startsWith('ft06\t')).split('\t');
  const s = runs.ft06.replay.search, tr = makeTranslator('pl', [searchStrings]);
  assert.equal(s.exact.proven, true);
  assert.equal(s.best, Number(known[3]));
  const facts = { insertion: s.insertion, best: s.best, lowerBound: s.lowerBound, exact: s.exact };
  assert.equal(optimumText(tr, facts), `Cmax wstawiania = 59; optimum = ${known[3]} (udowodnione metodą podziału i ograniczeń). Wstawianie jest o 7,3% powyżej.`);
  assert.match(optimumText(tr, { ...facts, exact: { proven: false, lowerBound: 50 } }), /najlepszy znaleziony Cmax = 55, dolne ograniczenie = 50: optymalności nie udowodniono/);
  assert.match(optimumText(tr, { ...facts, exact: null }), /dolne ograniczenie = 47: optymalności nie udowodniono/);
});
