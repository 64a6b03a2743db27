// The web edition's core reading the formats jobshop-convert reads, against
// jobshop-convert itself: every bundled benchmark in OR-Library's file of
// them all, in JSPLIB's layout and in Taillard's gives convert's program
// text; refusals in convert's English words, with Polish twins.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { before, test } from 'node:test';
import { buildDir, sourceDir, withWebCore } from './support.mjs';

const benchmarks = path.join(sourceDir, 'benchmarks');
const web = withWebCore();
const skip = web.skip;
let core, folder;
before(async () => {
  if (!skip) ({ core, folder } = await web.load());
});

// jobshop-convert's runs, each a list of arguments, in the scratch folder
// (as messages name its files); its own code, many runs in one process
// (tests/ConvertTool.cpp). Each run's status, output, the format it
// detected and the last line of its messages.
function convert(...runs) {
  const input = runs.map((args) => args.join('\t') + '\n').join('');
  const bytes = spawnSync(path.join(buildDir, 'tests/convert-tool'), { cwd: folder, input, maxBuffer: 1 << 30 }).stdout;
  const outcomes = [];
  for (let at = 0; at < bytes.length;) {
    const end = bytes.indexOf(10, at);
    const [status, outBytes, errBytes] = bytes.subarray(at, end).toString().split(' ').map(Number);
    const out = bytes.subarray(end + 1, end + 1 + outBytes).toString();
    const err = bytes.subarray(end + 1 + outBytes, end + 1 + outBytes + errBytes).toString();
    at = end + 1 + outBytes + errBytes;
    outcomes.push({ status, out, detected: /detected format: (\w+)/.exec(err)?.[1], last: err.trimEnd().split('\n').at(-1) });
  }
  assert.equal(outcomes.length, runs.length);
  return outcomes;
}

const write = (file, text) => {
  fs.writeFileSync(path.join(folder, file), text);
  return Buffer.from(text);
};
const text = (bytes) => Buffer.from(bytes).toString();

// The program's text as Taillard writes an instance: his header, the
// counts, the times and the machines (from 1) as rows per job.
function taillardText(programText) {
  const [, n, m, ...pairs] = programText.trim().split(/\s+/);
  const rows = (pick) => Array.from({ length: Number(n) },
    (_, j) => pairs.slice(2 * j * m, 2 * (j + 1) * m).filter((_, k) => k % 2 === pick).join(' ')).join('\n');
  return `Nb of jobs, Nb of Machines, Time seed, Machine seed, Upper bound, Lower bound\n ${n} ${m} 0 0 0 0\nTimes\n${rows(1)}\nMachines\n${rows(0)}\n`;
}

test('every bundled benchmark in OR-Library\'s, JSPLIB\'s and Taillard\'s layouts: the text jobshop-convert gives', { skip }, () => {
  const names = fs.readdirSync(benchmarks).filter((f) => f.endsWith('.txt')).map((f) => f.slice(0, -4)).sort();
  assert.equal(names.length, 162);
  const programs = names.map((name) => fs.readFileSync(path.join(benchmarks, `${name}.txt`), 'utf8'));
  const standard = convert(...names.map((name) => [path.join(benchmarks, `${name}.txt`), '--to', 'standard'])).map((r) => r.out);
  // All of them in one file, as OR-Library publishes its instances; each
  // alone without its `instance` line (JSPLIB's layout); each in Taillard's.
  const files = [];
  const all = write('all.txt', ' All the benchmarks, machines from 0.\n' + standard.map((s) => ' +++++\n' + s).join(''));
  names.forEach((name, k) => files.push({ file: 'all.txt', bytes: all, index: k, name, format: 'standard', introduced: true }));
  for (const layout of ['jsplib', 'taillard']) {
    fs.mkdirSync(path.join(folder, layout));
    names.forEach((name, k) => {
      const file = `${layout}/${name}.txt`;
      const content = layout === 'jsplib' ? `# ${name}: a comment\n` + standard[k].split('\n').slice(2).join('\n') : taillardText(programs[k]);
      files.push({ file, bytes: write(file, content), index: 0, name, format: layout === 'jsplib' ? 'standard' : 'taillard', introduced: false });
    });
  }
  const natives = convert(...files.map(({ file, index }) => [file, '--index', String(index + 1)]));
  files.forEach(({ file, bytes, index, name, format, introduced }, k) => {
    const reading = core.read(bytes, { index, file });
    assert.deepEqual([reading.kind, reading.format, reading.introduced, natives[k].detected, reading.names[index]],
      ['converted', format, introduced, format, name], `${file} ${name}`);
    assert.equal(text(reading.bytes), natives[k].out, `${file} ${name}`);
    assert.equal(natives[k].out, programs[names.indexOf(name)], `${file} ${name}`);
  });
});

