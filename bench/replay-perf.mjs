// The replay page of ta71 (100 x 20, 2000 steps): its size, the time to
// write it, its load time in headless Chromium and the cost of a step change.
//   node bench/replay-perf.mjs [instance]   (bench/replay-perf.sh sets it up)
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { buildDir, openBrowser, scratchFolder, sourceDir } from '../tests/browser/support.mjs';

const instance = path.resolve(process.argv[2] || path.join(sourceDir, 'bench/instances/ta71.txt'));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const max = (xs) => Math.max(...xs);
const ms = (x) => x.toFixed(1) + ' ms';

const folder = scratchFolder();
const page = path.join(folder, 'page.html');
const writes = [];
for (let i = 0; i < 11; ++i) {
  const start = process.hrtime.bigint();
  const r = spawnSync(path.join(buildDir, 'jobshop-replay'), [instance, '-o', page], { stdio: ['ignore', 'ignore', 'inherit'] });
  writes.push(Number(process.hrtime.bigint() - start) / 1e6);
  if (r.status !== 0) throw new Error('jobshop-replay failed');
}
const size = fs.statSync(page).size;

const browser = await openBrowser();
const loads = [];
for (let i = 0; i < 5; ++i) {
  const tab = await browser.context.newPage();
  const start = Date.now();
  await tab.goto('file://' + page);
  await tab.waitForFunction(() => document.body.dataset.step === '1');
  loads.push(Date.now() - start);
  await tab.close();
}

// A step change as a key press causes it: the page's work, the style and
// layout it leaves, and (second figure) until the next frame has been drawn.
const tab = await browser.context.newPage();
await tab.goto('file://' + page + '#500');
await tab.waitForFunction(() => document.body.dataset.step === '500');
const steps = await tab.evaluate(async () => {
  const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
  const key = (k) => document.dispatchEvent(new KeyboardEvent('keydown', { key: k, bubbles: true }));
  const input = document.getElementById('step-input');
  const jump = (t) => { input.value = t; input.dispatchEvent(new Event('change')); };
  const result = { forward: [], forwardFrame: [], back: [], jump: [], jumpFrame: [] };
  const measure = async (act, work, toFrame) => {
    const start = performance.now();
    act();
    document.body.offsetHeight;  // the layout the step leaves behind
    work.push(performance.now() - start);
    await frame();
    if (toFrame) toFrame.push(performance.now() - start);
  };
  for (let i = 0; i < 200; ++i) await measure(() => key('ArrowRight'), result.forward, result.forwardFrame);
  for (let i = 0; i < 100; ++i) await measure(() => key('ArrowLeft'), result.back);
  let seed = 7;
  for (let i = 0; i < 50; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    await measure(() => jump(1 + (seed % 2000)), result.jump, result.jumpFrame);
  }
  return result;
});
await browser.close();
fs.rmSync(folder, { recursive: true, force: true });

console.log(`instance: ${path.relative(process.cwd(), instance)}`);
console.log(`page size: ${size} bytes (${(size / 1048576).toFixed(2)} MiB)`);
console.log(`write (jobshop-replay, whole run): median ${ms(median(writes))}, max ${ms(max(writes))} of ${writes.length}`);
console.log(`load in headless Chromium (to the first step shown): median ${loads.length ? median(loads) : 0} ms, max ${max(loads)} ms of ${loads.length}`);
console.log(`step forward, work + layout: median ${ms(median(steps.forward))}, max ${ms(max(steps.forward))} of ${steps.forward.length}`);
console.log(`step forward, until the next frame: median ${ms(median(steps.forwardFrame))}, max ${ms(max(steps.forwardFrame))}`);
console.log(`step back, work + layout: median ${ms(median(steps.back))}, max ${ms(max(steps.back))} of ${steps.back.length}`);
console.log(`jump to a random step, work + layout: median ${ms(median(steps.jump))}, max ${ms(max(steps.jump))} of ${steps.jump.length}`);
console.log(`jump to a random step, until the next frame: median ${ms(median(steps.jumpFrame))}, max ${ms(max(steps.jumpFrame))}`);
