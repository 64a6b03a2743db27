// Shared by the page's tests (here and in tests/browser): the built
// programs, scratch folders and the trace's step sections. Needs nothing
// from npm.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { after } from 'node:test';
import { fileURLToPath } from 'node:url';
import { createCore } from '../../src/driver/web/js/core.js';

export const sourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const buildDir = path.resolve(process.env.JOBSHOP_BUILD || path.join(sourceDir, 'build'));
export const pageModules = path.join(sourceDir, 'src/report/replay/js');

export function scratchFolder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'replay-page-'));
}

// For a test file of the web edition's core (build/web/jobshop-core.js,
// built where emscripten is installed): `skip`, the reason to skip its
// tests or false, and `load()`, which resolves to the core, loaded by node
// as the page loads it, and a scratch folder, removed after the file's
// tests (by rm: its files' names may be any bytes).
export function withWebCore() {
  const coreFile = path.join(buildDir, 'web/jobshop-core.js');
  let loading = null, folder = null;
  after(() => {
    if (folder) spawnSync('rm', ['-rf', folder]);
  });
  return {
    skip: fs.existsSync(coreFile) ? false : 'the web edition is not built (no emscripten)',
    load: () => (loading ??= createCore(createRequire(import.meta.url)(coreFile)).then((core) => {
      folder = scratchFolder();
      return { core, folder };
    })),
  };
}

// Runs a built program in `folder` in a session of its own with no input, so
// it never waits for a key.
export function run(program, args, folder) {
  const result = spawnSync('setsid', ['-w', path.join(buildDir, program), ...args], {
    cwd: folder, stdio: ['ignore', 'pipe', 'pipe'], encoding: 'utf8',
  });
  if (result.status !== 0) {
    throw new Error(`${program} ${args.join(' ')} exited ${result.status}: ${result.stderr}`);
  }
  return result;
}

// Writes `text` as input.txt of a fresh folder, runs jobshop-insert (unless
// trace is false) and jobshop-replay on it (the page and its data), and
// returns the paths of the trace, the page and the data.
export function runInstanceText(text, name, { trace = true } = {}) {
  const folder = scratchFolder();
  fs.writeFileSync(path.join(folder, 'input.txt'), text);
  if (trace) run('jobshop-insert', [], folder);
  run('jobshop-replay', ['--json', 'data.json'], folder);
  return {
    folder,
    trace: path.join(folder, `${name}_krok_po_kroku.txt`),
    page: path.join(folder, `${name}_krok_po_kroku.html`),
    data: path.join(folder, 'data.json'),
  };
}

export function makePage(instance, name, options) {
  return runInstanceText(fs.readFileSync(path.join(sourceDir, instance)), name, options);
}

// The trace's step sections: for each step, its topological order and table
// lines (header first, each with its LF), or null for a step on an empty
// machine; and the final Cmax.
export function readTrace(file) {
  const text = fs.readFileSync(file, 'utf8');
  const stars = '*'.repeat(58) + '\n';
  const parts = text.split(stars);
  const closing = parts[parts.length - 2];
  const steps = parts.slice(0, parts.length - 2).map((section, i) => {
    const lines = (i === 0 ? section.slice(section.indexOf('\n\n') + 2) : section).split('\n');
    const at = lines.findIndex((l) => l.startsWith('Topologicznie:'));
    if (at < 0) return null;
    const topo = lines[at].split('\t').slice(1).filter((x) => x !== '').map(Number);
    const table = lines.slice(at + 2, at + 3 + topo.length).map((l) => l + '\n');
    return { topo, table: table.join('') };
  });
  const cmax = Number(/Funkcja celu Cmax = (-?\d+)/.exec(closing)[1]);
  return { steps, cmax };
}

// Writes `text` as input.txt of a fresh folder and runs jobshop-improve on
// it with `args`, writing its trace, its data and its page; returns their
// paths.
export function runSearchText(text, args) {
  const folder = scratchFolder();
  fs.writeFileSync(path.join(folder, 'input.txt'), text);
  run('jobshop-improve', ['input.txt', ...args, '-o', 'trace.txt', '--json', 'data.json', '--page', 'page.html'], folder);
  return { folder, trace: path.join(folder, 'trace.txt'), data: path.join(folder, 'data.json'), page: path.join(folder, 'page.html') };
}

// The text of the data a written page carries.
export function pageDataText(page) {
  const html = fs.readFileSync(page, 'utf8'), open = '<script type="application/json" id="replay-data">';
  const from = html.indexOf(open) + open.length;
  return html.slice(from, html.indexOf('</script>', from));
}

// The iterations of a jobshop-improve trace, by number: the table's lines
// (header first, each with its LF), the critical path, the moves' rows
// (name, block, bound, Cmax, status), the move made and the sequences
// after it.
export function readSearchTrace(file) {
  const iterations = new Map();
  const numbers = (line) => line.split('\t').slice(1).filter((x) => x !== '').map(Number);
  for (const section of fs.readFileSync(file, 'utf8').split('*'.repeat(58) + '\n')) {
    const lines = section.split('\n').filter((l, i, all) => i > 0 || l !== '' || all.length === 1);
    const head = /^Iteracja (\d+)\t/.exec(lines[0]);
    if (!head) continue;
    const at = (label) => lines.findIndex((l) => l.startsWith(label));
    const table = [];
    for (let i = at('Lp\t'); lines[i] !== ''; ++i) table.push(lines[i] + '\n');
    const moves = [];
    for (let i = at('Ruch\t') + 1; i > 0 && lines[i] !== ''; ++i) moves.push(lines[i].split('\t'));
    const pi = lines.slice(at('PI:') + 1).filter((l) => l !== '').map((l) => l.split('\t').filter((x) => x !== '').map(Number));
    const chosen = at('Wybrany ruch:');
    iterations.set(Number(head[1]), {
      table: table.join(''), path: numbers(lines[at('Sciezka krytyczna:')]), moves,
      chosen: chosen >= 0 ? lines[chosen].split('\t')[1].split(' ')[0] : null, pi,
    });
  }
  return iterations;
}
