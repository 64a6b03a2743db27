// The cost of a step on the page of a 15 x 15 instance (ta01 unless another
// is given) with the schedule graph in view: the page's work and the layout
// it causes, for every step forward, every step back and jumps, in headless
// Chromium. For comparison the same steps with the graph out of view (the
// browser then skips its layout, not its script).
//   node bench/graph-perf.mjs [instance]      (after bash bench/replay-perf.sh
//   or scripts/browser-test.sh have built the programs and installed playwright)
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { buildDir, openBrowser, scratchFolder, sourceDir } from '../tests/browser/support.mjs';

const instance = path.resolve(process.argv[2] || path.join(sourceDir, 'benchmarks/ta01.txt'));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const folder = scratchFolder();
const page = path.join(folder, 'page.html');
if (spawnSync(path.join(buildDir, 'jobshop-replay'), [instance, '-o', page], { stdio: 'inherit' }).status !== 0) throw new Error('jobshop-replay failed');

const browser = await openBrowser();
const tab = await browser.context.newPage();
await tab.goto('file://' + page + '#1');
await tab.waitForFunction(() => document.body.dataset.step === '1');
const steps = await tab.evaluate(() => Number(document.getElementById('slider').max));
const cdp = await browser.context.newCDPSession(tab);
await cdp.send('Performance.enable');
const mainThread = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));

const figures = { in: { forward: [], back: [], jump: [], script: 0, layout: 0, count: 0 }, out: { forward: [], back: [], jump: [], script: 0, layout: 0, count: 0 } };
let seed = 7;
for (let round = 0; round < 6; ++round) {
  // The two conditions take turns, each going first as often.
  const where = round % 4 === 0 || round % 4 === 3 ? 'in' : 'out';
  const jumps = [];
  for (let i = 0; i < 25; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    jumps.push(1 + (seed % steps));
  }
  const before = await mainThread();
  const r = await tab.evaluate(async ({ where, steps, jumps }) => {
    if (where === 'in') document.getElementById('graph-box').scrollIntoView();
    else window.scrollTo(0, 0);
    const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
    await frame();
    const key = (k) => document.dispatchEvent(new KeyboardEvent('keydown', { key: k, bubbles: true }));
    const input = document.getElementById('step-input');
    const result = { forward: [], back: [], jump: [] };
    const measure = async (act, list) => {
      const start = performance.now();
      act();
      document.body.offsetHeight;  // the layout the step leaves behind
      list.push(performance.now() - start);
      await frame();
    };
    key('Home');
    await frame();
    for (let t = 2; t <= steps; ++t) await measure(() => key('ArrowRight'), result.forward);
    for (let t = 0; t < 50; ++t) await measure(() => key('ArrowLeft'), result.back);
    for (const t of jumps) await measure(() => { input.value = t; input.dispatchEvent(new Event('change')); }, result.jump);
    return result;
  }, { where, steps, jumps });
  const after = await mainThread();
  const f = figures[where];
  for (const name of ['forward', 'back', 'jump']) f[name].push(...r[name]);
  f.script += after.ScriptDuration - before.ScriptDuration;
  f.layout += after.LayoutDuration - before.LayoutDuration + after.RecalcStyleDuration - before.RecalcStyleDuration;
  f.count += r.forward.length + r.back.length + r.jump.length;
}
await browser.close();
fs.rmSync(folder, { recursive: true, force: true });

console.log(`instance: ${path.relative(process.cwd(), instance)} (${steps} steps); medians of ${figures.in.forward.length} steps forward, ` +
  `${figures.in.back.length} back, ${figures.in.jump.length} jumps per column`);
console.log(['figure, ms', 'graph in view', 'graph out of view'].join('\t'));
const row = (name, of) => console.log([name, ...['in', 'out'].map((w) => of(figures[w]).toFixed(1))].join('\t'));
row('step forward: work + layout', (f) => median(f.forward));
row('step back: work + layout', (f) => median(f.back));
row('jump: work + layout', (f) => median(f.jump));
row('largest step forward', (f) => Math.max(...f.forward));
row('Chromium\'s script time per step (mean)', (f) => (f.script * 1000) / f.count);
row('Chromium\'s layout and style time per step (mean)', (f) => (f.layout * 1000) / f.count);
