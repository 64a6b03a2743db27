// Printing, read back from PDFs with pdftotext: the replay page's
// topological line within the paper and its page numbers; a class set's
// worksheets and key as jobshop-class --pdf prints them with chromium
// (paginated alike, every page with its variant, code and number, no
// heading alone at a page's foot, English sheets in English); the replay
// page's own worksheet and key.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { decodeReplay } from '../../src/report/replay/js/replay-data.js';
import { worksheet } from '../../src/report/replay/js/worksheet.js';
import { makePage, openBrowser, readTrace, run, scratchFolder, watchedPage } from './support.mjs';

let browser;
const folders = [];
before(async () => { browser = await openBrowser(); });
after(async () => {
  await browser?.close();
  for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
});

// The words of each page of a PDF with their boxes (pdftotext -bbox), and
// the page's width in points.
function pdfWords(file) {
  const xml = execFileSync('pdftotext', ['-bbox', file, '-'], { encoding: 'utf8' });
  return xml.split('<page ').slice(1).map((page) => ({
    width: Number(/width="([\d.]+)"/.exec(page)[1]),
    words: [...page.matchAll(/<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)<\/word>/g)]
      .map((m) => ({ x: Number(m[1]), y: Number(m[2]), right: Number(m[3]), text: m[4].replace(/&amp;/g, '&') })),
  }));
}

// Each page's lines as pdftotext -layout gives them, without blank ones.
const pdfLines = (file) => execFileSync('pdftotext', ['-layout', file, '-'], { encoding: 'utf8' })
  .split('\f').slice(0, -1).map((p) => p.split('\n').map((l) => l.trim()).filter((l) => l));

// 12 mm of an A4 page's margin, in points.
const MARGIN = (12 / 25.4) * 72;

test('the replay page prints its topological line whole, within the paper, and numbers its pages', async () => {
  for (const [file, name, t] of [['examples/ft06/input.txt', 'ft06', 21], ['benchmarks/ta01.txt', 'ta01', 100]]) {
    const made = makePage(file, name);
    folders.push(made.folder);
    const topo = readTrace(made.trace).steps[t - 1].topo;
    const { page, errors } = await watchedPage(browser.context);
    await page.goto(`file://${made.page}#${t}`);
    await page.waitForFunction((s) => document.body.dataset.step === String(s), t);
    const pdf = path.join(made.folder, 'printed.pdf');
    await page.pdf({ path: pdf, preferCSSPageSize: true });
    const text = pdfLines(pdf).flat().join('\n');
    const line = text.slice(text.indexOf('Topologicznie:') + 14).split(/\s+/).filter((x) => x).slice(0, topo.length);
    assert.deepEqual(line.map(Number), topo, `${name}: the numbers of the line, in order`);
    // Nothing runs past the paper's right edge, where it would be cut.
    const pages = pdfWords(pdf);
    for (const p of pages) {
      for (const w of p.words) assert.ok(w.right <= p.width - MARGIN + 1, `${name}: "${w.text}" ends at ${w.right.toFixed(1)} pt, past ${(p.width - MARGIN).toFixed(1)}`);
    }
    pages.forEach((p, i) => {
      const foot = p.words.filter((w) => w.y > 841 - MARGIN).map((w) => w.text).join(' ');
      assert.equal(foot, `${i + 1} / ${pages.length}`, `${name}: the number of page ${i + 1}`);
    });
    assert.deepEqual(errors, []);
    await page.close();
  }
});

// The structure of a printed sheet's page: its header, the step headings
// and the page number, which the worksheet and its key must share.
const HEADINGS = /^(Krok|Step) \d+:|^(Strona|Page) \d+ (z|of) \d+$|^(Wariant|Variant) \d+ ·/;
const outline = (lines) => lines.map((l) => l.replace(/\s+\(\d+ (pkt|points?)\)$/, '').replace(/\s{2,}.*$/, '')).filter((l) => HEADINGS.test(l));

