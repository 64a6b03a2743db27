// The page by keyboard, by screen reader, on a phone and with the largest
// times: scroll boxes take
// the focus and keep their scroll keys while Left/Right still step; the
// chart has a text twin that follows every step; only the headline is
// live; on a 390 px phone the estimate and the chosen mark stay in view;
// times of 2^31 - 1 give a fitted chart and tables that cut no number off.
// Also: a panel that was off the screen shows the current step when it
// comes into view (the page leaves such panels alone while stepping).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { makePage, openBrowser, runInstanceText, stepOf, watchedPage } from './support.mjs';

let browser;
let ta71;

before(async () => {
  ta71 = makePage('bench/instances/ta71.txt', 'ta71', { trace: false });
  browser = await openBrowser();
});

after(async () => {
  await browser?.close();
  fs.rmSync(ta71.folder, { recursive: true, force: true });
});

const frames = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(r, 0)))));
// A box's scroll once it has come to rest (keys scroll smoothly).
const scrollOf = (page, id) => page.evaluate(async (id) => {
  const box = document.getElementById(id), frame = () => new Promise((r) => requestAnimationFrame(r));
  for (let last = '', still = 0; still < 3; await frame()) {
    const now = box.scrollTop + ' ' + box.scrollLeft;
    still = now === last ? still + 1 : 0;
    last = now;
  }
  return { top: box.scrollTop, left: box.scrollLeft, bottom: box.scrollHeight - box.clientHeight };
}, id);

test('scroll boxes take the focus and scroll by keys, Left/Right still step', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ta71.page}#500`);
  const boxes = await page.evaluate(() => [...document.querySelectorAll('.scroll-box')].map((box) => ({
    id: box.id, tabIndex: box.tabIndex, role: box.getAttribute('role'), name: box.getAttribute('aria-label'),
  })));
  assert.deepEqual(boxes.map((b) => b.id).sort(), ['candidates-box', 'changes-box', 'gantt-scroll', 'order-box', 'perm', 'table-box', 'topo']);
  for (const box of boxes) assert.ok(box.tabIndex === 0 && box.role === 'region' && box.name, JSON.stringify(box));
  // Tab reaches them in the page's order.
  await page.focus('#step-input');
  const reached = [];
  for (let i = 0; i < 30 && reached.length < boxes.length; ++i) {
    await page.keyboard.press('Tab');
    const id = await page.evaluate(() => (document.activeElement.classList.contains('scroll-box') ? document.activeElement.id : ''));
    if (id) reached.push(id);
  }
  assert.deepEqual(reached, ['candidates-box', 'order-box', 'changes-box', 'gantt-scroll', 'topo', 'table-box', 'perm']);

  // A box that scrolls up and down keeps Page Up/Down and Home/End.
  await page.focus('#table-box');
  await frames(page);
  for (const [key, where] of [['PageDown', 'down'], ['End', 'bottom'], ['Home', 'top']]) {
    await page.keyboard.press(key);
    await frames(page);
    const { top, bottom } = await scrollOf(page, 'table-box');
    assert.ok(where === 'top' ? top === 0 : where === 'bottom' ? top === bottom : top > 0, `${key}: ${top} of ${bottom}`);
    assert.equal(await stepOf(page), 500, key);
  }
  await page.keyboard.press('ArrowRight');
  assert.equal(await stepOf(page), 501);

  // The chart's box scrolls sideways only: Shift+Right scrolls it, Page Down
  // steps.
  await page.click('#zoom-in');
  await page.click('#zoom-in');
  await page.focus('#gantt-scroll');
  await page.keyboard.press('Shift+ArrowRight');
  assert.ok((await scrollOf(page, 'gantt-scroll')).left > 0);
  assert.equal(await stepOf(page), 501);
  await page.keyboard.press('PageDown');
  assert.equal(await stepOf(page), 511);
  assert.deepEqual(errors, []);
});

// The starts of the operations a machine runs, as the chart's text twin
// says them, and the machine sequences the page lists.
const chartAsText = (page) => page.evaluate(() => [...document.querySelectorAll('#gantt-text tbody tr')].map((tr) => tr.cells[1].textContent));
const sequences = (page) => page.evaluate(() => [...document.querySelectorAll('#perm > div')].map((line) => line.textContent.split('\t').slice(1).filter((k) => k !== '0')));

