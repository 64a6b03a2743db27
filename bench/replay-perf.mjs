// The replay page of ta71 (100 x 20, 2000 steps): its size, the time to
// write it, its load time in headless Chromium and the cost of a step change.
//   node bench/replay-perf.mjs [--against OTHER_BUILD] [--practice] [--scroll ID] [instance]
// (bench/replay-perf.sh sets it up). With --against, the pages of both
// builds are measured side by side, their runs taking turns and each going
// first as often, so that the machine's load falls on both alike. With
// --practice, the pages load and step in practice mode (a page without it
// is measured as it is). With --scroll, the steps are taken with the element
// of that id scrolled into view (the page leaves panels off the screen
// alone), e.g. table-panel.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { buildDir, openBrowser, scratchFolder, sourceDir } from '../tests/browser/support.mjs';

const args = process.argv.slice(2);
const builds = [buildDir];
const against = args.indexOf('--against');
if (against >= 0) builds.push(path.resolve(args.splice(against, 2)[1]));
const scroll = args.indexOf('--scroll');
const scrollTo = scroll >= 0 ? args.splice(scroll, 2)[1] : null;
const practice = args.indexOf('--practice');
if (practice >= 0) args.splice(practice, 1);
const instance = path.resolve(args[0] || path.join(sourceDir, 'bench/instances/ta71.txt'));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const max = (xs) => Math.max(...xs);

const folder = scratchFolder();
const pages = builds.map((_, b) => path.join(folder, `page${b}.html`));
const figures = builds.map(() => ({ write: [], load: [], forward: [], forwardFrame: [], back: [], jump: [], jumpFrame: [] }));
// The builds in turn, in the other order every second round.
const inTurn = (round) => (round % 2 === 0 ? builds.map((_, b) => b) : builds.map((_, b) => builds.length - 1 - b));

for (let i = 0; i < 11; ++i) {
  for (const b of inTurn(i)) {
    const build = builds[b];
    spawnSync('sync');
    const start = process.hrtime.bigint();
    const r = spawnSync(path.join(build, 'jobshop-replay'), [instance, '-o', pages[b]], { stdio: ['ignore', 'ignore', 'inherit'] });
    figures[b].write.push(Number(process.hrtime.bigint() - start) / 1e6);
    if (r.status !== 0) throw new Error(`${build}/jobshop-replay failed`);
  }
}

const browser = await openBrowser();
// Practice mode is remembered by the browser: on before any page starts.
if (practice >= 0) await browser.context.addInitScript(() => localStorage.setItem('jobshop-replay.practice-mode', 'on'));
for (let i = 0; i < 10; ++i) {
  for (const b of inTurn(i)) {
    const tab = await browser.context.newPage();
    const start = Date.now();
    await tab.goto('file://' + pages[b]);
    await tab.waitForFunction(() => document.body.dataset.step === '1');
    figures[b].load.push(Date.now() - start);
    await tab.close();
  }
}

// A step change as a key press causes it: the page's work, the style and
// layout it leaves, and until the next frame has been drawn. One tab per
// page; the tabs take turns in blocks of 20 steps forward, 10 back and 5
// jumps (to the same steps in every tab).
// Chromium's own count of the time its main thread spent on script, layout
// and style, summed over the blocks: less sensitive to other processes than
// the clock.
const tabs = [];
const chromiumTime = builds.map(() => ({ ScriptDuration: 0, LayoutDuration: 0, RecalcStyleDuration: 0, steps: 0 }));
const mainThread = async (cdp) => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
for (const page of pages) {
  const tab = await browser.context.newPage();
  await tab.goto('file://' + page + '#500');
  await tab.waitForFunction(() => document.body.dataset.step === '500');
  if (scrollTo) await tab.evaluate((id) => document.getElementById(id).scrollIntoView(), scrollTo);
  const cdp = await browser.context.newCDPSession(tab);
  await cdp.send('Performance.enable');
  tabs.push({ tab, cdp });
}
let seed = 7;
for (let block = 0; block < 10; ++block) {
  const jumps = [];
  for (let i = 0; i < 5; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    jumps.push(1 + (seed % 2000));
  }
  for (const b of inTurn(block)) {
    const { tab, cdp } = tabs[b];
    await tab.bringToFront();
    const before = await mainThread(cdp);
    const r = await tab.evaluate(async (jumps) => {
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
      for (const t of jumps) {
        await measure(() => jump(t), result.jump, result.jumpFrame);
        for (let i = 0; i < 4; ++i) await measure(() => key('ArrowRight'), result.forward, result.forwardFrame);
        for (let i = 0; i < 2; ++i) await measure(() => key('ArrowLeft'), result.back);
      }
      return result;
    }, jumps);
    const after = await mainThread(cdp);
    for (const name of ['ScriptDuration', 'LayoutDuration', 'RecalcStyleDuration']) chromiumTime[b][name] += after[name] - before[name];
    chromiumTime[b].steps += r.forward.length + r.back.length + r.jump.length;
    for (const [name, xs] of Object.entries(r)) figures[b][name].push(...xs);
  }
}
await browser.close();
const sizes = pages.map((p) => fs.statSync(p).size);
fs.rmSync(folder, { recursive: true, force: true });

const rows = [
  ['page size (bytes)', (f, b) => sizes[b]],
  ['write (jobshop-replay, whole run), ms', (f) => median(f.write)],
  ['load to the first step shown, ms', (f) => median(f.load)],
  ['step forward: work + layout, ms', (f) => median(f.forward)],
  ['step forward: until the next frame, ms', (f) => median(f.forwardFrame)],
  ['step back: work + layout, ms', (f) => median(f.back)],
  ['jump: work + layout, ms', (f) => median(f.jump)],
  ['jump: until the next frame, ms', (f) => median(f.jumpFrame)],
  ['largest step forward / jump, ms', (f) => `${max(f.forward).toFixed(1)} / ${max(f.jump).toFixed(1)}`],
  ...['ScriptDuration', 'LayoutDuration', 'RecalcStyleDuration'].map((name) =>
    [`Chromium's ${name} per step or jump (mean), ms`, (f, b) => (chromiumTime[b][name] * 1000) / chromiumTime[b].steps]),
];
const show = (x) => (typeof x === 'number' && !Number.isInteger(x) ? x.toFixed(1) : String(x));
console.log(`instance: ${path.relative(process.cwd(), instance)}${practice >= 0 ? ' (practice mode)' : ''}${scrollTo ? `, #${scrollTo} in view` : ''}; medians of ${figures[0].write.length} writes, ` +
  `${figures[0].load.length} loads, ${figures[0].forward.length} steps forward, ${figures[0].back.length} back, ${figures[0].jump.length} jumps`);
console.log(['figure', ...builds.map((b) => path.relative(process.cwd(), b) || '.'), ...(builds.length > 1 ? ['ratio'] : [])].join('\t'));
for (const [name, of] of rows) {
  const values = figures.map((f, b) => of(f, b));
  const ratio = builds.length > 1 && typeof values[0] === 'number' ? [(values[0] / values[1]).toFixed(2)] : builds.length > 1 ? [''] : [];
  console.log([name, ...values.map(show), ...ratio].join('\t'));
}
