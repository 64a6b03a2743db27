// The web edition (build/jobshop-web.html) reading the formats
// jobshop-convert reads: an instance pasted in OR-Library's published form
// runs converted, in the page's language, and so do the refusals.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { buildDir, openBrowser, sourceDir, watchedPage } from './support.mjs';

const webPage = path.join(buildDir, 'jobshop-web.html');
const skip = fs.existsSync(webPage) ? false : 'the web edition is not built (no emscripten)';
let browser;

before(async () => {
  if (!skip) browser = await openBrowser();
});

after(async () => {
  await browser?.close();
});

const read = (file) => fs.readFileSync(path.join(sourceDir, file));
const settled = (page) => page.waitForFunction(() => ['ready', 'error'].includes(document.body.dataset.state));

async function downloaded(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(await download.path()) };
}

test('ft06 pasted in OR-Library\'s published form on the English page: converted, run and told in English', { skip }, async () => {
  const { page, requests, errors } = await watchedPage(browser.context);
  await page.goto(`file://${webPage}?lang=en`);
  await page.waitForFunction(() => document.body.dataset.state === 'idle');
  // OR-Library's jobshop1.txt layout: free text, then ft06, la01 and abz5.
  await page.fill('#instance-text', read('tests/data/orlib/jobshop-sample.txt').toString());
  await page.click('#run');
  await settled(page);
  assert.equal(await page.textContent('#reading-said'), 'Read OR-Library\'s format (standard) — converted to the program\'s format.');
  assert.equal(await page.textContent('#reading-count'), 'Instances in the file: 3; shown: ft06.');
  assert.equal(await page.textContent('#run-status'), 'Done: ft06.');
  assert.ok((await downloaded(page, '#download-trace')).bytes.equals(read('tests/golden/ft06.trace')));
  const instance = await downloaded(page, '#download-instance');
  assert.deepEqual([instance.name, instance.bytes.toString()], ['input.txt', read('benchmarks/ft06.txt').toString()]);

  // Another instance of the file, then its program text in place of the file's.
  await page.selectOption('#reading-instance', { index: 1 });
  await page.waitForFunction(() => document.getElementById('run-status').textContent === 'Done: la01.');
  await page.click('#reading-replace');
  assert.equal(await page.inputValue('#instance-text'), read('benchmarks/la01.txt').toString());
  assert.ok(await page.isHidden('#reading-notice'));
  assert.equal(await page.textContent('#run-status'), 'Done: la01.');

  // Refusals in the page's language: the tools' English, the program's own
  // Polish; another format's in both, its line marked.
  await page.fill('#instance-text', 'dwa\n2 2\n1 3 2 4\n2 2 9 5\n');
  await page.click('#run');
  await settled(page);
  assert.equal(await page.textContent('#input-message'), 'input.txt:4: machine 9 is out of range 1..2 (the machine of operation 4 (job 2))');
  await page.selectOption('#language', 'pl');
  assert.equal(await page.textContent('#input-message'), 'Wiersz 4: Blad w pliku input.txt: maszyna 9 spoza zakresu 1..2: maszyna operacji 4 (zadanie 2).');
  await page.fill('#instance-text', '2 2\nTimes\n1 2\n3 4\nMachines\n1 2\n');
  await page.click('#run');
  await settled(page);
  assert.equal(await page.textContent('#input-message'), 'input.txt:6: instancja urywa się: wierszy sekcji Machines jest 1, a ma być 2 (plik ucięty?)');
  assert.deepEqual(await page.evaluate(() => {
    const t = document.getElementById('instance-text');
    return [t.selectionStart, t.selectionEnd];
  }), [27, 30], 'line 6 is marked');
  await page.selectOption('#language', 'en');
  assert.equal(await page.textContent('#input-message'), 'input.txt:6: the instance ends after 1 of its 2 rows of Machines (file truncated?)');
  assert.ok(requests.every((url) => /^(file|data|blob):/.test(url)), requests.join(' '));
  assert.deepEqual(errors, []);
});
