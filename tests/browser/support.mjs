// Shared by the browser tests: the built programs, scratch folders, the
// trace's step sections and a Chromium of the system's own.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

export const sourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const buildDir = path.resolve(process.env.JOBSHOP_BUILD || path.join(sourceDir, 'build'));

export function scratchFolder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'replay-browser-'));
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

// Copies an instance into a fresh folder, runs jobshop-insert and
// jobshop-replay on it, and returns the paths of the trace and the page.
export function makePage(instance, name, { trace = true } = {}) {
  const folder = scratchFolder();
  fs.copyFileSync(path.join(sourceDir, instance), path.join(folder, 'input.txt'));
  if (trace) run('jobshop-insert', [], folder);
  run('jobshop-replay', [], folder);
  return {
    folder,
    trace: path.join(folder, `${name}_krok_po_kroku.txt`),
    page: path.join(folder, `${name}_krok_po_kroku.html`),
  };
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

// Debian's chromium, never a downloaded browser, in a fresh profile, with
// its own network traffic switched off.
export async function openBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'replay-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1280, height: 900 },
    acceptDownloads: true,
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A page that records every request and every console error or uncaught
// exception, for the test to check at its end.
export async function watchedPage(context) {
  const page = await context.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (r) => requests.push(r.url()));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  return { page, requests, errors };
}

export const stepOf = (page) => page.evaluate(() => Number(document.body.dataset.step));
