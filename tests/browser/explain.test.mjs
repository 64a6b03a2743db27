// Explaining the numbers: the chosen candidate always in view.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { makePage, openBrowser, watchedPage } from './support.mjs';

let browser;
const folders = [];

before(async () => {
  browser = await openBrowser();
});

after(async () => {
  await browser?.close();
  for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
});

// Jumps to 100 steps of ta71 (machines of up to 100 operations) as typed
// numbers do, and checks in the first frame after each that the chosen row
// is drawn and lies between the table's header and the box's bottom.
test('ta71: the chosen candidate is in view in the frame after a jump', async () => {
  const ta71 = makePage('bench/instances/ta71.txt', 'ta71', { trace: false });
  folders.push(ta71.folder);
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(`file://${ta71.page}#1`);
  const missed = await page.evaluate(async () => {
    const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
    const input = document.getElementById('step-input');
    const box = document.getElementById('candidates-box');
    const missed = [];
    let seed = 3;
    for (let i = 0; i < 100; ++i) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      input.value = 1 + (seed % 2000);
      input.dispatchEvent(new Event('change'));
      await frame();
      if (box.classList.contains('invisible')) continue;
      const row = document.querySelector('#candidates tr.chosen');
      const top = document.querySelector('#candidates thead').getBoundingClientRect().bottom;
      const r = row?.getBoundingClientRect();
      if (!r || row.style.display === 'none' || r.top < top - 1 || r.bottom > box.getBoundingClientRect().bottom + 1) missed.push(input.value);
    }
    return missed;
  });
  assert.deepEqual(missed, []);
  assert.deepEqual(errors, []);
});
