// Makes docs/improve.md's pictures of the search on the replay page, from
// ft06's page made by jobshop-improve --page, in Debian's chromium:
//   docs/improve-page-ft06.png      iteration 2: the moves, the chart with
//                                   the critical path and its blocks;
//   docs/improve-practice-ft06.png  iteration 2 in practice mode, the
//                                   trace's answers typed, one makespan
//                                   wrong, and checked;
//   docs/web-search-ft06.png        the web edition after a search of 300
//                                   iterations (when it is built).
//   node tests/browser/search-screenshot.mjs
import fs from 'node:fs';
import path from 'node:path';
import { buildDir, openBrowser, run, scratchFolder, sourceDir } from './support.mjs';
import { readSearchTrace } from '../page/support.mjs';

const folder = scratchFolder();
fs.copyFileSync(path.join(sourceDir, 'examples/ft06/input.txt'), path.join(folder, 'ft06.txt'));
run('jobshop-improve', ['ft06.txt', '--iterations', '30', '--exact', '--page', 'page.html', '-o', 'trace.txt'], folder);
const browser = await openBrowser();
try {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1280, height: 1100 });
  await page.goto(`file://${folder}/page.html#s2`);
  await page.waitForFunction(() => document.body.dataset.step === '38');
  await page.screenshot({ path: path.join(sourceDir, 'docs/improve-page-ft06.png') });

  const it = readSearchTrace(path.join(folder, 'trace.txt')).get(2);
  await page.click('#practice-switch');
  const answers = {};
  it.path.forEach((k, i) => { answers[`crit:${i + 1}`] = String(k); });
  for (const [name, , , cmax] of it.moves) Object.assign(answers, { [`move:${name}`]: name, [`cmax:${name}`]: cmax });
  answers.pick = it.chosen;
  const wrong = `cmax:${it.moves[3][0]}`;
  answers[wrong] = String(Number(answers[wrong]) - 2);
  for (const [key, value] of Object.entries(answers)) await page.fill(`[data-cell="${key}"]`, value);
  await page.click('#practice-check');
  await page.click('#practice-derivations summary');
  await page.focus(`[data-cell="${wrong}"]`);
  const panel = await page.$('#practice-panel');
  await panel.screenshot({ path: path.join(sourceDir, 'docs/improve-practice-ft06.png') });
  // Leave the browser's profile as it found it: practice off.
  await page.click('#practice-switch');

  const web = path.join(buildDir, 'jobshop-web.html');
  if (fs.existsSync(web)) {
    await page.goto('file://' + web);
    await page.waitForFunction(() => document.body.dataset.state !== 'loading');
    await page.fill('#instance-text', fs.readFileSync(path.join(folder, 'ft06.txt'), 'utf8'));
    await page.click('#run');
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    await page.waitForFunction(() => !document.getElementById('optimum').hidden);
    await page.selectOption('#web-search-unit', 'iterations');
    await page.fill('#web-search-limit', '300');
    await page.click('#web-search-run');
    await page.waitForFunction(() => document.body.dataset.search === 'ready');
    const box = await page.$('#web-search');
    const top = (await page.$('header')).boundingBox();
    const end = await box.boundingBox();
    await page.screenshot({ path: path.join(sourceDir, 'docs/web-search-ft06.png'), clip: { x: 0, y: (await top).y, width: 1280, height: end.y + end.height + 8 } });
  }
} finally {
  await browser.close();
  fs.rmSync(folder, { recursive: true, force: true });
}
