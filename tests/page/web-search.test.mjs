// The web edition's search (search-core.js on the core built with
// emscripten, loaded by node as the page's worker loads it) against
// jobshop-improve: the same trace, schedule, page and data for the same
// seed and iterations, and for a run limited in seconds the same files as
// the iterations it made; the optimum of ft06 as bounds.tsv has it; the
// program's refusals.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { searchCalls } from '../../src/driver/web/js/search-core.js';
import { buildDir, run, scratchFolder, sourceDir } from './support.mjs';

const coreFile = path.join(buildDir, 'web/jobshop-core.js');
const skip = fs.existsSync(coreFile) ? false : 'the web edition is not built (no emscripten)';
let calls, folder;

before(async () => {
  if (skip) return;
  calls = searchCalls(await createRequire(import.meta.url)(coreFile)());
  folder = scratchFolder();
});

after(() => {
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

const ft06 = fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt'));
const mixed = Buffer.from('mix\n4 4\n1 4 1 0 2 3 3 2\n2 -2 3 5 3 1 1 0\n3 2 2 0 1 6 4 3\n2 3 3 -1 1 2 4 4\n');
const bytesOf = (parts) => Buffer.concat(parts.map((p) => Buffer.from(p)));

// jobshop-improve's files for `text` with `args` (and the trace's with
// `trace`).
function native(text, args, trace) {
  const here = fs.mkdtempSync(path.join(folder, 'run-'));
  fs.writeFileSync(path.join(here, 'input.txt'), text);
  run('jobshop-improve', ['input.txt', ...args, ...(trace ? ['-o', 't'] : []), '--schedule', 's', '--page', 'p', '--json', 'd'], here);
  return Object.fromEntries(['t', 's', 'p', 'd'].filter((f) => trace || f !== 't').map((f) => [f, fs.readFileSync(path.join(here, f))]));
}

test('the search\'s files are jobshop-improve\'s for the same seed and iterations, also for a run limited in seconds', { skip }, () => {
  const cases = [[ft06, { iterations: 300, seed: '7' }], [mixed, { iterations: 150, seed: '18446744073709551615' }], [ft06, { seconds: 0.5, seed: '1' }]];
  for (const [text, args] of cases) {
    assert.equal(calls.load(new Uint8Array(text)), null);
    let progress = 0;
    const answer = calls.improve(args, () => ++progress);
    assert.equal(answer.ok, true);
    const data = JSON.parse(answer.json);
    if (args.iterations !== undefined) assert.equal(answer.iterations, args.iterations);
    else assert.ok(data.stop === 'time' && answer.iterations === data.iterations && progress > 0, 'a run of 0.5 s reports its progress');
    // A run limited in seconds may make more iterations than a trace holds.
    const limited = args.iterations !== undefined;
    const files = native(text, ['--iterations', String(answer.iterations), '--seed', args.seed], limited);
    assert.ok(bytesOf(calls.schedule().parts).equals(files.s), 'the schedule');
    // The data (and the page that carries it) say when time stopped the run.
    if (!limited) continue;
    assert.ok(bytesOf(calls.trace().parts).equals(files.t), 'the trace');
    assert.equal(answer.json, files.d.toString());
    assert.ok(bytesOf(calls.page().parts).equals(files.p), 'the page');
  }
});

test('the optimum of ft06 is bounds.tsv\'s, proven; the program\'s refusals', { skip }, () => {
  const known = fs.readFileSync(path.join(sourceDir, 'benchmarks/bounds.tsv'), 'utf8').split('\n').find((l) => l.startsWith('ft06\t')).split('\t');
  assert.equal(calls.load(new Uint8Array(ft06)), null);
  const d = JSON.parse(calls.optimum({ nodes: 1000000, seconds: 3 }).json);
  assert.deepEqual([d.insertion, d.cmax, d.exact.proven], [59, Number(known[3]), true]);
  // A trace past 100 MB is refused before the search runs again.
  assert.equal(calls.improve({ iterations: 200000, seed: '1' }).ok, true);
  assert.deepEqual(calls.trace(), {
    ok: false, message: '\nBlad: slad przeszukiwania mialby ponad 100 MB; prosze podac mniej iteracji (--iterations).\n',
    english: 'the search\'s trace would be larger than 100 MB; give fewer iterations (--iterations)',
  });
  // A cycle: the program's message, and no search of the instance before.
  assert.match(calls.load(new Uint8Array(Buffer.from('cykl\n1 2\n1 0 1 0\n'))), /cykl/);
  assert.equal(calls.schedule().ok, false);
});
