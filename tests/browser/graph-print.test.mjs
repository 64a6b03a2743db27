// The graph, printing and the worksheet in Debian's chromium: the graph's
// contract for scripts through every step, A4 PDFs printed by the browser
// (read back with pdftotext), a worksheet and its answer key.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { makePage, openBrowser, readTrace, runInstanceText, stepOf, watchedPage } from './support.mjs';

// A4 less the page's margins of 12 mm, in CSS pixels.
const PRINT_WIDTH = Math.floor(((210 - 2 * 12) / 25.4) * 96);
let browser, ft06, trace, data;
const folders = [];

before(async () => {
  ft06 = makePage('examples/ft06/input.txt', 'ft06');
  folders.push(ft06.folder);
  trace = readTrace(ft06.trace);
  data = JSON.parse(fs.readFileSync(ft06.data, 'utf8'));
  browser = await openBrowser();
});

after(async () => {
  await browser?.close();
  for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
});

const shown = (page, t) => page.waitForFunction((s) => document.body.dataset.step === String(s), t);

// The machine arcs after step t, from the steps' positions in the data.
function machineArcsAfter(t) {
  const rows = Array.from({ length: data.machines + 1 }, () => []);
  for (const s of data.steps.slice(0, t)) rows[s.machine].splice(s.position - 1, 0, s.op);
  return rows.flatMap((r) => r.slice(1).map((k, i) => r[i] + '-' + k)).sort();
}

// What the graph shows, read through its documented attributes.
const graphOf = (page) => page.evaluate(() => {
  const svg = document.querySelector('svg[data-view="graph"]');
  const attr = (sel, name) => [...svg.querySelectorAll(sel)].map((e) => e.getAttribute(name));
  return {
    ops: attr('[data-op]', 'data-op').map(Number),
    arcs: attr('[data-arc]', 'data-arc'),
    machine: attr('[data-arc][data-kind="machine"]', 'data-arc'),
    critical: attr('[data-arc][data-critical]', 'data-arc'),
    added: attr('[data-arc][data-added]', 'data-arc'),
    removed: [...svg.querySelectorAll('[data-removed]')].map((e) => [e.getAttribute('data-removed'), e.hasAttribute('data-arc')]),
  };
});

function expectGraph(g, t, before) {
  const N = data.operations.length, p = (k) => data.operations[k - 1][1];
  assert.deepEqual([...g.ops].sort((a, b) => a - b), Array.from({ length: N }, (_, i) => i + 1), `operations at step ${t}`);
  assert.equal(new Set(g.arcs).size, g.arcs.length, `an arc twice at step ${t}`);
  const machine = machineArcsAfter(t);
  assert.deepEqual([...g.machine].sort(), machine, `machine arcs at step ${t}`);
  assert.equal(g.arcs.length, machine.length + data.jobs * (data.machines + 1));
  // The critical arcs chain from the source to the sink.
  const next = new Map(g.critical.map((a) => a.split('-').map(Number)));
  const path = [];
  for (let k = next.get(0); k !== 0 && path.length <= N; k = next.get(k)) path.push(k);
  assert.equal(path.length + 1, g.critical.length, `critical arcs at step ${t} are one path`);
  if (t === data.steps.length) assert.equal(path.reduce((s, k) => s + p(k), 0), trace.cmax);
  if (before) {
    assert.deepEqual([...g.added].sort(), machine.filter((a) => !before.includes(a)), `added at step ${t}`);
    const gone = before.filter((a) => !machine.includes(a));
    assert.deepEqual(g.removed, gone.map((a) => [a, false]), `replaced at step ${t}`);
  }
}

