// The web edition (build/jobshop-web.html) in a real browser, through the
// contract the README gives scripts: the instance in #instance-text, #run,
// the downloads, <body data-state>. Its files against the native programs'.
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { buildDir, hoverChart, openBrowser, run, scratchFolder, sourceDir, stepOf, watchedPage } from './support.mjs';

const webPage = path.join(buildDir, 'jobshop-web.html');
const skip = fs.existsSync(webPage) ? false : 'the web edition is not built (no emscripten)';
const pageUrl = 'file://' + webPage;
let browser, folder;

before(async () => {
  if (skip) return;
  browser = await openBrowser();
  folder = scratchFolder();
});

after(async () => {
  await browser?.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');
const settled = (page) => page.waitForFunction(() => ['ready', 'error'].includes(document.body.dataset.state));
const state = (page) => page.evaluate(() => document.body.dataset.state);

async function openWeb(url = pageUrl) {
  const watched = await watchedPage(browser.context);
  await watched.page.goto(url);
  await watched.page.waitForFunction(() => document.body.dataset.state !== 'loading');
  return watched;
}

async function runText(page, text) {
  await page.fill('#instance-text', text);
  await page.click('#run');
  await settled(page);
}

async function downloaded(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(await download.path()) };
}

// The program's own files for `text`: jobshop-insert's trace and message,
// jobshop-replay's page.
function nativeFiles(text, name) {
  const here = fs.mkdtempSync(path.join(folder, 'native-'));
  fs.writeFileSync(path.join(here, 'input.txt'), text);
  let stderr = '';
  try {
    run('jobshop-insert', [], here);
  } catch (e) {
    stderr = e.message.replace(/^[^:]*exited 1: /, '');
  }
  const trace = path.join(here, `${name}_krok_po_kroku.txt`);
  return { stderr, trace: stderr ? null : fs.readFileSync(trace), dir: here };
}

// Only the page itself, the embedded module (data:) and its own downloads.
const ownRequestsOnly = (requests) => requests.every((url) => /^(file|data|blob):/.test(url));

test('ft06 typed in: the golden trace, jobshop-replay\'s page, the instance as typed', { skip }, async () => {
  const { page, requests, errors } = await openWeb();
  assert.equal(await state(page), 'idle');
  const text = fs.readFileSync(path.join(sourceDir, 'examples/ft06/input.txt'), 'utf8');
  await runText(page, text);
  assert.equal(await state(page), 'ready');
  assert.equal(await stepOf(page), 1);
  assert.match(await page.textContent('#subtitle'), /36 kroków\. Cmax = 59\./);

  const trace = await downloaded(page, '#download-trace');
  assert.equal(trace.name, 'ft06_krok_po_kroku.txt');
  assert.ok(trace.bytes.equals(fs.readFileSync(path.join(sourceDir, 'tests/golden/ft06.trace'))));
  const replay = await downloaded(page, '#download-page');
  assert.equal(replay.name, 'ft06_krok_po_kroku.html');
  run('jobshop-replay', [path.join(sourceDir, 'examples/ft06/input.txt'), '-o', 'ft06.html'], folder);
  assert.ok(replay.bytes.equals(fs.readFileSync(path.join(folder, 'ft06.html'))));
  const instance = await downloaded(page, '#download-instance');
  assert.deepEqual([instance.name, instance.bytes.toString()], ['input.txt', text]);

  // The chart answers the pointer as on the replay page.
  await page.click('#last');
  assert.ok((await hoverChart(page)).length >= 5, 'operations told under the pointer');

  // The replay page's panels are all here, practice mode, the graph and the
  // worksheet too; the input panel is neither on a worksheet nor on paper.
  await page.click('#practice-switch');
  assert.ok(await page.isVisible('#practice-panel'));
  await page.click('#practice-switch');
  assert.ok(await page.isVisible('#graph-box svg'));
  await page.fill('#sheet-from', '1');
  await page.fill('#sheet-to', '3');
  await page.click('#sheet-make');
  assert.ok(await page.isVisible('#sheet-view'));
  assert.ok(await page.isHidden('#input-panel'));
  await page.click('#sheet-close');
  await page.emulateMedia({ media: 'print' });
  assert.ok(await page.isHidden('#input-panel'));
  await page.emulateMedia({ media: null });
  assert.ok(ownRequestsOnly(requests), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('random instances: the downloaded trace is jobshop-insert\'s (SHA-256)', { skip }, async () => {
  const { page, requests, errors } = await openWeb();
  let seed = 5;
  const random = (n) => (seed = (seed * 1103515245 + 12345) % 2 ** 31) % n;
  for (let i = 0; i < 6; ++i) {
    const jobs = 1 + random(12), machines = 1 + random(8);
    const lines = [`rand${i}`, `${jobs} ${machines}`];
    for (let j = 0; j < jobs; ++j) {
      const order = Array.from({ length: machines }, (_, k) => k + 1).sort(() => random(3) - 1);
      lines.push(order.map((m) => `${m} ${1 + random(99)}`).join(' '));
    }
    const text = lines.join('\n') + '\n';
    await runText(page, text);
    assert.equal(await state(page), 'ready', text);
    const { trace } = nativeFiles(text, `rand${i}`);
    assert.equal(sha256((await downloaded(page, '#download-trace')).bytes), sha256(trace), text);
  }
  // A file whose name is not UTF-8 (Windows-1250) runs as its own bytes.
  const latin2 = Buffer.from('zadanie_\xb3\r\n2 2\r\n1 3 2 4\r\n2 2 1 5\r\n', 'latin1');
  await page.setInputFiles('#open-file', { name: 'zadanie.txt', mimeType: 'text/plain', buffer: latin2 });
  await settled(page);
  assert.equal(await state(page), 'ready');
  assert.match(await page.textContent('#input-message'), /nie jest tekstem UTF-8/);
  const here = fs.mkdtempSync(path.join(folder, 'latin2-'));
  fs.writeFileSync(path.join(here, 'input.txt'), latin2);
  run('jobshop-insert', [], here);
  const traceName = Buffer.concat([Buffer.from(here + '/zadanie_'), Buffer.from([0xb3]), Buffer.from('_krok_po_kroku.txt')]);
  assert.equal(sha256((await downloaded(page, '#download-trace')).bytes), sha256(fs.readFileSync(traceName)));
  assert.ok((await downloaded(page, '#download-instance')).bytes.equals(latin2));
  // A byte order mark is part of the name jobshop-insert reads, so of its
  // files' names (the browser itself may then replace it when it saves).
  await page.evaluate(() => {
    const click = HTMLAnchorElement.prototype.click;
    HTMLAnchorElement.prototype.click = function () { window.offeredName = this.download; return click.call(this); };
  });
  await page.setInputFiles('#open-file', { name: 'ex1.txt', mimeType: 'text/plain', buffer: Buffer.from('\ufeffex1\n2 2\n1 3 2 4\n2 2 1 5\n') });
  await settled(page);
  await downloaded(page, '#download-trace');
  assert.equal(await page.evaluate(() => window.offeredName), '\ufeffex1_krok_po_kroku.txt');
  assert.ok(ownRequestsOnly(requests), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('a refused instance: the loader\'s message with its line, nothing to download', { skip }, async () => {
  const { page, requests, errors } = await openWeb();
  const downloads = [];
  page.on('download', (d) => downloads.push(d.suggestedFilename()));
  await runText(page, 'jeden\n1 1\n1 5\n');
  assert.equal(await state(page), 'ready');
  const bad = 'dwa\n2 2\n1 3 2 4\n2 2 9 5\n';
  await runText(page, bad);
  assert.equal(await state(page), 'error');
  const message = nativeFiles(bad, 'dwa').stderr.trim();
  assert.equal(message, 'Blad w pliku input.txt: maszyna 9 spoza zakresu 1..2: maszyna operacji 4 (zadanie 2).');
  assert.equal(await page.textContent('#input-message'), `Wiersz 4: ${message}`);
  assert.equal(await page.evaluate(() => {
    const t = document.getElementById('instance-text');
    return t.value.slice(t.selectionStart, t.selectionEnd);
  }), '2 2 9 5', 'the line is marked');
  assert.ok(await page.isHidden('#nav'), 'no replay of the run before');
  for (const id of ['#download-trace', '#download-page', '#download-instance']) {
    assert.ok(await page.isDisabled(id), id);
    await page.click(id, { force: true });
  }
  // A cycle is refused with the program's message too.
  await runText(page, 'cykl\n1 2\n1 0 1 0\n');
  assert.equal(await page.textContent('#input-message'), nativeFiles('cykl\n1 2\n1 0 1 0\n', 'cykl').stderr.trim());
  await page.waitForTimeout(300);
  assert.deepEqual(downloads, []);
  assert.ok(ownRequestsOnly(requests), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('a link holds the instance and the step; bundled and generated instances', { skip }, async () => {
  const { page, requests, errors } = await openWeb();
  const ta01 = fs.readFileSync(path.join(sourceDir, 'benchmarks/ta01.txt'));
  const index = await page.$eval('#bundled', (s) => [...s.options].find((o) => o.dataset.name === 'ta01').value);
  await page.selectOption('#bundled', index);
  await settled(page);
  assert.equal(await page.inputValue('#instance-text'), ta01.toString());
  // Keys typed in the text are the text's; elsewhere they move the steps.
  await page.focus('#instance-text');
  await page.keyboard.press('End');
  assert.equal(await stepOf(page), 1);
  await page.focus('#fwd1');
  await page.keyboard.press('End');
  await page.waitForFunction(() => /&step=225$/.test(location.hash));
  const link = await page.evaluate(() => location.href);
  assert.equal(sha256((await downloaded(page, '#download-trace')).bytes), sha256(nativeFiles(ta01, 'ta01').trace));

  // The link in a fresh page: the same instance, the same step, in English.
  const other = await openWeb(link.replace('#', '?lang=en#'));
  await settled(other.page);
  assert.equal(await other.page.inputValue('#instance-text'), ta01.toString());
  assert.equal(await stepOf(other.page), 225);
  assert.equal(await other.page.textContent('#run'), 'Run');

  // A step number past any number's precision is told as it was written,
  // and never written back into the address as another number.
  const huge = '100000000000000000000000';
  const third = await openWeb(link.replace(/step=\d+$/, `step=${huge}`));
  await settled(third.page);
  assert.equal(await stepOf(third.page), 1);
  assert.match(await third.page.textContent('#nav-message'), new RegExp(`^Nie ma kroku ${huge}:`));
  await third.page.waitForFunction(() => /&step=1$/.test(location.hash));

  // Generated: the instance jobshop-generate makes from the same seed.
  await page.click('#generator summary');
  await page.fill('#gen-jobs', '5');
  await page.fill('#gen-machines', '3');
  await page.fill('#gen-seed', '2027');
  await page.click('#generate');
  await settled(page);
  assert.equal(await state(page), 'ready');
  const generated = run('jobshop-generate', ['--jobs', '5', '--machines', '3', '--seed', '2027'], folder).stdout;
  assert.equal(await page.inputValue('#instance-text'), generated);
  const name = generated.split('\n')[0];
  assert.equal((await downloaded(page, '#download-trace')).name, `${name}_krok_po_kroku.txt`);

  // A damaged link is refused with a message.
  await page.evaluate(() => { location.hash = '#i=1AAAA'; });
  await page.waitForFunction(() => document.body.dataset.state === 'error');
  assert.ok(ownRequestsOnly([...requests, ...other.requests, ...third.requests]), requests.join(' '));
  assert.deepEqual([...errors, ...other.errors, ...third.errors], []);
});

// The roster's links of a class set open each variant's exercise: its
// instance, in practice mode, asking the parts and steps of the set; the
// page's own link in practice is the exercise's; another instance run
// leaves the exercise.
test('a class set\'s roster links open each variant\'s exercise', { skip }, async () => {
  run('jobshop-class', ['--students', '3', '--jobs', '3', '--machines', '3', '--seed', '11', '--steps', '2-5', '--ask', 'uv,links,topo',
    '--lang', 'en', '--base-url', pageUrl, '-o', 'set'], folder);
  const roster = fs.readFileSync(path.join(folder, 'set/roster.csv'), 'utf8').trim().split('\r\n').slice(1)
    .map((line) => /^(\d+),([^,]+),\d+,\d+,"([^"]+)"$/.exec(line));
  assert.equal(roster.length, 3);
  for (const [, variant, name, link] of roster.slice(1)) {
    const { page, errors } = await openWeb(link);
    await settled(page);
    assert.equal(await page.inputValue('#instance-text'), fs.readFileSync(path.join(folder, `set/instances/${name}.txt`), 'utf8'), variant);
    assert.equal(await stepOf(page), 2);
    assert.equal(await page.getAttribute('#practice-switch', 'aria-pressed'), 'true');
    assert.equal(await page.textContent('#practice-exercise'), 'The exercise covers steps 2–5.');
    const kinds = await page.$$eval('[data-cell]', (els) => [...new Set(els.map((e) => e.dataset.cell.split(':')[0]))].sort());
    assert.deepEqual(kinds, ['NM', 'PM', 'topo', 'u', 'v'].sort());
    await page.evaluate(() => Object.defineProperty(navigator, 'clipboard', { value: { writeText: async (text) => { window.copied = text; } } }));
    await page.click('#copy-link');
    await page.waitForFunction(() => window.copied);
    assert.equal(await page.evaluate(() => window.copied), link.replace(/#i=(.*)$/, '#i=$1&step=2'));
    assert.match(await page.textContent('#download-status'), /^Link to the exercise copied\. This page is open from a file/);
    // Another instance: the exercise leaves the address.
    await runText(page, 'small\n1 1\n1 5\n');
    assert.equal(await page.evaluate(() => location.search), '?lang=en');
    assert.equal(await page.$$eval('[data-cell]', (els) => els.length), 0);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

// Instances jobshop-insert accepts, without operations: no jobs on many
// machines, many jobs on none. Each gives a page and a link as quickly as
// any small instance; a trace too large for the browser to be sure of is
// not handed over before the person is told.
test('instances without operations: a page, a link, and a large trace told before it is made', { skip }, async () => {
  const { page, requests, errors } = await openWeb();
  for (const [jobs, machines] of [[0, 100000000], [2147483647, 0]]) {
    const text = `x ${jobs} ${machines}\n`;
    await runText(page, text);
    assert.equal(await state(page), 'ready', text);
    assert.equal(await page.textContent('#message'), 'Instancja nie ma operacji: nie ma kroków do pokazania.');
    const other = await openWeb(await page.evaluate(() => location.href));
    await settled(other.page);
    assert.equal(await other.page.inputValue('#instance-text'), `x\n${jobs} ${machines}\n`);
    assert.deepEqual(other.errors, []);
    await other.page.close();
  }
  await runText(page, 'x 0 300000000\n');
  const dialogs = [], downloads = [];
  page.on('download', (d) => downloads.push(d));
  page.once('dialog', (d) => { dialogs.push(d.message()); d.dismiss(); });
  await page.click('#download-trace');
  assert.match(dialogs[0] ?? '', /^Plik x_krok_po_kroku\.txt ma około 300 MB\. .* jobshop-insert zapisuje go na dysku/);
  assert.equal(await page.textContent('#download-status'), 'Nie pobrano x_krok_po_kroku.txt (około 300 MB): jobshop-insert zapisze go na dysku.');
  await page.waitForTimeout(300);
  assert.equal(downloads.length, 0);
  assert.ok(ownRequestsOnly(requests), requests.join(' '));
  assert.deepEqual(errors, []);
});

// Each download of a large trace leaves its bytes to Chromium until the
// page's garbage collection frees them; made so, the fourth download of
// ta71's trace in one page was refused.
test('ta71: its 166 MB trace, downloaded four times in one page', { skip }, async () => {
  const { page, errors } = await openWeb();
  const ta71 = fs.readFileSync(path.join(sourceDir, 'bench/instances/ta71.txt'));
  await runText(page, ta71.toString());
  assert.equal(await state(page), 'ready');
  const expected = nativeFiles(ta71, 'ta71');
  const digest = sha256(expected.trace);
  fs.rmSync(expected.dir, { recursive: true, force: true });
  for (let i = 0; i < 4; ++i) {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-trace')]);
    const file = await download.path();
    if (i === 3) assert.equal(sha256(fs.readFileSync(file)), digest);
    else assert.equal(fs.statSync(file).size, 166032376, `download ${i + 1}`);
    fs.rmSync(file);
  }
  assert.deepEqual(errors, []);
});
