// The search on the page and in the web edition:
//   node bench/search-perf.mjs
// 1. The page jobshop-improve --page writes for ft06 and ta01 (the default
//    10,000 iterations; ta01's record is cut at 8 MB): its size, its load
//    to iteration 1 shown, and a step in the iterations (forward, back, a
//    jump by number: the page's work and the layout it causes) beside a
//    step of the insertion on the same page. Medians.
// 2. The web edition's search (its core under node, as the worker runs it)
//    beside jobshop-improve --json on ta01, 20,000 iterations, runs taking
//    turns: medians and their ratio. Needs the web edition built.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { searchCalls } from '../src/driver/web/js/search-core.js';
import { buildDir, openBrowser, scratchFolder, sourceDir } from '../tests/browser/support.mjs';

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const folder = scratchFolder();
const instances = { ft06: 'examples/ft06/input.txt', ta01: 'benchmarks/ta01.txt' };
const browser = await openBrowser();
for (const [name, file] of Object.entries(instances)) {
  const page = path.join(folder, name + '.html');
  spawnSync(path.join(buildDir, 'jobshop-improve'), [path.join(sourceDir, file), '--page', page], { stdio: 'ignore' });
  const loads = [];
  for (let i = 0; i < 5; ++i) {
    const tab = await browser.context.newPage();
    const start = Date.now();
    await tab.goto(`file://${page}#s1`);
    await tab.waitForFunction(() => document.body.dataset.phase === 'search');
    loads.push(Date.now() - start);
    await tab.close();
  }
  const tab = await browser.context.newPage();
  await tab.goto(`file://${page}#s100`);
  await tab.waitForFunction(() => document.body.dataset.phase === 'search');
  const r = await tab.evaluate(async () => {
    const frame = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    const key = (k) => document.dispatchEvent(new KeyboardEvent('keydown', { key: k, bubbles: true }));
    const input = document.getElementById('search-goto'), last = Number(input.max);
    const out = { forward: [], back: [], jump: [], insertion: [], iterations: last };
    const measure = async (act, into) => {
      const start = performance.now();
      act();
      document.body.offsetHeight;
      into.push(performance.now() - start);
      await frame();
    };
    let seed = 7;
    for (let i = 0; i < 30; ++i) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      await measure(() => { input.value = 1 + (seed % last); input.dispatchEvent(new Event('change')); }, out.jump);
      for (let j = 0; j < 3; ++j) await measure(() => key('ArrowRight'), out.forward);
      await measure(() => key('ArrowLeft'), out.back);
    }
    location.hash = '#10';
    await frame();
    for (let i = 0; i < 20; ++i) await measure(() => key('ArrowRight'), out.insertion);
    return out;
  });
  await tab.close();
  console.log(`${name}: page ${fs.statSync(page).size} bytes, ${r.iterations} iterations on it; load to iteration 1 ${median(loads)} ms; ` +
    `iteration forward ${median(r.forward).toFixed(1)} ms, back ${median(r.back).toFixed(1)} ms, jump ${median(r.jump).toFixed(1)} ms; ` +
    `insertion step ${median(r.insertion).toFixed(1)} ms (work + layout)`);
}
await browser.close();

const coreFile = path.join(buildDir, 'web/jobshop-core.js');
if (fs.existsSync(coreFile)) {
  const calls = searchCalls(await createRequire(import.meta.url)(coreFile)());
  const ta01 = path.join(sourceDir, 'benchmarks/ta01.txt');
  calls.load(new Uint8Array(fs.readFileSync(ta01)));
  const web = [], native = [];
  for (let i = 0; i < 3; ++i) {
    let start = process.hrtime.bigint();
    calls.improve({ iterations: 20000, seed: '1' });
    web.push(Number(process.hrtime.bigint() - start) / 1e6);
    start = process.hrtime.bigint();
    spawnSync(path.join(buildDir, 'jobshop-improve'), [ta01, '--iterations', '20000', '--json', path.join(folder, 'd.json')], { stdio: 'ignore' });
    native.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  console.log(`ta01, 20000 iterations recorded: web core ${median(web).toFixed(0)} ms, jobshop-improve ${median(native).toFixed(0)} ms, ratio ${(median(web) / median(native)).toFixed(2)}`);
}
fs.rmSync(folder, { recursive: true, force: true });