test('the graph keeps its contract through every ft06 step and jumps', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ft06.page}#1`);
  await shown(page, 1);
  // A panel off the screen waits for the step until it comes near.
  await page.evaluate(() => document.getElementById('graph-panel').scrollIntoView());
  await page.waitForFunction(() => document.querySelector('svg[data-view="graph"] [data-op]') !== null);
  for (let t = 1; t <= data.steps.length; ++t) {
    if (t > 1) await page.keyboard.press('ArrowRight');
    assert.equal(await stepOf(page), t);
    expectGraph(await graphOf(page), t, t > 1 ? machineArcsAfter(t - 1) : []);
  }
  // Jumps reuse the elements of other steps: nothing of them may linger.
  for (const key of ['Home', 'End', 'PageUp', 'Home']) {
    await page.keyboard.press(key);
    const t = await stepOf(page);
    expectGraph(await graphOf(page), t, t > 1 ? machineArcsAfter(t - 1) : []);
  }

  // Practice mode's flag hides R and Q, in the page and in the saved file.
  const visibleRQ = () => page.$$eval('svg[data-view="graph"] .rq', (els) => els.filter((e) => e.getBoundingClientRect().width > 0).length);
  assert.equal(await visibleRQ(), data.operations.length);
  await page.evaluate(() => document.body.classList.add('answers-hidden'));
  assert.equal(await visibleRQ(), 0);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#graph-save')]);
  const svg = fs.readFileSync(await download.path(), 'utf8');
  assert.match(download.suggestedFilename(), /^ft06_graf_krok_1\.svg$/);
  assert.match(svg, /^<svg xmlns="http:\/\/www\.w3\.org\/2000\/svg"[^>]* data-view="graph"/);
  assert.equal(svg.match(/ data-arc="/g).length, (await graphOf(page)).arcs.length);
  assert.doesNotMatch(svg, /class="rq"/);
  await page.evaluate(() => document.body.classList.remove('answers-hidden'));
  assert.deepEqual(errors, []);
});

test('an instance of more than 15 jobs gets a note instead of the graph and the worksheet', async () => {
  const run = runInstanceText(`szesnascie\n16 1\n${'1 2\n'.repeat(16)}`, 'szesnascie', { trace: false });
  folders.push(run.folder);
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${run.page}#3`);
  await shown(page, 3);
  assert.equal(await page.$('svg[data-view="graph"]'), null);
  assert.equal(await page.textContent('#graph-note'), 'Graf jest rysowany dla instancji do 15 zadań i 15 maszyn (ta: 16 zadań, 1 maszyna).');
  assert.ok(await page.isHidden('#sheet-tools'));
  assert.deepEqual(errors, []);
});

// The pages' texts of a PDF.
function pdfPages(buffer) {
  const file = path.join(ft06.folder, 'printed.pdf');
  fs.writeFileSync(file, buffer);
  return execFileSync('pdftotext', ['-layout', file, '-'], { encoding: 'utf8' }).split('\f').slice(0, -1);
}

// The page laid out for print at the printable width: elements wider than
// it, and controls that would be printed.
async function printLayout(page) {
  await page.setViewportSize({ width: PRINT_WIDTH, height: 1000 });
  await page.emulateMedia({ media: 'print' });
  const found = await page.evaluate(() => {
    const width = document.documentElement.clientWidth, wide = [], controls = [];
    for (const el of document.body.querySelectorAll('*')) {
      const r = el.getBoundingClientRect();
      if (r.width === 0 && r.height === 0) continue;
      const name = el.id || el.tagName.toLowerCase();
      if (r.left < -0.5 || r.right > width + 0.5) wide.push(name + ' ' + Math.round(r.left) + '..' + Math.round(r.right));
      if (el.matches('button, input, select, textarea')) controls.push(name);
    }
    return { wide: [...new Set(wide)], controls, overflow: document.documentElement.scrollWidth - width };
  });
  await page.emulateMedia({ media: null });
  await page.setViewportSize({ width: 1280, height: 900 });
  return found;
}

const CONTROL_TEXTS = ['Dopasuj', 'Zapisz', 'Kopiuj', 'Pełny rozmiar', 'Klucz odpowiedzi', 'Drukuj', 'Wróć do kroków', 'Język', 'Klawisze'];

