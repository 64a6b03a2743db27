// The web edition's parts without the DOM: the instance codes of the
// address and of the bundled instances, the address itself, the generator's
// fields and the bytes the page runs.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { formatAddress, readAddress } from '../../src/driver/web/js/address.js';
import { readGeneratorFields } from '../../src/driver/web/js/generator-form.js';
import { CodeError, decodeInstance, encodeInstance, programText } from '../../src/driver/web/js/instance-code.js';
import { createInstanceSource, nameText } from '../../src/driver/web/js/instance-source.js';
import { webStrings } from '../../src/driver/web/js/web-strings.js';
import { webSearchStrings } from '../../src/driver/web/js/web-search-strings.js';
import { decodeReplay, parseReplayData } from '../../src/report/replay/js/replay-data.js';
import { createStepper } from '../../src/report/replay/js/stepping.js';
import { estimateTraceBytes } from '../../src/driver/web/js/trace-size.js';
import { makePage, scratchFolder, sourceDir } from './support.mjs';

const INT32_MIN = -(2 ** 31), INT32_MAX = 2 ** 31 - 1;

// A small deterministic random source (the tests must repeat).
function lcg(seed) {
  let s = seed;
  return (n) => {
    s = (s * 1103515245 + 12345) % 2 ** 31;
    return s % n;
  };
}

function randomInstance(random) {
  const jobs = random(6), machines = random(6);
  const name = Uint8Array.from({ length: random(12) }, () => random(256));
  const ops = new Int32Array(2 * jobs * machines);
  const kind = random(4);
  for (let j = 0; j < jobs; ++j) {
    const order = Array.from({ length: machines }, (_, k) => k + 1).sort(() => random(3) - 1);
    for (let k = 0; k < machines; ++k) {
      const at = 2 * (j * machines + k);
      // Each job a permutation, machines repeated, or any numbers at all.
      ops[at] = kind === 0 ? order[k] : kind === 1 ? 1 + random(machines) : random(2 ** 31) - random(2 ** 31);
      ops[at + 1] = kind === 3 ? random(2 ** 31) - random(2 ** 31) : 1 + random(99);
    }
  }
  return { name, jobs, machines, ops };
}

const edgeCases = [
  { name: new Uint8Array(), jobs: 0, machines: 0, ops: new Int32Array() },
  { name: Uint8Array.of(0, 255, 32, 10), jobs: 3, machines: 0, ops: new Int32Array() },
  { name: Uint8Array.of(120), jobs: 1, machines: 1, ops: Int32Array.of(1, 0) },
  { name: Uint8Array.of(120), jobs: 1, machines: 2, ops: Int32Array.of(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN) },
  { name: new Uint8Array(237).fill(0xc5), jobs: 2, machines: 2, ops: Int32Array.of(2, -5, 1, 7, 2, 0, 2, INT32_MAX) },
];

test('instance codes: every instance comes back whole, any name bytes and any 32-bit numbers', () => {
  const random = lcg(2027);
  const cases = [...edgeCases, ...Array.from({ length: 300 }, () => randomInstance(random))];
  for (const instance of cases) {
    const code = encodeInstance(instance);
    assert.match(code, /^1[A-Za-z0-9_-]*$/, 'the address takes it as it is');
    assert.deepEqual(decodeInstance(code), instance, code);
  }
});

// Many jobs and no machines, or no jobs and many machines: no operation,
// and no time spent on the jobs (the page froze on 2^31 - 1 jobs).
test('instance codes and texts of instances without operations cost nothing', { timeout: 5000 }, () => {
  for (const [jobs, machines] of [[INT32_MAX, 0], [0, INT32_MAX]]) {
    const instance = { name: Uint8Array.of(120), jobs, machines, ops: new Int32Array() };
    const code = encodeInstance(instance);
    assert.deepEqual(decodeInstance(code), instance);
    assert.equal(new TextDecoder().decode(programText(instance)), `x\n${jobs} ${machines}\n`);
  }
});

test('instance codes: damaged, cut or foreign codes are refused as such', () => {
  const code = encodeInstance(edgeCases[4]);
  const refused = ['', '2' + code.slice(1), code.slice(0, 5) + '*' + code.slice(6), code + 'AAAA',
    '1' + '_'.repeat(40), '1gP' + 'A'.repeat(8)];
  for (let cut = 1; cut < code.length; ++cut) refused.push(code.slice(0, cut));
  for (const bad of refused) {
    assert.throws(() => decodeInstance(bad), CodeError, JSON.stringify(bad));
  }
});

