// The page's modules as another page uses them (the web edition): loaded as
// ES modules, started from data objects, one run after another.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { makePage, openBrowser, runInstanceText, sourceDir, watchedPage } from './support.mjs';

const origin = 'http://replay.test/';
const replayDir = path.join(sourceDir, 'src/report/replay');
let browser;
let runs;

// The page's shell with its includes, and the modules loaded as modules
// instead of joined.
function harness() {
  const shell = fs.readFileSync(path.join(replayDir, 'page.html'), 'utf8');
  return shell
    .replace(/^<!--#include (.*)-->$/gm, (line, name) => fs.readFileSync(path.join(replayDir, name), 'utf8'))
    .replace('<script>\n<!--#modules-->\n</script>',
      '<script type="module">import { startReplay } from "./js/app.js"; window.startReplay = startReplay;</script>');
}

before(async () => {
  runs = [makePage('examples/ft06/input.txt', 'ft06', { trace: false }),
    runInstanceText('dwa\n2 2\n1 3 2 4\n2 2 1 5\n', 'dwa', { trace: false })];
  browser = await openBrowser();
  // Served from the source tree by the test itself; nothing leaves the machine.
  await browser.context.route(origin + '**', (route) => {
    const name = new URL(route.request().url()).pathname.slice(1);
    if (name === 'harness.html') return route.fulfill({ contentType: 'text/html', body: harness() });
    return route.fulfill({ contentType: 'text/javascript', body: fs.readFileSync(path.join(replayDir, name)) });
  });
});

after(async () => {
  await browser?.close();
  for (const run of runs) fs.rmSync(run.folder, { recursive: true, force: true });
});

test('startReplay shows a run from its data, then another in its place', async () => {
  const [ft06, dwa] = runs.map((run) => JSON.parse(fs.readFileSync(run.data, 'utf8')));
  const { page, errors } = await watchedPage(browser.context);
  await page.goto(origin + 'harness.html#3');
  await page.waitForFunction(() => typeof window.startReplay === 'function');
  await page.evaluate((data) => { window.startReplay(data); }, ft06);
  assert.equal(await page.evaluate(() => document.body.dataset.step), '3');
  assert.match(await page.textContent('#subtitle'), /^6 zadań, 6 maszyn, 36 operacji, 36 kroków\./);
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.evaluate(() => document.body.dataset.step), '4');
  await page.click('#practice-switch');

  // The second run replaces the first: its tables (practice's too), and keys
  // that move one step, not one for each run started.
  await page.evaluate((data) => { window.startReplay(data, { lang: 'en' }); }, dwa);
  assert.match(await page.textContent('#subtitle'), /^2 jobs, 2 machines, 4 operations, 4 steps\./);
  for (const key of ['Home', 'PageDown', 'ArrowRight']) await page.keyboard.press(key);
  assert.equal(await page.evaluate(() => document.body.dataset.step), '4');
  assert.match(await page.textContent('#op-title'), /^Step 4: /);
  assert.equal(await page.$$eval('#practice-table tbody tr', (trs) => trs.length), 4);
  assert.equal(await page.$$eval('[data-cell^="R:"]', (inputs) => inputs.length), 4);
  // Out of practice, rows out of view are written once the browser is idle.
  await page.click('#practice-switch');
  const rows = () => [...document.querySelectorAll('#trace-table tbody tr:not(.spacer)')].filter((tr) => tr.style.display !== 'none').length;
  await page.waitForFunction(`(${rows})() >= 4`, null, { timeout: 3000 });
  assert.equal(await page.evaluate(rows), 4);

  await page.evaluate(() => { window.startReplay({ format: 'something else' }); });
  assert.equal(await page.textContent('#message'), 'Brak danych przebiegu albo dane w nieznanym formacie.');
  assert.ok(await page.isHidden('#nav'));
  assert.deepEqual(errors, []);
});