test('refusals: jobshop-convert\'s English, a Polish twin at the same line; the program\'s in the tools\' English', { skip }, () => {
  const both = '1 2\nTimes\n5 6\nMachines\n1 2\ninstance a\nd\n1 2\n0 5 1 6\n';
  const cases = [
    [both, {}],
    ['instance a\nd\n2 3\n0 1 1 2 2 3\n0 1 1 2\n', {}],
    ['2 3\n0 1 1 2 3 3\n0 1 1 2 2 3\n', {}],
    ['# c\n2 3\n0 1 1 -2 2 3\n', {}],
    ['number of jobs, number of machines, initial seed, upper bound and lower bound :\n2 2 1 10 10\n', {}],
    ['2 2\nTimes\n1 2\n3 4\nMachines\n1 2\n', {}],
    ['2 2 1.5\n2 1 1 5 2 1 3 2 4\n2 1 2 2 1 1 3\n', {}],
    ['instance a/b\nd\n1 1\n0 5\n', {}],
    ['1 1\n0 5\n', { format: 'taillard' }],
  ];
  for (const [content, choice] of cases) {
    const reading = core.read(write('in.txt', content), { ...choice, file: 'in.txt' });
    const [native] = convert(['in.txt', ...(choice.format ? ['--from', choice.format] : [])]);
    const shown = JSON.stringify(content);
    assert.equal(native.status, 1, shown);
    assert.equal(reading.kind, 'refused', shown);
    assert.equal(`jobshop-convert: ${reading.english}`, native.last, shown);
    const where = /^in\.txt(:\d+)?/.exec(reading.english)[0];
    assert.ok(reading.polish.startsWith(where) && reading.polish !== reading.english, reading.polish);
    assert.equal(reading.line, Number(where.split(':')[1] ?? 0), shown);
  }
  // A name the file gives none, from a file name that cannot be one, is
  // refused until another is given.
  const jsplib = write('my ft06.txt', fs.readFileSync(path.join(sourceDir, 'tests/data/jsplib/ft06.txt')));
  assert.match(core.read(jsplib, { file: 'my ft06.txt' }).polish, /^my ft06\.txt: nazwa instancji zawiera biały znak .*\("my ft06"\); podaj inną w --name$/);
  assert.equal(text(core.read(jsplib, { file: 'my ft06.txt', name: 'ft06' }).bytes), fs.readFileSync(path.join(benchmarks, 'ft06.txt'), 'utf8'));
  // What looks like no format is the program's, as the page runs it; the
  // loader's refusal in English is the tools' (the file is input.txt).
  const bad = 'dwa\n2 2\n1 3 2 4\n2 2 9 5\n';
  assert.equal(core.read(write('input.txt', '1 2 3 4\n')).kind, 'program');
  assert.equal(core.read(write('input.txt', bad)).kind, 'program');
  assert.equal(`jobshop-convert: ${core.run(Buffer.from(bad)).english}`, convert(['input.txt'])[0].last);
  assert.equal(core.run(Buffer.from('cykl\n1 2\n1 0 1 0\n')).english, 'input.txt: the schedule graph closed a cycle (times of 0 or below)');
});
