// Where a step's time goes on a replay page: takes steps (four in five by
// the arrow keys, the fifth a jump) from step 500 under Chromium's sampling
// profiler and prints the functions with the most time of their own, after
// Chromium's own script, layout and style time per step.
//   node bench/replay-profile.mjs PAGE [steps]
// PAGE from jobshop-replay, e.g. of bench/instances/ta71.txt; playwright-core
// as bench/replay-perf.sh installs it.
import { openBrowser } from '../tests/browser/support.mjs';

const [page, stepsArg] = process.argv.slice(2);
const steps = Number(stepsArg || 200);
const browser = await openBrowser();
const tab = await browser.context.newPage();
await tab.goto('file://' + page + '#500');
await tab.waitForFunction(() => document.body.dataset.step === '500');
const cdp = await browser.context.newCDPSession(tab);
await cdp.send('Performance.enable');
await cdp.send('Profiler.enable');
await cdp.send('Profiler.setSamplingInterval', { interval: 100 });
const metrics = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
const before = await metrics();
await cdp.send('Profiler.start');
await tab.evaluate(async (steps) => {
  const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
  const key = (k) => document.dispatchEvent(new KeyboardEvent('keydown', { key: k, bubbles: true }));
  const input = document.getElementById('step-input');
  let seed = 3;
  for (let i = 0; i < steps; ++i) {
    if (i % 5 === 4) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      input.value = 1 + (seed % 2000);
      input.dispatchEvent(new Event('change'));
    } else key(i % 5 === 3 ? 'ArrowLeft' : 'ArrowRight');
    document.body.offsetHeight;
    await frame();
  }
}, steps);
const { profile } = await cdp.send('Profiler.stop');
const after = await metrics();
await browser.close();

const self = new Map();
const byId = new Map(profile.nodes.map((n) => [n.id, n]));
const dt = profile.timeDeltas;
for (let i = 0; i < profile.samples.length; ++i) {
  const n = byId.get(profile.samples[i]);
  const f = n.callFrame;
  const key = `${f.functionName || '(anonymous)'} ${f.url ? 'line ' + (f.lineNumber + 1) : ''}`.trim();
  self.set(key, (self.get(key) || 0) + (dt[i] || 0) / 1000);
}
console.log(`per step or jump (${steps}), ms: script ${((after.ScriptDuration - before.ScriptDuration) * 1000 / steps).toFixed(2)}, ` +
  `layout ${((after.LayoutDuration - before.LayoutDuration) * 1000 / steps).toFixed(2)}, ` +
  `style ${((after.RecalcStyleDuration - before.RecalcStyleDuration) * 1000 / steps).toFixed(2)}`);
for (const [k, ms] of [...self].sort((a, b) => b[1] - a[1]).slice(0, 25)) console.log((ms / steps).toFixed(3).padStart(8), k);