function expectSheetsAlike(sheet, key, what) {
  assert.equal(sheet.length, key.length, `${what}: the worksheet and the key have as many pages`);
  sheet.forEach((lines, i) => {
    assert.deepEqual(outline(lines), outline(key[i]), `${what}: page ${i + 1} breaks alike`);
    // Above the page number, the last line is no heading.
    const body = lines.filter((l) => !/^(Strona|Page) \d+|^\d+ \/ \d+$/.test(l));
    assert.doesNotMatch(body.at(-1), /^(Krok|Step) \d+:|^(Tabela kroku|The step's table|Pozycje na|Positions on)/, `${what}: page ${i + 1} ends with a heading`);
  });
}

test('a class set prints with chromium: each variant on its pages, the key paginated like the worksheets', async () => {
  const folder = scratchFolder();
  folders.push(folder);
  const sets = [
    { dir: 'pl', args: ['--students', '3', '--jobs', '3', '--machines', '3', '--seed', '11'], files: ['arkusze', 'klucz'], lang: 'pl' },
    { dir: 'en', args: ['--students', '2', '--jobs', '5', '--machines', '3', '--seed', '12', '--steps', '6-15', '--lang', 'en',
      '--ask', 'rq,links,topo,uv,est,terms,pos,seq,cmax'], files: ['worksheets', 'key'], lang: 'en' },
  ];
  for (const set of sets) {
    run('jobshop-class', [...set.args, '--pdf', '-o', set.dir], folder);
    const dir = path.join(folder, set.dir);
    const [sheet, key] = set.files.map((f) => pdfLines(path.join(dir, f + '.pdf')));
    expectSheetsAlike(sheet, key, set.dir);
    const data = JSON.parse(/id="class-data">([^<]*)</.exec(fs.readFileSync(path.join(dir, set.files[1] + '.html'), 'utf8'))[1]);
    const all = key.flat().join('\n');
    // Every page carries its variant, the variant's code, and its number.
    let variant = 0, pageOf = 0;
    key.forEach((lines, i) => {
      const m = /^(Wariant|Variant) (\d+) · (\S+)/.exec(lines[0]);
      assert.ok(m, `page ${i + 1} starts with its variant: ${lines[0]}`);
      if (Number(m[2]) !== variant) [variant, pageOf] = [Number(m[2]), 0];
      // A long code is cut short there: the variant's first page has it whole.
      const code = data.variants[variant - 1].code;
      assert.ok(m[3] === code || (m[3].endsWith('\u2026') && code.startsWith(m[3].slice(0, -1))), `${m[3]} for ${code}`);
      const foot = lines.find((l) => /^(Strona|Page) \d+ (z|of) \d+$/.test(l));
      assert.match(foot, new RegExp(` ${++pageOf} (z|of) `), `page ${i + 1}`);
    });
    assert.equal(variant, data.variants.length);
    if (set.lang === 'en') {
      assert.doesNotMatch(sheet.flat().join('\n') + all, /Topologicznie|\bLp\b|Krok|Strona/);
    }
    // The key's topological lines hold the run's orders, number by number.
    for (const v of data.variants) {
      const ws = worksheet(decodeReplay(v.replay), data.from, data.to, true, data.ask);
      for (const s of ws.steps.filter((x) => x.evaluated)) {
        const label = set.lang === 'en' ? 'Topological order:' : 'Topologicznie:';
        assert.ok(all.replace(/\s+/g, ' ').includes(`${label} ${s.topo}`), `variant ${v.variant}, step ${s.t}: ${s.topo}`);
      }
    }
    // What the browser lays out stays within its pages.
    const { page, errors } = await watchedPage(browser.context);
    await page.goto(`file://${path.join(dir, set.files[0] + '.html')}`);
    const overflowing = await page.$$eval('.paper-body', (bodies) => bodies.filter((b) => b.scrollHeight > b.clientHeight + 1).length);
    assert.equal(overflowing, 0);
    // No variant ends on a nearly empty page.
    const lastPages = await page.$$eval('.paper', (papers) => papers.filter((p) => /(\d+) (z|of) \1$/.test(p.querySelector('.paper-foot').textContent))
      .map((p) => { const body = p.querySelector('.paper-body'); return (body.lastElementChild.getBoundingClientRect().bottom - body.getBoundingClientRect().top) / body.clientHeight; }));
    assert.equal(lastPages.length, data.variants.length);
    for (const fill of lastPages) assert.ok(fill >= 0.25, `a last page filled ${fill.toFixed(2)}`);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test('the replay page\'s worksheet and key paginate alike, and in English in English', async () => {
  const ft06 = makePage('examples/ft06/input.txt', 'ft06');
  folders.push(ft06.folder);
  for (const lang of ['pl', 'en']) {
    const printed = [];
    for (const button of ['#sheet-make', '#sheet-key']) {
      const { page, errors } = await watchedPage(browser.context);
      await page.goto(`file://${ft06.page}?lang=${lang}#1`);
      await page.fill('#sheet-from', '1');
      await page.fill('#sheet-to', '9');
      await page.click(button);
      const pdf = path.join(ft06.folder, `sheet-${lang}-${button.slice(1)}.pdf`);
      await page.pdf({ path: pdf, preferCSSPageSize: true });
      printed.push(pdfLines(pdf));
      assert.deepEqual(errors, []);
      await page.close();
    }
    expectSheetsAlike(printed[0], printed[1], `ft06 in ${lang}`);
    const text = printed.flat().flat().join('\n');
    assert.match(text, /(Nr albumu|Student number):.*\n?.*(Grupa|Group):/);
    if (lang === 'en') assert.doesNotMatch(text, /Topologicznie|\bLp\b/);
  }
});
