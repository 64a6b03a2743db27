// Makes the guides' pictures from a class set of two 3 x 3 variants (seed
// 2027) made by the built jobshop-class, in Debian's chromium, in Polish
// and in English (<lang> = pl, en):
//   docs/guide-exercise-<lang>.png  the roster's link of variant 1 opened
//                                   in the web edition: step 4 in practice
//                                   mode, the quiz's answers typed, one of
//                                   them wrong, and checked;
//   docs/class-worksheet.png, docs/class-key.png (Polish) and
//   docs/guide-worksheet-en.png, docs/guide-key-en.png: the first page of
//                                   the printed worksheets and key.
//   node tests/browser/guide-screenshot.mjs
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { buildDir, openBrowser, run, scratchFolder, sourceDir } from './support.mjs';

const folder = scratchFolder();
const web = 'file://' + path.join(buildDir, 'jobshop-web.html');
const sets = [
  { lang: 'pl', roster: 'warianty.csv', sheets: 'arkusze.pdf', key: 'klucz.pdf', pictures: ['class-worksheet.png', 'class-key.png'] },
  { lang: 'en', roster: 'roster.csv', sheets: 'worksheets.pdf', key: 'key.pdf', pictures: ['guide-worksheet-en.png', 'guide-key-en.png'] },
];

// The first page of a PDF as a picture of the width the docs show.
function firstPage(pdf, picture) {
  const stem = path.join(folder, 'page');
  execFileSync('pdftoppm', ['-png', '-r', '90', '-f', '1', '-l', '1', '-singlefile', pdf, stem]);
  fs.copyFileSync(stem + '.png', path.join(sourceDir, 'docs', picture));
}

// Every asked cell's answer of one step, read back from the quiz's first
// question (variant 1).
function answersOf(moodleXml, step) {
  const first = moodleXml.slice(moodleXml.indexOf('<question type="cloze">'));
  const question = first.slice(0, first.indexOf('</question>'));
  const answers = {};
  for (const m of question.matchAll(/data-cell="([^"]+)" data-step="(\d+)">\{\d+:NUMERICAL:=(-?\d+):0\}/g)) {
    if (Number(m[2]) === step) answers[m[1]] = m[3];
  }
  return answers;
}

const browser = await openBrowser();
try {
  for (const set of sets) {
    const out = path.join(folder, set.lang);
    run('jobshop-class', ['--students', '2', '--jobs', '3', '--machines', '3', '--seed', '2027', '--lang', set.lang,
      '--base-url', web, '--pdf', '-o', out], folder);
    firstPage(path.join(out, set.sheets), set.pictures[0]);
    firstPage(path.join(out, set.key), set.pictures[1]);

    const link = fs.readFileSync(path.join(out, set.roster), 'utf8').split('\r\n')[1].match(/"([^"]+)"/)[1];
    const page = await browser.context.newPage();
    await page.setViewportSize({ width: 1100, height: 900 });
    await page.goto(link);
    await page.waitForFunction(() => document.body.dataset.state === 'ready');
    while (await page.evaluate(() => document.body.dataset.step) !== '4') await page.click('#practice-next-step');
    const answers = answersOf(fs.readFileSync(path.join(out, 'moodle.xml'), 'utf8'), 4);
    const wrong = 'Q:5';
    answers[wrong] = String(Number(answers[wrong]) + 3);
    for (const [key, value] of Object.entries(answers)) {
      if (await page.$(`[data-cell="${key}"]`)) await page.fill(`[data-cell="${key}"]`, value);
    }
    await page.click('#practice-check');
    await page.click('#practice-derivations summary');
    await page.focus(`[data-cell="${wrong}"]`);
    // The whole page's picture, cut to the panel, with the navigation bar
    // (which sticks to the window's top) back in its place in the page.
    const box = await page.evaluate(() => {
      for (const e of document.querySelectorAll('*')) if (getComputedStyle(e).position === 'sticky') e.style.position = 'static';
      const r = document.getElementById('practice-panel').getBoundingClientRect();
      return { x: r.left + scrollX, y: r.top + scrollY, width: r.width, height: r.height };
    });
    await page.screenshot({ path: path.join(sourceDir, 'docs', `guide-exercise-${set.lang}.png`), fullPage: true, clip: box });
    await page.close();
  }
} finally {
  await browser.close();
  fs.rmSync(folder, { recursive: true, force: true });
}
