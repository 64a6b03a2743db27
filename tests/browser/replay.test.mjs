// The replay page in a real browser: pages made by the built jobshop-replay,
// checked against traces written by the built jobshop-insert.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { hoverChart, makePage, openBrowser, readTrace, runInstanceText, stepOf, watchedPage } from './support.mjs';

let browser;
let ft06;
let trace;

before(async () => {
  ft06 = makePage('examples/ft06/input.txt', 'ft06');
  trace = readTrace(ft06.trace);
  browser = await openBrowser();
});

after(async () => {
  await browser?.close();
  fs.rmSync(ft06.folder, { recursive: true, force: true });
});

// What the page shows of the step's table: the topological order and the
// rows, read from the document as a person sees them: the panel scrolled
// into view (panels off the screen wait), each box scrolled from top to
// bottom (they hold only the rows in view and a margin).
function shownTable(page) {
  return page.evaluate(async () => {
    const frames = (n) => new Promise((r) => { const next = () => (n-- > 0 ? requestAnimationFrame(next) : r()); next(); });
    document.getElementById('table-panel').scrollIntoView();
    await frames(3);
    if (document.getElementById('table-part').classList.contains('hidden')) return null;
    // The texts of a box's rows in their order, by their places in the box.
    const read = async (box, selector, textOf) => {
      const rows = new Map();
      for (let top = 0; ; top += box.clientHeight) {
        box.scrollTop = top;
        await frames(2);
        const origin = box.getBoundingClientRect().top - box.scrollTop;
        for (const row of box.querySelectorAll(selector)) {
          if (row.classList.contains('spacer') || row.style.display === 'none' || !row.firstChild) continue;
          rows.set(Math.round(row.getBoundingClientRect().top - origin), textOf(row));
        }
        if (top + box.clientHeight >= box.scrollHeight) break;
      }
      box.scrollTop = 0;
      return [...rows.keys()].sort((a, b) => a - b).map((y) => rows.get(y));
    };
    const header = [...document.querySelectorAll('#trace-table thead th')].map((th) => th.textContent);
    const rows = await read(document.getElementById('table-box'), '#trace-table tbody tr',
      (tr) => [...tr.cells].map((td) => td.textContent).join('\t') + '\n');
    const lines = await read(document.getElementById('topo'), '#topo > div', (div) => div.textContent);
    return { topo: lines.join(' ').split(' ').map(Number), table: header.join('\t') + '\n' + rows.join('') };
  });
}

async function expectStepMatchesTrace(page, t) {
  assert.equal(await stepOf(page), t);
  assert.deepEqual(await shownTable(page), trace.steps[t - 1], `step ${t}`);
}

// Every step forward with the Right key and back with the Left key; the
// table and topological order of sampled steps (every step with a table on
// the way forward, every fifth on the way back) are the trace's.
test('ft06: every step forward and back, tables as in the trace', async () => {
  const { page, requests, errors } = await watchedPage(browser.context);
  await page.goto('file://' + ft06.page);
  const steps = trace.steps.length;
  await expectStepMatchesTrace(page, 1);
  for (let t = 2; t <= steps; ++t) {
    await page.keyboard.press('ArrowRight');
    await expectStepMatchesTrace(page, t);
  }
  await page.keyboard.press('ArrowRight');
  assert.equal(await stepOf(page), steps, 'the last step stays');
  for (let t = steps - 1; t >= 1; --t) {
    await page.keyboard.press('ArrowLeft');
    assert.equal(await stepOf(page), t);
    if (t % 5 === 0) await expectStepMatchesTrace(page, t);
  }
  const keys = [['PageDown', 11], ['PageDown', 21], ['PageUp', 11], ['End', steps], ['Home', 1]];
  for (const [key, t] of keys) {
    await page.keyboard.press(key);
    assert.equal(await stepOf(page), t, key);
  }
  assert.ok(requests.every((url) => url.startsWith('file:')), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('ft06: #N opens step N and the address follows the steps', async () => {
  const { page, requests, errors } = await watchedPage(browser.context);
  const withTable = trace.steps.findIndex((s, i) => s !== null && i >= 16) + 1;
  await page.goto(`file://${ft06.page}#${withTable}`);
  await expectStepMatchesTrace(page, withTable);
  assert.match(await page.textContent('#op-title'), new RegExp(`^Krok ${withTable}: `));
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction((t) => location.hash === `#${t}`, withTable + 1);
  await page.evaluate(() => { location.hash = '#5'; });
  await page.waitForFunction(() => document.body.dataset.step === '5');
  await expectStepMatchesTrace(page, 5);
  // A number past the end says so and the step stays, also typed there again.
  for (let i = 0; i < 2; ++i) {
    await page.fill('#step-input', '999');
    await page.press('#step-input', 'Enter');
    assert.equal(await stepOf(page), 5);
    assert.equal(await page.inputValue('#step-input'), '5');
    assert.match(await page.textContent('#nav-message'), /^Nie ma kroku 999/);
  }
  assert.ok(requests.every((url) => url.startsWith('file:')), requests.join(' '));
  assert.deepEqual(errors, []);
});

// The copy button puts the table on the clipboard exactly as the trace has
// it; the saved chart of the last step carries the trace's Cmax.
test('ft06: copied table, saved chart and final Cmax', async () => {
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const { page, requests, errors } = await watchedPage(browser.context);
  const t = trace.steps.findIndex((s) => s !== null) + 1;
  await page.goto(`file://${ft06.page}#${t}`);
  await page.click('#copy-table');
  await page.waitForFunction(() => document.getElementById('copy-status').textContent !== '');
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), trace.steps[t - 1].table);

  await page.keyboard.press('End');
  assert.match(await page.textContent('#subtitle'), new RegExp(`Cmax = ${trace.cmax}\\.`));
  const [svg] = await Promise.all([page.waitForEvent('download'), page.click('#save-svg')]);
  const svgText = fs.readFileSync(await svg.path(), 'utf8');
  assert.match(svgText, /^<svg xmlns="http:\/\/www.w3.org\/2000\/svg"/);
  assert.ok(svgText.includes(`Cmax = ${trace.cmax}<`), 'the chart marks the final Cmax');
  const [png] = await Promise.all([page.waitForEvent('download'), page.click('#save-png')]);
  assert.deepEqual([...fs.readFileSync(await png.path()).subarray(0, 4)], [0x89, 0x50, 0x4e, 0x47]);
  // Saving hands the browser a blob of the page's own; nothing else is asked for.
  assert.ok(requests.every((url) => url.startsWith('file:') || url.startsWith('blob:file')), requests.join(' '));
  assert.deepEqual(errors, []);
});

// The pointer over the chart tells each operation and fades the other jobs;
// nothing a run left behind answers it.
test('ft06: the mouse over the chart shows operations, without a page error', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ft06.page}#21`);
  const tips = await hoverChart(page);
  assert.ok(tips.length >= 10, `${tips.length} operations told`);
  for (const tip of tips) assert.match(tip, /^Operacja \d+/);
  assert.deepEqual(errors, []);
});

