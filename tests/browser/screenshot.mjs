// Makes the README's pictures of the replay page, from the ft06 page made
// by the built programs, in Debian's chromium:
//   docs/replay-ft06.png        step 21 (a tie between two positions);
//   docs/replay-graph-ft06.png  the graph of that step;
//   docs/replay-practice.png    step 21 in practice mode, some answers typed
//                               (one of them wrong) and checked.
//   node tests/browser/screenshot.mjs
import fs from 'node:fs';
import path from 'node:path';
import { makePage, openBrowser, readTrace, sourceDir } from './support.mjs';

const ft06 = makePage('examples/ft06/input.txt', 'ft06');
const browser = await openBrowser();
try {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1280, height: 1020 });
  await page.goto(`file://${ft06.page}#21`);
  await page.waitForFunction(() => document.body.dataset.step === '21');
  await page.screenshot({ path: path.join(sourceDir, 'docs/replay-ft06.png') });
  const graph = await page.$('#graph-panel');
  await graph.scrollIntoViewIfNeeded();
  await graph.screenshot({ path: path.join(sourceDir, 'docs/replay-graph-ft06.png') });

  // The step's answers from the trace and the run, one Q typed wrong, the
  // chosen position and the sequence left for the student.
  const table = readTrace(ft06.trace).steps[20].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const R = (k) => (k ? table[k - 1][7] : 0), Q = (k) => (k ? table[k - 1][8] : 0);
  const step = JSON.parse(fs.readFileSync(ft06.data, 'utf8')).steps[20], [NO, PO] = table[step.op - 1].slice(3, 5);
  await page.click('#practice-switch');
  const neighbours = await page.$$eval('#practice-candidates tbody tr', (trs) => trs.map((tr) => [Number(tr.cells[1].textContent), Number(tr.cells[2].textContent)]));
  const rows = await page.$$eval('[data-cell^="Q:"]', (inputs) => inputs.map((i) => i.dataset.cell));
  const wrong = rows[rows.length - 3];
  for (const key of await page.$$eval('[data-cell]', (inputs) => inputs.map((i) => i.dataset.cell))) {
    const [kind, n] = key.split(':'), [u, v] = neighbours[n - 1] || [];
    const answer = { R: () => R(n), Q: () => Q(n) + (key === wrong ? 4 : 0), est: () => step.estimates[n - 1],
      head: () => Math.max(R(PO), R(u)), tail: () => Math.max(Q(NO), Q(v)) }[kind];
    if (answer) await page.fill(`[data-cell="${key}"]`, String(answer()));
  }
  await page.click('#practice-check');
  await page.click('#practice-derivations summary');
  await page.focus(`[data-cell="${wrong}"]`);
  const top = await page.evaluate(() => {
    const rows = document.querySelectorAll('#practice-table tbody tr');
    const r = rows[rows.length - 6].getBoundingClientRect();
    window.scrollBy(0, r.top - 110);
    return 0;
  });
  await page.screenshot({ path: path.join(sourceDir, 'docs/replay-practice.png'), clip: { x: 0, y: top, width: 1280, height: 1020 } });
  // Leave the browser's profile as it found it: practice off.
  await page.click('#practice-switch');
} finally {
  await browser.close();
  fs.rmSync(ft06.folder, { recursive: true, force: true });
}
