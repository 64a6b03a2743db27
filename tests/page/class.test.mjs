// Class sets against the pages' modules: the C++ instance code read by the
// web edition's decoder, the sheets' cells (ask.js, worksheet.js) against
// the Moodle quiz that jobshop-class writes from its own run, the roster's
// links, and how a sheet's blocks go onto pages.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { decodeInstance, encodeInstance, programText } from '../../src/driver/web/js/instance-code.js';
import { parseAsk } from '../../src/report/replay/js/ask.js';
import { layOutPages } from '../../src/report/replay/js/paging.js';
import { decodeReplay } from '../../src/report/replay/js/replay-data.js';
import { CANDIDATE_CELLS, TABLE_CELLS, worksheet } from '../../src/report/replay/js/worksheet.js';
import { buildDir, run, scratchFolder } from './support.mjs';

function lcg(seed) {
  let s = seed;
  return (n) => {
    s = (s * 1103515245 + 12345) % 2 ** 31;
    return s % n;
  };
}

test('the C++ instance code is the page\'s own and decodes to the same instance, any name bytes and any 32-bit numbers', () => {
  const random = lcg(7);
  const big = () => random(2 ** 31) - random(2 ** 31);
  const instances = [{ name: new Uint8Array(), jobs: 0, machines: 0, ops: new Int32Array() }];
  for (let i = 0; i < 300; ++i) {
    const jobs = random(7), machines = random(7), kind = random(4);
    const ops = new Int32Array(2 * jobs * machines);
    for (let j = 0; j < jobs; ++j) {
      const order = Array.from({ length: machines }, (_, k) => k + 1).sort(() => random(3) - 1);
      for (let k = 0; k < machines; ++k) {
        const at = 2 * (j * machines + k);
        // Each job a permutation, machines repeated, or any numbers at all.
        ops[at] = kind === 0 ? order[k] : kind === 1 ? 1 + random(machines) : big();
        ops[at + 1] = kind === 3 ? big() : 1 + random(kind === 0 ? 99 : 2 ** 20);
      }
    }
    instances.push({ name: Uint8Array.from({ length: random(20) }, () => random(256)), jobs, machines, ops });
  }
  const hex = (bytes) => (bytes.length ? Buffer.from(bytes).toString('hex') : '-');
  const input = instances.map((x) => [hex(x.name), x.jobs, x.machines, ...x.ops].join(' ') + '\n').join('');
  const result = spawnSync(path.join(buildDir, 'tests/instance-code-tool'), { input, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  const codes = result.stdout.split('\n').slice(0, -1);
  assert.equal(codes.length, instances.length);
  codes.forEach((code, i) => {
    assert.deepEqual(decodeInstance(code), instances[i], code);
    // The page's own links to the instance are the same text.
    assert.equal(code, encodeInstance(instances[i]));
  });
});

// key@step -> answer of every subquestion of each question of a quiz.
function quizCells(xml) {
  return xml.split('<question type="cloze">').slice(1).map((q) => {
    const cells = {};
    const text = q.slice(0, q.indexOf('<generalfeedback'));
    for (const m of text.matchAll(/<span data-cell="([^"]+)" data-step="(\d+)">\{1:NUMERICAL:=(-?\d+):0\}<\/span>/g)) {
      cells[m[1] + '@' + m[2]] = Number(m[3]);
    }
    return cells;
  });
}

const embedded = (file) => JSON.parse(/<script type="application\/json" id="class-data">([^<]*)<\/script>/.exec(fs.readFileSync(file, 'utf8'))[1]);

test('a class set: the sheets ask the quiz\'s cells with its answers, and the links open its instances', () => {
  const folder = scratchFolder();
  try {
    const ask = 'topo,links,rq,uv,terms,est,pos,seq,cmax';
    run('jobshop-class', ['--students', '4', '--jobs', '3', '--machines', '4', '--seed', '31', '--steps', '3-12', '--ask', ask,
      '--base-url', 'jobshop-web.html', '-o', 'set'], folder);
    const set = path.join(folder, 'set');
    const key = embedded(path.join(set, 'klucz.html')), sheet = embedded(path.join(set, 'arkusze.html'));
    assert.equal(key.key, true);
    assert.deepEqual({ ...sheet, key: true }, key, 'the worksheets carry the same data');
    assert.deepEqual(key.ask, parseAsk(ask).words);
    const quiz = quizCells(fs.readFileSync(path.join(set, 'moodle.xml'), 'utf8'));
    const roster = fs.readFileSync(path.join(set, 'warianty.csv'), 'utf8').split('\r\n').slice(1, -1);
    assert.equal(quiz.length, 4);
    key.variants.forEach((v, i) => {
      assert.equal(v.variant, i + 1);
      const ws = worksheet(decodeReplay(v.replay), key.from, key.to, true, key.ask);
      const cells = {};
      for (const s of ws.steps) for (const [k, answer] of Object.entries(s.answers)) cells[k + '@' + s.t] = answer;
      if (ws.cmax) cells['cmax@' + ws.cmax.t] = ws.cmax.answer;
      assert.deepEqual(cells, quiz[i], `variant ${i + 1}`);
      assert.equal(ws.points, Object.keys(cells).length);

      const [variant, name, seed, cmax, link] = roster[i].split(/,(?![^"]*"$)/);
      assert.deepEqual([variant, seed, cmax], [String(i + 1), '31', String(v.replay.cmax)]);
      assert.equal(link, `"jobshop-web.html?practice&ask=${parseAsk(ask).words.join(',')}&steps=3-12#i=${v.code}"`);
      const instance = fs.readFileSync(path.join(set, 'instancje', name + '.txt'));
      assert.deepEqual(Buffer.from(programText(decodeInstance(v.code))), instance);
    });
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

// The keys of the cells a student's sheet leaves blank at a step.
function blanks(s) {
  const keys = [];
  s.table?.forEach((cells) => cells.forEach((c, i) => c === '' && keys.push(TABLE_CELLS[i] + ':' + cells[0])));
  s.candidates?.forEach((r) => r.cells.forEach((c, i) => c === '' && keys.push(CANDIDATE_CELLS[i] + ':' + r.cells[0])));
  if (s.topo === '') s.table.forEach((_, i) => keys.push('topo:' + (i + 1)));
  if (s.position === '') keys.push('pos');
  s.sequence.forEach((c, i) => c === '' && keys.push('seq:' + (i + 1)));
  return keys.sort();
}

test('a worksheet is blank exactly where its exercise asks', () => {
  const folder = scratchFolder();
  try {
    run('jobshop-class', ['--students', '1', '--jobs', '3', '--machines', '3', '--seed', '5', '-o', 'set'], folder);
    const replay = decodeReplay(embedded(path.join(folder, 'set', 'arkusze.html')).variants[0].replay);
    for (const ask of ['rq', 'links', 'topo', 'uv', 'est', 'terms', 'pos', 'seq', 'cmax', 'uv,pos,seq', 'rq,links,topo,uv,est,terms,pos,seq,cmax']) {
      const words = parseAsk(ask).words;
      const sheet = worksheet(replay, 1, 9, false, words);
      for (const s of sheet.steps) assert.deepEqual(blanks(s), Object.keys(s.answers).sort(), `${ask}, step ${s.t}`);
      assert.equal(sheet.cmax !== null, words.includes('cmax'), ask);
      assert.ok(sheet.points > 0, ask);
    }
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test('pages: a heading stays with what follows, a table that fits a page is not split, a longer one is, the last page is not left nearly empty', () => {
  const text = (h, glue = false) => ({ h, glue });
  const table = (head, rows, glue = false) => ({ h: head + rows.reduce((s, x) => s + x, 0), glue, table: { head, extra: 0, rows } });
  const cases = [
    // A heading at a page's foot goes over with its paragraph.
    { blocks: [text(80), text(10, true), text(30)], pages: [[0], [1, 2]] },
    // Glued headings lead a table that fits on the next page whole.
    { blocks: [text(60), text(10, true), text(10, true), table(5, [10, 10, 10])], pages: [[0], [1, 2, 3]] },
    // A table longer than a page starts under its heading when 3 rows fit there.
    { blocks: [text(40), text(10, true), table(10, Array(12).fill(10))], pages: [[0, 1, '2:0-4'], ['2:4-12']] },
    // ... and on a new page when they do not.
    { blocks: [text(60), text(10, true), table(10, Array(12).fill(10))], pages: [[0], [1, '2:0-8'], ['2:8-12']] },
    // A block taller than a page still gets one.
    { blocks: [text(150), text(30)], pages: [[0], [1]] },
    // A nearly empty last page takes whole units from the page before.
    { blocks: [text(30), text(30), text(10, true), text(30), text(15)], pages: [[0, 1], [2, 3, 4]] },
    // ... but not a piece of a split table.
    { blocks: [table(10, Array(12).fill(10)), text(10)], pages: [['0:0-9'], ['0:9-12', 1]] },
  ];
  for (const { blocks, pages } of cases) {
    const laid = layOutPages(blocks, 100).map((page) =>
      page.map(({ block, from, to }) => (blocks[block].table && !(from === 0 && to === blocks[block].table.rows.length) ? `${block}:${from}-${to}` : block)));
    assert.deepEqual(laid, pages, JSON.stringify(blocks));
  }
});
