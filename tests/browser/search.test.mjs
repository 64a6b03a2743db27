// The search in a real browser. The page jobshop-improve --page writes:
// its iterations after the steps through keys and #sN, their moves as the
// data has them, practice on an iteration through the data-cell contract.
// The web edition: a search in its worker while the page goes on
// answering, its trace and schedule jobshop-improve's bytes, Stop, the
// optimum of ft06 beside the insertion's makespan.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { buildDir, openBrowser, run, scratchFolder, sourceDir, stepOf, watchedPage } from './support.mjs';
import { readSearchTrace } from '../page/support.mjs';

const ft06Text = fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt'));
const webPage = path.join(buildDir, 'jobshop-web.html');
const skipWeb = fs.existsSync(webPage) ? false : 'the web edition is not built (no emscripten)';
let browser, folder;

before(async () => {
  browser = await openBrowser();
  folder = scratchFolder();
  fs.writeFileSync(path.join(folder, 'ft06.txt'), ft06Text);
  run('jobshop-improve', ['ft06.txt', '--iterations', '30', '--seed', '3', '--exact', '--page', 'page.html', '-o', 'trace.txt', '--json', 'data.json'], folder);
});

after(async () => {
  await browser?.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

test('the page with the search: iterations after the steps, by keys and #sN, with their moves; practice through data-cell', async () => {
  const { page, errors } = await watchedPage(browser.context);
  const trace = readSearchTrace(path.join(folder, 'trace.txt'));
  await page.goto(`file://${folder}/page.html#s2`);
  assert.equal(await stepOf(page), 36 + 2);
  assert.equal(await page.textContent('#search-title'), 'Iteracja 2: Cmax = 61, najlepszy dotąd Cmax = 59');
  assert.match(await page.textContent('#optimum'), /optimum = 55 \(udowodnione/);
  // The iteration's headline is the live region shown; its moves' box a
  // named region in the Tab order.
  assert.deepEqual(await page.$$eval('[aria-live]', (els) => els.filter((el) => el.checkVisibility()).map((el) => el.id)), ['search-title']);
  assert.deepEqual(await page.$eval('#search-moves-box', (box) => [box.tabIndex, box.getAttribute('role'), box.getAttribute('aria-label')]), [0, 'region', 'Ruchy kandydujące']);
  const moves = () => page.$$eval('#search-moves tbody tr:not(.spacer)', (rows) => rows.filter((r) => r.style.display !== 'none').map((r) => r.cells[1].textContent));
  assert.deepEqual(await moves(), trace.get(2).moves.map((m) => m[0]));
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  await page.waitForFunction(() => location.hash === '#36');
  assert.equal(await page.getAttribute('body', 'data-phase'), 'insertion');
  assert.ok(await page.isHidden('#search-panel'));
  await page.keyboard.press('End');
  await page.waitForFunction(() => location.hash === '#s30');
  assert.deepEqual(await moves(), trace.get(30).moves.map((m) => m[0]));

  // Practice on iteration 3: the trace's answers, one of them wrong.
  await page.goto(`file://${folder}/page.html#s3`);
  await page.click('#practice-switch');
  const it = trace.get(3), answers = {};
  it.path.forEach((k, i) => { answers[`crit:${i + 1}`] = String(k); });
  for (const [name, , , cmax] of it.moves) Object.assign(answers, { [`move:${name}`]: name, [`cmax:${name}`]: cmax });
  answers.pick = it.chosen;
  const wrongKey = `cmax:${it.moves[0][0]}`;
  answers[wrongKey] = String(Number(answers[wrongKey]) + 1);
  assert.deepEqual(await page.$$eval('[data-cell]', (inputs) => inputs.map((i) => i.dataset.cell)), Object.keys(answers));
  for (const [key, value] of Object.entries(answers)) await page.fill(`[data-cell="${key}"]`, value);
  // Enter goes from a move's name to its makespan.
  await page.focus(`[data-cell="move:${it.moves[0][0]}"]`);
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), wrongKey);
  await page.click('#practice-check');
  const verdicts = await page.$$eval('[data-cell]', (inputs) => inputs.map((i) => i.dataset.cell + '=' + i.dataset.verdict));
  assert.deepEqual(verdicts, Object.keys(answers).map((key) => key + '=' + (key === wrongKey ? 'wrong' : 'ok')));
  assert.match(await page.textContent(`[data-derivation-of="${wrongKey}"]`), new RegExp(`= ${Number(answers[wrongKey]) - 1}\\.$`));
  assert.deepEqual(errors, []);
});

// The web edition with ft06, ready.
async function webFt06() {
  const watched = await watchedPage(browser.context);
  await watched.page.goto('file://' + webPage);
  await watched.page.waitForFunction(() => document.body.dataset.state !== 'loading');
  await watched.page.fill('#instance-text', ft06Text.toString());
  await watched.page.click('#run');
  await watched.page.waitForFunction(() => document.body.dataset.state === 'ready');
  return watched;
}

async function downloaded(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return fs.readFileSync(await download.path());
}

test('the web edition: the optimum, a search that leaves the page answering, jobshop-improve\'s files, Stop', { skip: skipWeb }, async () => {
  const { page, errors } = await webFt06();
  await page.waitForFunction(() => /optimum = 55 \(udowodnione/.test(document.getElementById('optimum').textContent));
  assert.match(await page.textContent('#optimum'), /^Cmax wstawiania = 59;/);

  // Two seconds of search; meanwhile the replay steps.
  await page.fill('#web-search-limit', '2');
  await page.fill('#web-search-seed', '5');
  await page.click('#web-search-run');
  await page.waitForFunction(() => document.body.dataset.search === 'running');
  await page.click('#fwd1');
  await page.waitForFunction(() => document.body.dataset.step === '2');
  assert.equal(await page.getAttribute('body', 'data-search'), 'running');
  await page.waitForFunction(() => document.body.dataset.search === 'ready', null, { timeout: 20000 });
  const command = await page.textContent('#web-search-command');
  const [, iterations, seed] = /--iterations (\d+) --seed (\d+)/.exec(command);
  assert.equal(seed, '5');
  run('jobshop-improve', ['ft06.txt', '--iterations', iterations, '--seed', seed, '--schedule', 's.txt'], folder);
  assert.ok((await downloaded(page, '#download-search-schedule')).equals(fs.readFileSync(path.join(folder, 's.txt'))));
  assert.ok(Number(await page.getAttribute('#slider', 'max')) > 36, 'its iterations follow the steps');

  // An iteration limit gives the trace too.
  await page.selectOption('#web-search-unit', 'iterations');
  await page.fill('#web-search-limit', '300');
  await page.click('#web-search-run');
  await page.waitForFunction(() => document.body.dataset.search === 'ready');
  run('jobshop-improve', ['ft06.txt', '--iterations', '300', '--seed', '5', '-o', 't300.txt', '--schedule', 's300.txt'], folder);
  assert.ok((await downloaded(page, '#download-search-trace')).equals(fs.readFileSync(path.join(folder, 't300.txt'))));
  assert.ok((await downloaded(page, '#download-search-schedule')).equals(fs.readFileSync(path.join(folder, 's300.txt'))));
  assert.equal(await page.getAttribute('#slider', 'max'), String(36 + 300));

  // Stop ends a long search at once; the next one runs in a new worker.
  await page.fill('#web-search-limit', '100000000');
  await page.click('#web-search-run');
  await page.waitForFunction(() => /iteracja \d+/.test(document.getElementById('web-search-status').textContent));
  await page.click('#web-search-stop');
  await page.waitForFunction(() => document.body.dataset.search === 'idle');
  assert.equal(await page.textContent('#web-search-status'), 'Przeszukiwanie zatrzymane; jego wynik przepadł.');
  await page.fill('#web-search-limit', '10');
  await page.click('#web-search-run');
  await page.waitForFunction(() => document.body.dataset.search === 'ready');
  assert.deepEqual(errors, []);
});