// One job on many machines: the page's size grows with the machines, and so
// must the time to show the first step, not with their square (40,000
// machines took 28 s, 100,000 showed nothing after minutes). Timed in the
// page, from its start to the first step shown.
test('one job on 5,000 and 40,000 machines: the first step in time linear in the machines', async () => {
  const ms = {};
  for (const machines of [5000, 40000]) {
    const pairs = Array.from({ length: machines }, (_, i) => `${i + 1} 1`).join(' ');
    const run = runInstanceText(`jeden\n1 ${machines}\n${pairs}\n`, 'jeden', { trace: false });
    try {
      const { page, errors } = await watchedPage(browser.context);
      await page.addInitScript(() => {
        new MutationObserver((_, observer) => {
          if (document.body?.dataset.step !== '1') return;
          window.firstStepMs = performance.now();
          observer.disconnect();
        }).observe(document, { subtree: true, childList: true, attributes: true, attributeFilter: ['data-step'] });
      });
      await page.goto(`file://${run.page}`);
      await page.waitForFunction(() => window.firstStepMs > 0, null, { timeout: 120000 });
      ms[machines] = await page.evaluate(() => window.firstStepMs);
      assert.equal(await page.$$eval('#gantt-text tbody tr', (rows) => rows.length), machines);
      assert.deepEqual(errors, []);
      await page.close();
    } finally {
      fs.rmSync(run.folder, { recursive: true, force: true });
    }
  }
  // Eight times the machines: at most eight times the time (the page's own
  // start counts in both); their square would be sixty-four.
  assert.ok(ms[40000] < 8 * ms[5000], JSON.stringify(ms));
});

test('ta71 (100 x 20): the page loads and steps', async () => {
  const ta71 = makePage('bench/instances/ta71.txt', 'ta71', { trace: false });
  try {
    const { page, requests, errors } = await watchedPage(browser.context);
    await page.goto(`file://${ta71.page}#1000`);
    assert.equal(await stepOf(page), 1000);
    for (const [key, t] of [['ArrowRight', 1001], ['PageDown', 1011], ['End', 2000], ['ArrowLeft', 1999], ['Home', 1]]) {
      await page.keyboard.press(key);
      assert.equal(await stepOf(page), t, key);
    }
    assert.match(await page.textContent('#op-title'), /^Krok 1: operacja \d+/);
    // The table holds only the rows in view: scrolled to the end, the last
    // rows are there and in view.
    await page.keyboard.press('End');
    const last = await page.evaluate(async () => {
      document.getElementById('table-panel').scrollIntoView();
      const box = document.getElementById('table-box');
      box.scrollTop = box.scrollHeight;
      await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
      const bottom = box.getBoundingClientRect().bottom;
      const rows = [...document.querySelectorAll('#trace-table tbody tr')]
        .filter((tr) => !tr.classList.contains('spacer') && tr.style.display !== 'none')
        .filter((tr) => tr.getBoundingClientRect().top < bottom);
      return rows.map((tr) => Number(tr.cells[0].textContent)).pop();
    });
    assert.equal(last, 2000);
    assert.ok(requests.every((url) => url.startsWith('file:')), requests.join(' '));
    assert.deepEqual(errors, []);
  } finally {
    fs.rmSync(ta71.folder, { recursive: true, force: true });
  }
});
