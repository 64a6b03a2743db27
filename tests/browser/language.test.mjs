// The page's language: Polish with number agreement by default and no
// English left in it; English by ?lang=en or the switch, which the browser
// remembers; <html lang> follows.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { makePage, openBrowser, runInstanceText, watchedPage } from './support.mjs';

let browser;
let ft06;
const folders = [];

before(async () => {
  ft06 = makePage('examples/ft06/input.txt', 'ft06', { trace: false });
  folders.push(ft06.folder);
  browser = await openBrowser();
});

after(async () => {
  await browser?.close();
  for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
});

const shown = (page, t) => page.waitForFunction((s) => document.body.dataset.step === String(s), t);

// The text a reader meets: visible text, tooltips and labels.
const readerText = (page) => page.evaluate(() => [document.title, document.body.innerText,
  ...[...document.querySelectorAll('[title], [aria-label]')].flatMap((el) => [el.title, el.getAttribute('aria-label') || ''])].join('\n'));

test('Polish subtitles agree with their numbers', async () => {
  // name, jobs, machines (every job on machines 1..machines), expected subtitle
  const cases = [
    ['jeden', 1, 1, '1 zadanie, 1 maszyna, 1 operacja, 1 krok.'],
    ['dwadziescia_dwa', 22, 1, '22 zadania, 1 maszyna, 22 operacje, 22 kroki.'],
    ['dwanascie', 12, 2, '12 zadań, 2 maszyny, 24 operacje, 24 kroki.'],
  ];
  const { page, errors } = await watchedPage(browser.context);
  for (const [name, jobs, machines, subtitle] of cases) {
    const job = Array.from({ length: machines }, (_, i) => `${i + 1} ${i + 2}`).join(' ');
    const run = runInstanceText(`${name}\n${jobs} ${machines}\n${Array(jobs).fill(job).join('\n')}\n`, name, { trace: false });
    folders.push(run.folder);
    await page.goto('file://' + run.page);
    await shown(page, 1);
    assert.match(await page.textContent('#subtitle'), new RegExp(`^${subtitle} Cmax = \\d+\\.$`), name);
  }
  await page.goto('file://' + ft06.page);
  await shown(page, 1);
  assert.match(await page.textContent('#subtitle'), /^6 zadań, 6 maszyn, 36 operacji, 36 kroków\. /);
  assert.deepEqual(errors, []);
});

test('the Polish page has no English left, the English one speaks English', async () => {
  const { page, requests, errors } = await watchedPage(browser.context);
  const english = /\b(step|steps|operations?|machines?|jobs?|copy|save|estimate|chosen|tie|fit|zoom|schedule|critical|slack|before|after|table|keys|first|last|back|forward)\b/i;
  for (const t of [1, 21]) {  // an empty machine, a tie
    await page.goto(`file://${ft06.page}#${t}`);
    await shown(page, t);
    assert.equal(await page.getAttribute('html', 'lang'), 'pl');
    const text = await readerText(page);
    assert.doesNotMatch(text, english, `step ${t}`);
  }
  assert.equal(await page.textContent('#copy-table'), 'Kopiuj tabelę');

  await page.goto(`file://${ft06.page}?lang=en#21`);
  await shown(page, 21);
  assert.equal(await page.getAttribute('html', 'lang'), 'en');
  assert.match(await page.textContent('#subtitle'), /^6 jobs, 6 machines, 36 operations, 36 steps\. Cmax = \d+\.$/);
  assert.match(await page.textContent('#op-title'), /^Step 21: operation \d+ \(job \d+, machine \d+, p = \d+\)$/);
  assert.equal(await page.textContent('#copy-table'), 'Copy table');
  assert.doesNotMatch(await readerText(page), /\b(krok|kroków|operacja|maszyna|zadanie|oszacowanie|wybrana|remis|Zapisz|Kopiuj)\b/);
  // The trace's own labels stay as the trace writes them.
  assert.equal(await page.textContent('#trace-table thead tr'), 'LpMpNOPONMPMRQ');
  assert.ok((await page.textContent('#table-part')).includes('Topologicznie:'));
  assert.ok(requests.every((url) => url.startsWith('file:')), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('the switch changes the language in place and the browser remembers it', async () => {
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ft06.page}#21`);
  await shown(page, 21);
  await page.selectOption('#language', 'en');
  assert.equal(await page.getAttribute('html', 'lang'), 'en');
  assert.match(await page.textContent('#op-title'), /^Step 21: /);
  assert.equal(await page.getAttribute('#back10', 'title'), '10 steps back (Page Up)');
  await page.waitForFunction(() => location.hash === '#21');
  await page.reload();
  await shown(page, 21);
  assert.equal(await page.getAttribute('html', 'lang'), 'en', 'remembered');
  // The address forces Polish over the remembered English.
  await page.goto(`file://${ft06.page}?lang=pl#3`);
  await shown(page, 3);
  assert.equal(await page.getAttribute('html', 'lang'), 'pl');
  assert.equal(await page.getAttribute('#back10', 'title'), '10 kroków wstecz (Page Up)');
  await page.selectOption('#language', 'pl');
  await page.goto(`file://${ft06.page}#3`);
  await shown(page, 3);
  assert.equal(await page.getAttribute('html', 'lang'), 'pl');
  assert.deepEqual(errors, []);
});