test('instance codes: a 20 x 20 exercise fits a link, and the text is the program\'s', () => {
  const ta21 = fs.readFileSync(path.join(sourceDir, 'benchmarks/ta21.txt'));
  const tokens = ta21.toString('latin1').split(/\s+/).filter(Boolean);
  const instance = {
    name: Buffer.from(tokens[0], 'latin1'), jobs: 20, machines: 20, ops: Int32Array.from(tokens.slice(3).map(Number)),
  };
  const code = encodeInstance({ ...instance, name: Uint8Array.from(instance.name) });
  assert.ok(code.length < 800, `${code.length} characters`);
  assert.deepEqual(Buffer.from(programText(decodeInstance(code))), ta21);
});

test('bundled instances: every benchmark up to 20 x 20, each giving back its file', () => {
  const folder = scratchFolder();
  try {
    const out = path.join(folder, 'bundled.json');
    const tool = path.join(sourceDir, 'src/driver/web/tools/bundle-instances.mjs');
    const run = spawnSync(process.execPath, [tool, out, path.join(sourceDir, 'benchmarks'), '20'], { encoding: 'utf8' });
    assert.equal(run.status, 0, run.stderr);
    const bundled = JSON.parse(fs.readFileSync(out, 'utf8'));
    const names = bundled.map(([name]) => name);
    assert.equal(bundled.length, 97);
    for (const name of ['ft06', 'la40', 'abz9', 'orb07', 'swv10', 'yn4', 'ta30']) assert.ok(names.includes(name), name);
    for (const name of ['swv11', 'ta31', 'ta71']) assert.ok(!names.includes(name), name);
    for (const [name, jobs, machines, code] of bundled) {
      const file = fs.readFileSync(path.join(sourceDir, 'benchmarks', name + '.txt'));
      assert.ok(jobs <= 20 && machines <= 20, name);
      assert.deepEqual(Buffer.from(programText(decodeInstance(code))), file, name);
    }
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test('address: the instance and the step, and a bare step as the replay page writes it', () => {
  const huge = '100000000000000000000000';
  const cases = [
    ['', { code: null, step: null }],
    ['#17', { code: null, step: '17' }],
    ['#i=1abc_-', { code: '1abc_-', step: null }],
    ['#i=1abc&step=5', { code: '1abc', step: '5' }],
    ['#step=5&i=1abc', { code: '1abc', step: '5' }],
    ['#i=&step=x', { code: null, step: null }],
    [`#i=1abc&step=${huge}`, { code: '1abc', step: huge }],
  ];
  for (const [hash, expected] of cases) assert.deepEqual(readAddress(hash), expected, hash);
  for (const address of [{ code: '1xyz', step: '12' }, { code: '1xyz', step: null }, { code: null, step: '3' }, { code: '1xyz', step: huge }]) {
    assert.deepEqual(readAddress(formatAddress(address)), address);
  }
  assert.equal(formatAddress({ code: null, step: null }), '');
  assert.equal(formatAddress({ code: '1xyz', step: 21 }), '#i=1xyz&step=21');
});

test('generator fields: the choices of jobshop-generate, and what is wrong with others', () => {
  const fields = (over) => ({ jobs: '6', machines: '4', times: '1-99', seed: '', ...over });
  const cases = [
    [{}, { ok: true, jobs: 6, machines: 4, low: 1, high: 99, classSeed: null }],
    [{ seed: ' 42 ' }, { ok: true, jobs: 6, machines: 4, low: 1, high: 99, classSeed: 42 }],
    [{ seed: '840612802 398197754', times: '5 - 9' }, { ok: true, jobs: 6, machines: 4, low: 5, high: 9, timeSeed: 840612802, machineSeed: 398197754 }],
    [{ jobs: '0' }, { ok: false, field: 'jobs', key: 'web.gen.bad-count' }],
    [{ machines: '2.5' }, { ok: false, field: 'machines', key: 'web.gen.bad-count' }],
    [{ jobs: '5000', machines: '5000' }, { ok: false, field: 'machines', key: 'web.gen.too-many' }],
    // The page's own limit, 2^20 operations, below jobshop-generate's.
    [{ jobs: '1024', machines: '1024' }, { ok: true, jobs: 1024, machines: 1024, low: 1, high: 99, classSeed: null }],
    [{ jobs: '1025', machines: '1024' }, { ok: false, field: 'machines', key: 'web.gen.too-many' }],
    [{ times: '9-5' }, { ok: false, field: 'times', key: 'web.gen.bad-times' }],
    [{ times: '0-5' }, { ok: false, field: 'times', key: 'web.gen.bad-times' }],
    [{ times: '1-2147483648' }, { ok: false, field: 'times', key: 'web.gen.bad-times' }],
    [{ seed: '2147483647' }, { ok: false, field: 'seed', key: 'web.gen.bad-seed' }],
    [{ seed: '1 2 3' }, { ok: false, field: 'seed', key: 'web.gen.bad-seed' }],
    [{ seed: '-4' }, { ok: false, field: 'seed', key: 'web.gen.bad-seed' }],
  ];
  for (const [over, expected] of cases) assert.deepEqual(readGeneratorFields(fields(over)), expected, JSON.stringify(over));
});

// The trace's size, estimated from the replay, against jobshop-insert's
// traces: a little above, never below.
test('the trace\'s size is estimated within a few per cent', () => {
  for (const [file, name] of [['examples/ft06/input.txt', 'ft06'], ['benchmarks/ta01.txt', 'ta01'], ['benchmarks/swv11.txt', 'swv11']]) {
    const run = makePage(file, name);
    try {
      const replay = decodeReplay(parseReplayData(fs.readFileSync(run.data, 'utf8')));
      const estimate = estimateTraceBytes(replay, createStepper(replay).view(replay.STEPS).after);
      const ratio = estimate / fs.statSync(run.trace).size;
      assert.ok(ratio >= 1 && ratio <= 1.08, `${name}: ${ratio}`);
    } finally {
      fs.rmSync(run.folder, { recursive: true, force: true });
    }
  }
});

test('instance source: bytes run as they came until the text is edited', () => {
  const source = createInstanceSource();
  const normalize = (text) => text.replace(/\r\n?/g, '\n');
  const latin2 = Uint8Array.from(Buffer.from('zadanie_\xb3\r\n1 1\r\n1 5\r\n', 'latin1'));
  const { text, exact } = source.set(latin2, normalize);
  assert.equal(exact, false);
  assert.equal(source.bytesFor(normalize(text)), latin2, 'unchanged: the file\'s own bytes');
  assert.deepEqual(source.bytesFor(normalize(text) + ' '), new TextEncoder().encode(normalize(text) + ' '));
  const utf8 = new TextEncoder().encode('\ufeffzadanie_\u0142 1 1 1 5');
  assert.equal(source.set(utf8).exact, true, 'a byte order mark is kept');
  // The files' name as jobshop-insert takes it: the mark is part of it.
  assert.equal(nameText(utf8.subarray(0, 13)), '\ufeffzadanie_\u0142');
  assert.equal(nameText(Uint8Array.of(0x7a, 0xb3)), 'z\ufffd');
});

test('the panel\'s texts: every key it uses, in both languages with the same placeholders', () => {
  const web = path.join(sourceDir, 'src/driver/web');
  const used = new Set();
  for (const file of ['web.html', 'input-panel.html', 'search-panel.html']) {
    for (const m of fs.readFileSync(path.join(web, file), 'utf8').matchAll(/data-t(?:-title|-aria-label)?="(web\.[^"]+)"/g)) used.add(m[1]);
  }
  for (const file of fs.readdirSync(path.join(web, 'js')).filter((f) => !f.endsWith('strings.js') && f.endsWith('.js'))) {
    for (const m of fs.readFileSync(path.join(web, 'js', file), 'utf8').matchAll(/"(web\.[a-z0-9.-]*[a-z0-9])"/g)) used.add(m[1]);
  }
  assert.ok(used.size > 30, `found only ${used.size} keys`);
  const placeholders = (text) => [...text.matchAll(/\{(\w+)\}/g)].map((m) => m[1]).sort();
  const strings = { pl: { ...webStrings.pl, ...webSearchStrings.pl }, en: { ...webStrings.en, ...webSearchStrings.en } };
  assert.deepEqual(Object.keys(strings.en).sort(), Object.keys(strings.pl).sort());
  for (const [key, text] of Object.entries(strings.pl)) assert.deepEqual(placeholders(strings.en[key]), placeholders(text), key);
  assert.deepEqual([...used].filter((key) => !(key in strings.pl)), []);
});