test('the chart as text follows every step; only the headline is live', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ta71.page}#1990`);
  const live = await page.evaluate(() => [...document.querySelectorAll('[aria-live]')].map((el) => el.id));
  assert.deepEqual(live, ['op-title']);
  for (let t = 1991; t <= 2000; ++t) {
    await page.keyboard.press('ArrowRight');
    assert.match(await page.textContent('#op-title'), new RegExp(`^Krok ${t}: `));
  }
  // After the last step: every machine's row names its sequence in order,
  // each operation's end is its start plus p... and the latest end is Cmax.
  const rows = await chartAsText(page);
  await page.evaluate(() => document.getElementById('table-panel').scrollIntoView());
  await frames(page);
  const seqs = await sequences(page);
  assert.equal(rows.length, 20);
  let latest = -Infinity;
  rows.forEach((row, i) => {
    const ops = row.split(', ').map((entry) => /^(\d+): (-?\d+)\u2013(-?\d+)$/.exec(entry));
    assert.ok(ops.every((m) => m), row);
    assert.deepEqual(ops.map((m) => m[1]), seqs[i], `M${i + 1}`);
    for (const m of ops) latest = Math.max(latest, Number(m[3]));
  });
  assert.match(await page.textContent('#subtitle'), new RegExp(`Cmax = ${latest}\\.$`));
  // With the chart off the screen, its text twin still follows the steps.
  await page.keyboard.press('Home');
  const first = await chartAsText(page);
  assert.equal(first.filter((row) => row !== '').length, 1, first.join(' | '));
  assert.deepEqual(errors, []);
});

test('a panel that comes into view or gets the focus shows the current step', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ta71.page}#700`);
  const opShown = async () => /operacja (\d+)/.exec(await page.textContent('#op-title'))[1];
  for (let i = 0; i < 3; ++i) await page.keyboard.press('ArrowRight');
  const op = await opShown();
  await page.evaluate(() => document.getElementById('table-panel').scrollIntoView());
  await frames(page);
  assert.match(await page.textContent('#table-note'), new RegExp(`operacji ${op}:`));
  // Focused at once, before any frame: the note is current all the same.
  await page.evaluate(() => window.scrollTo(0, 0));
  await frames(page);
  await page.keyboard.press('ArrowRight');
  const next = await opShown();
  assert.match(await page.evaluate(() => {
    document.getElementById('copy-table').focus({ preventScroll: true });
    return document.getElementById('table-note').textContent;
  }), new RegExp(`operacji ${next}:`));
  assert.deepEqual(errors, []);
});

test('on a 390 px phone the estimate and the chosen mark are in view', async () => {
  const { page, errors } = await watchedPage(browser.context);
  const cdp = await browser.context.newCDPSession(page);
  await cdp.send('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 3, mobile: true });
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true });
  await page.goto(`file://${ta71.page}#500`);
  await frames(page);
  for (const scrolled of [false, true]) {
    const r = await page.evaluate((scrolled) => {
      const box = document.getElementById('candidates-box');
      if (scrolled) box.scrollLeft = box.scrollWidth;
      const rect = (el) => el.getBoundingClientRect();
      const chosen = document.querySelector('#candidates tr.chosen');
      const cells = [...document.querySelectorAll('#candidates thead th')].slice(6).concat([...chosen.cells].slice(6));
      const inner = rect(box);
      return {
        pageWidth: document.scrollingElement.scrollWidth, boxScrolls: box.scrollWidth > box.clientWidth,
        outside: cells.filter((c) => rect(c).left < inner.left - 1 || rect(c).right > Math.min(inner.right, innerWidth) + 1).map((c) => c.textContent),
        mark: chosen.cells[7].textContent,
      };
    }, scrolled);
    assert.equal(r.pageWidth, 390);
    assert.ok(r.boxScrolls, 'the table is wider than the phone');
    assert.deepEqual(r.outside, [], `cells out of view${scrolled ? ' (scrolled)' : ''}`);
    assert.match(r.mark, /^wybrana/);
    await frames(page);
  }
  assert.deepEqual(errors, []);
});

test('times of 2^31 - 1: a fitted chart, no number cut off', async () => {
  const p = 2 ** 31 - 1, jobs = [[1, 2, 3], [2, 3, 1], [3, 1, 2], [1, 3, 2]];
  const run = runInstanceText(`huge\n4 3\n${jobs.map((ms) => ms.map((m) => `${m} ${p}`).join(' ')).join('\n')}\n`, 'huge', { trace: false });
  try {
    const { page, errors } = await watchedPage(browser.context);
    await page.goto(`file://${run.page}#6`);
    await page.evaluate(() => document.getElementById('table-panel').scrollIntoView({ block: 'end' }));
    for (const key of ['ArrowRight', 'End']) {
      await page.keyboard.press(key);
      await frames(page);
      const r = await page.evaluate(() => ({
        cut: [...document.querySelectorAll('.windowed td')].filter((td) => td.cellIndex !== 7 && td.scrollWidth > td.clientWidth).map((td) => td.textContent),
        chart: document.getElementById('gantt').getBoundingClientRect().width, room: document.getElementById('gantt-scroll').clientWidth,
      }));
      assert.deepEqual(r.cut, [], key);
      assert.ok(r.chart <= r.room, `${key}: the chart is ${r.chart} px in ${r.room}`);
    }
    assert.deepEqual(errors, []);
  } finally {
    fs.rmSync(run.folder, { recursive: true, force: true });
  }
});
