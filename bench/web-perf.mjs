// The web edition (build/jobshop-web.html) on ta71 (or the instance given),
// in headless Chromium: the page's size, the time from Run to the first
// step shown, and the whole trace generated and saved as a download against
// jobshop-insert writing it, side by side.
//   node bench/web-perf.mjs [instance]     (bench/web-perf.sh sets it up)
// Runs take turns, native, web and Chromium's floor (a ready Blob of the
// same size saved), each first as often; the file system is synced
// (untimed) before every timed run that writes a file, and the trace of the
// run before is removed first, so each writes a new file.
import { spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { buildDir, openBrowser, scratchFolder, sourceDir } from '../tests/browser/support.mjs';

const instance = path.resolve(process.argv[2] || path.join(sourceDir, 'bench/instances/ta71.txt'));
const text = fs.readFileSync(instance, 'utf8');
const name = text.split(/\s+/)[0];
const webPage = path.join(buildDir, 'jobshop-web.html');
const ROUNDS = 9;
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const load = () => os.loadavg().map((x) => x.toFixed(2)).join(' ');
const sha256 = (file) => crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex');

console.log(`instance: ${path.relative(process.cwd(), instance)}; machine: ${os.cpus().length} cores, load ${load()}`);

// Size: the whole page, and without its bundled instances' data element.
const html = fs.readFileSync(webPage, 'latin1');
const bundle = /<script type="application\/json" id="bundled-instances">[^]*?<\/script>/.exec(html)[0];
console.log(`page: ${html.length} bytes; without the bundled instances ${html.length - bundle.length} bytes ` +
  `(the bundle: ${bundle.length} bytes)`);

const folder = scratchFolder();
fs.writeFileSync(path.join(folder, 'input.txt'), text);
const nativeTrace = path.join(folder, `${name}_krok_po_kroku.txt`);
// gc() lets the benchmark free each round's Blobs (two of the trace's size)
// before the next: Chromium refuses new Blobs past its limit otherwise.
const browser = await openBrowser(['--js-flags=--expose-gc']);
// A failed run leaves neither the browser's profile nor 166 MB traces behind.
process.on('exit', () => fs.rmSync(folder, { recursive: true, force: true }));
process.on('uncaughtException', async (e) => {
  console.error(e);
  await browser.close();
  process.exit(1);
});
const tab = await browser.context.newPage();

// A fresh page with the instance typed in, its core ready, and a button of
// the benchmark's own that has Chromium save a ready Blob of `size` zero
// bytes: the floor of any download of that size.
async function freshPage(size) {
  await tab.evaluate(() => globalThis.gc && globalThis.gc());
  await tab.goto('file://' + webPage);
  await tab.evaluate(() => gc());
  await tab.waitForFunction(() => document.body.dataset.state === 'idle');
  await tab.fill('#instance-text', text);
  await tab.evaluate((size) => {
    const ready = new Blob([new Uint8Array(size)]);
    const button = document.createElement('button');
    button.id = 'bench-floor';
    button.textContent = 'floor';
    button.onclick = () => {
      const a = document.createElement('a');
      a.href = URL.createObjectURL(ready);
      a.download = 'floor.txt';
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    };
    document.querySelector('header').append(button);
  }, size);
}

// From the click on Run to the first frame drawn once the replay is shown.
async function runToFirstStep() {
  return tab.evaluate(() => new Promise((resolve) => {
    const start = performance.now();
    new MutationObserver((changes, observer) => {
      if (document.body.dataset.state !== 'ready') return;
      observer.disconnect();
      requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - start), 0));
    }).observe(document.body, { attributes: true, attributeFilter: ['data-state'] });
    document.getElementById('run').click();
  }));
}

// The trace's size, from one native run first.
spawnSync('setsid', ['-w', path.join(buildDir, 'jobshop-insert')], { cwd: folder, stdio: 'ignore' });
const traceBytes = fs.statSync(nativeTrace).size;

// Saves a download of `button`; the time from the click until it is whole.
async function timedDownload(button) {
  spawnSync('sync');
  const start = process.hrtime.bigint();
  const [download] = await Promise.all([tab.waitForEvent('download'), tab.click(button)]);
  const file = await download.path(); // resolves once the file is saved whole
  return { ms: Number(process.hrtime.bigint() - start) / 1e6, file };
}

const figures = { first: [], web: [], native: [], made: [], floor: [] };
const sides = ['native', 'web', 'floor'];
let downloaded = null;
for (let round = 0; round < ROUNDS; ++round) {
  await freshPage(traceBytes);
  figures.first.push(await runToFirstStep());
  for (let k = 0; k < sides.length; ++k) {
    const side = sides[(round + k) % sides.length];
    if (side === 'floor') {
      const { ms, file } = await timedDownload('#bench-floor');
      figures.floor.push(ms);
      fs.rmSync(file, { force: true });
    } else if (side === 'native') {
      fs.rmSync(nativeTrace, { force: true });
      spawnSync('sync');
      const start = process.hrtime.bigint();
      const r = spawnSync('setsid', ['-w', path.join(buildDir, 'jobshop-insert')], { cwd: folder, stdio: 'ignore' });
      figures.native.push(Number(process.hrtime.bigint() - start) / 1e6);
      if (r.status !== 0) throw new Error('jobshop-insert failed');
    } else {
      if (downloaded) fs.rmSync(downloaded, { force: true });
      const { ms, file } = await timedDownload('#download-trace');
      downloaded = file;
      figures.web.push(ms);
      figures.made.push(await tab.evaluate(() => {
        const made = performance.measure('made', 'trace-start', 'trace-made').duration;
        performance.clearMarks();
        return made;
      }));
    }
  }
}
if (sha256(downloaded) !== sha256(nativeTrace)) throw new Error('the downloaded trace differs from jobshop-insert\'s');
fs.rmSync(downloaded, { force: true });
await browser.close();

const ms = (x) => `${x.toFixed(0)} ms`;
console.log(`Run to the first step shown (median of ${ROUNDS}): ${ms(median(figures.first))} ` +
  `(from ${ms(Math.min(...figures.first))} to ${ms(Math.max(...figures.first))})`);
console.log(`whole trace (${traceBytes} bytes), medians of ${ROUNDS}: jobshop-insert ${ms(median(figures.native))}, ` +
  `web edition generated and saved as a download ${ms(median(figures.web))}, ratio ${(median(figures.web) / median(figures.native)).toFixed(2)}`);
console.log(`  of which the page's own work (the trace from the core, as Blob parts): median ${ms(median(figures.made))}; ` +
  `the rest is Chromium saving the Blob as a file`);
console.log(`Chromium saving a ready Blob of the same size (the floor of any download): median ${ms(median(figures.floor))}, ` +
  `ratio to jobshop-insert ${(median(figures.floor) / median(figures.native)).toFixed(2)}`);
const ratios = figures.web.map((w, i) => w / figures.native[i]);
console.log(`  paired ratios: median ${median(ratios).toFixed(2)}, from ${Math.min(...ratios).toFixed(2)} to ${Math.max(...ratios).toFixed(2)}`);
console.log(`load at the end: ${load()}`);
