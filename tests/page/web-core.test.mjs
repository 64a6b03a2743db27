// The web edition's core (build/web/jobshop-core.js, built where emscripten
// is installed) loaded by node as the page loads it, against the native
// programs: on random instances, accepted or refused, the same trace bytes
// or the same message as jobshop-insert; the page jobshop-replay writes; the
// instances jobshop-generate makes.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { before, test } from 'node:test';
import { buildDir, run, sourceDir, withWebCore } from './support.mjs';

const web = withWebCore();
const skip = web.skip;
let core, folder;
before(async () => {
  if (!skip) ({ core, folder } = await web.load());
});

// jobshop-insert on `text` in a clean folder: its status, its message and
// its trace (the one file it wrote, whatever the name's bytes).
function runNative(text) {
  const here = fs.mkdtempSync(path.join(folder, 'run-'));
  fs.writeFileSync(path.join(here, 'input.txt'), text);
  const result = spawnSync('setsid', ['-w', path.join(buildDir, 'jobshop-insert')], {
    cwd: here, stdio: ['ignore', 'pipe', 'pipe'],
  });
  const traces = fs.readdirSync(here, { encoding: 'buffer' }).filter((n) => !n.equals(Buffer.from('input.txt')));
  return {
    status: result.status, stderr: result.stderr.toString('latin1'),
    trace: traces.length ? fs.readFileSync(Buffer.concat([Buffer.from(here + '/'), traces[0]])) : null,
  };
}

const bytesOf = async (parts) => Buffer.from(await new Blob(parts).arrayBuffer());

// Random texts in the program's format: names of any bytes a name may hold,
// sizes from empty up, times that may be 0 or negative (a cycle), machines
// that may repeat, odd layouts, and some refused on purpose.
function randomTexts(count) {
  let s = 17;
  const random = (n) => {
    s = (s * 1103515245 + 12345) % 2 ** 31;
    return s % n;
  };
  const nameByte = () => {
    for (;;) {
      const b = 1 + random(255);
      if (![9, 10, 11, 12, 13, 32, 47, 92].includes(b)) return b;
    }
  };
  const texts = [];
  for (let i = 0; i < count; ++i) {
    const jobs = random(9), machines = random(7);
    const name = Buffer.from(Array.from({ length: 1 + random(10) }, nameByte));
    const lowest = random(5) === 0 ? -3 : 1;
    const tokens = [String(jobs), String(machines)];
    for (let j = 0; j < jobs; ++j) {
      const order = Array.from({ length: machines }, (_, k) => k + 1).sort(() => random(3) - 1);
      for (let k = 0; k < machines; ++k) {
        tokens.push(String(random(4) === 0 ? 1 + random(machines) : order[k]), String(lowest + random(30)));
      }
    }
    const kind = random(10);
    if (kind === 0 && tokens.length > 2) tokens[2 + random(tokens.length - 2)] = 'x' + random(9);
    if (kind === 1) tokens.pop();
    if (kind === 2 && tokens.length > 2) tokens[2] = String(machines + 1);
    const separator = ['\n', ' ', '\r\n', '\t'][random(4)];
    texts.push(Buffer.concat([name, Buffer.from(separator + tokens.join(separator) + (random(2) ? '\n' : ' tail'))]));
  }
  return texts;
}

test('random instances: the trace of jobshop-insert byte for byte, or its message', { skip }, async () => {
  let traced = 0, refused = 0;
  for (const text of randomTexts(60)) {
    const native = runNative(text);
    const web = core.run(new Uint8Array(text));
    const shown = JSON.stringify(text.toString('latin1'));
    if (native.status !== 0) {
      assert.equal(web.ok, false, shown);
      assert.equal(web.message, native.stderr, shown);
      ++refused;
      continue;
    }
    assert.equal(web.ok, true, `${shown}: ${web.message}`);
    // Chunks much smaller than the trace: many of them, joined in order.
    const chunk = 1 + (traced % 3) * 500;
    assert.ok((await bytesOf(core.traceParts(chunk))).equals(native.trace), shown);
    ++traced;
  }
  assert.ok(traced >= 20 && refused >= 10, `${traced} traced, ${refused} refused`);
});

test('a line in the loader\'s refusal, nothing of the run before it to download, and a run after it is whole again', { skip }, async () => {
  assert.equal(core.run(new TextEncoder().encode('jeden\n1 1\n1 5\n')).ok, true);
  const refusal = core.run(new TextEncoder().encode('dwa\n2 2\n1 3 2 4\n2 2 1 abc\n'));
  assert.deepEqual(refusal, {
    ok: false, line: 4,
    message: '\nBlad w pliku input.txt: niepoprawna liczba "abc": czas operacji 4 (zadanie 2).\n',
    english: 'input.txt:4: the time of operation 4 (job 2) "abc" is not a 32-bit integer',
  });
  assert.equal(core.traceParts(), null);
  assert.equal(core.pageParts(), null);
  const text = fs.readFileSync(path.join(sourceDir, 'tests/golden/ft06.trace'));
  assert.equal(core.run(fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt'))).ok, true);
  assert.ok((await bytesOf(core.traceParts())).equals(text));
  const instance = core.instance();
  assert.deepEqual([Buffer.from(instance.name).toString(), instance.jobs, instance.machines, instance.ops.length],
    ['ft06', 6, 6, 72]);
});

test('the replay page of jobshop-replay, byte for byte', { skip }, async () => {
  for (const text of randomTexts(60).filter((t, i) => i % 6 === 0)) {
    const here = fs.mkdtempSync(path.join(folder, 'page-'));
    fs.writeFileSync(path.join(here, 'input.txt'), text);
    const native = spawnSync(path.join(buildDir, 'jobshop-replay'), ['-o', 'page.html'], { cwd: here });
    const web = core.run(new Uint8Array(text));
    assert.equal(web.ok, native.status === 0, native.stderr.toString());
    if (!web.ok) continue;
    assert.ok((await bytesOf(core.pageParts())).equals(fs.readFileSync(path.join(here, 'page.html'))));
  }
});

test('the instances of jobshop-generate, from a class seed or from Taillard\'s seeds', { skip }, () => {
  const cases = [
    [{ jobs: 15, machines: 15, low: 1, high: 99, timeSeed: 840612802, machineSeed: 398197754 },
      ['--taillard', '840612802', '398197754', '--jobs', '15', '--machines', '15']],
    [{ jobs: 4, machines: 3, low: 1, high: 9, classSeed: 2027 }, ['--jobs', '4', '--machines', '3', '--times', '1-9', '--seed', '2027']],
    [{ jobs: 1, machines: 7, low: 5, high: 5, classSeed: 1 }, ['--jobs', '1', '--machines', '7', '--times', '5-5', '--seed', '1']],
  ];
  for (const [options, args] of cases) {
    const native = run('jobshop-generate', args, folder).stdout;
    assert.equal(new TextDecoder().decode(core.generate(options)), native, args.join(' '));
  }
  assert.equal(core.generate({ jobs: 0, machines: 3, low: 1, high: 9, classSeed: 5 }), null);
  assert.equal(core.generate({ jobs: 2, machines: 3, low: 1, high: 9, timeSeed: 0, machineSeed: 5 }), null);
});