// Printed pages: no control's text, no heading as the last line of a page.
async function expectPrinted(page, pages) {
  const headings = await page.$$eval('h1, h2, h3', (hs) => hs.map((h) => h.textContent.trim()).filter((s) => s));
  pages.forEach((text, i) => {
    for (const control of CONTROL_TEXTS) assert.ok(!text.includes(control), `"${control}" printed on page ${i + 1}`);
    const lines = text.split('\n').map((l) => l.trim()).filter((l) => l);
    if (i < pages.length - 1) assert.ok(!headings.includes(lines.at(-1)), `heading "${lines.at(-1)}" alone at the foot of page ${i + 1}`);
  });
}

// The rows of a trace table as pdftotext lays them out.
const rowPattern = (line) => new RegExp('^\\s*' + line.trim().split('\t').join('\\s+') + '\\s*$', 'm');

// ta01 (15 x 15): the biggest graph drawn, and a table of 225 rows of which
// the screen holds some 40.
test('ta01 prints on A4: whole tables, chart and graph within the page, no controls', async () => {
  const ta01 = makePage('benchmarks/ta01.txt', 'ta01');
  folders.push(ta01.folder);
  const steps = readTrace(ta01.trace).steps, t = 100;
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ta01.page}#${t}`);
  await shown(page, t);
  const layout = await printLayout(page);
  assert.deepEqual(layout, { wide: [], controls: [], overflow: 0 });
  const pages = pdfPages(await page.pdf({ format: 'A4' }));
  const all = pages.join('\n');
  // Every row of the step's table, though the screen holds only those in view.
  for (const line of steps[t - 1].table.split('\n').slice(1, -1)) assert.match(all, rowPattern(line));
  for (const heading of ['Harmonogram po kroku', 'Graf harmonogramu po kroku', 'Kolejki maszyn po kroku']) assert.ok(all.includes(heading), heading);
  await expectPrinted(page, pages);
  // After printing, the tables hold only the rows in view again.
  const rows = await page.$$eval('#trace-table tbody tr:not(.spacer)', (trs) => trs.filter((tr) => tr.style.display !== 'none').length);
  assert.ok(rows < 100, `${rows} rows`);
  assert.deepEqual(errors, []);
});

test('Arkusz and its answer key print the chosen steps', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ft06.page}#21`);
  await shown(page, 21);
  // A range too long is refused with a reason.
  await page.fill('#sheet-to', '36');
  await page.click('#sheet-make');
  assert.equal(await page.textContent('#sheet-message'), 'Arkusz obejmuje najwyżej 10 kroków.');
  assert.ok(await page.isHidden('#sheet-view'));

  await page.fill('#sheet-to', '23');
  await page.click('#sheet-make');
  assert.ok(await page.isVisible('#sheet-view'));
  assert.ok(await page.isHidden('#main'));
  const sheetLayout = await printLayout(page);
  assert.deepEqual(sheetLayout, { wide: [], controls: [], overflow: 0 });
  const sheet = pdfPages(await page.pdf({ format: 'A4' }));
  const sheetText = sheet.join('\n');
  assert.ok(sheetText.includes('Arkusz ćwiczeń: ft06, kroki 21–23'));
  assert.ok(sheetText.includes('Imię i nazwisko:'));
  for (const t of [21, 22, 23]) assert.match(sheetText, new RegExp(`Krok ${t}: wstaw operację \\d+ \\(zadanie \\d, maszyna \\d, p = \\d+\\)`));
  // Blank: no row of the step's table is there whole.
  assert.doesNotMatch(sheetText, rowPattern(trace.steps[20].table.split('\n')[5]));
  await expectPrinted(page, sheet);

  await page.click('#sheet-close');
  assert.ok(await page.isVisible('#main'));
  await page.click('#sheet-key');
  const key = pdfPages(await page.pdf({ format: 'A4' })).join('\n');
  assert.ok(key.includes('Klucz odpowiedzi: ft06, kroki 21–23'));
  for (const t of [21, 22, 23]) {
    for (const line of trace.steps[t - 1].table.split('\n').slice(1, -1)) assert.match(key, rowPattern(line), `step ${t}`);
  }
  assert.deepEqual(errors, []);
});
