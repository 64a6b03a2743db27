// Practice mode through its automation contract (data-cell, data-verdict,
// aria-invalid, data-derivation-of): on ft06 the answers are hidden, Enter
// goes through the cells in the order of the computation, right and wrong
// answers are marked, wrong ones explained, and the progress survives a
// reload until it is reset; on ta71 the table comes in pages and stays
// usable.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { test } from 'node:test';
import { makePage, watchedPage, withFt06 } from './support.mjs';

const fixture = withFt06();

// The cells of step t and their answers, in the order of entry, from the
// trace's table and topological order and the run's steps.
function expectedCells(t, { rows = null, terms = true } = {}) {
  const table = fixture.trace.steps[t - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const col = (c) => [0, ...table.map((r) => r[c])];
  const [NO, PO, R, Q] = [col(3), col(4), col(7), col(8)];
  const step = fixture.data.steps[t - 1];
  const sequence = [];
  for (const s of fixture.data.steps.slice(0, t - 1)) if (s.machine === step.machine) sequence.splice(s.position - 1, 0, s.op);
  const order = fixture.trace.steps[t - 1].topo.filter((k) => !rows || rows.includes(k));
  const cells = [...order.map((k) => [`R:${k}`, R[k]]), ...[...order].reverse().map((k) => [`Q:${k}`, Q[k]])];
  step.estimates.forEach((estimate, i) => {
    const u = i >= 1 ? sequence[i - 1] : 0, v = i < sequence.length ? sequence[i] : 0;
    if (terms) cells.push([`head:${i + 1}`, Math.max(R[PO[step.op]], R[u])], [`tail:${i + 1}`, Math.max(Q[NO[step.op]], Q[v])]);
    cells.push([`est:${i + 1}`, estimate]);
  });
  sequence.splice(step.position - 1, 0, step.op);
  cells.push(['pos', step.position], ...sequence.map((k, i) => [`seq:${i + 1}`, k]));
  return cells.map(([key, answer]) => ({ key, answer }));
}

// Practice on, whatever an earlier page left remembered.
async function practiceOn(page) {
  if (await page.getAttribute('#practice-switch', 'aria-pressed') !== 'true') await page.click('#practice-switch');
}

const marks = (page) => page.$$eval('[data-cell]', (inputs) => Object.fromEntries(inputs.map((i) =>
  [i.dataset.cell, [i.dataset.verdict || '', i.getAttribute('aria-invalid') || '', i.value]])));

test('ft06: practice hides the answers, marks typed ones and keeps the progress', async () => {
  const { page, requests, errors } = await watchedPage(fixture.browser.context);
  page.on('dialog', (d) => d.accept());
  const t = 21;
  await page.goto(`file://${fixture.ft06.page}#${t}`);
  await practiceOn(page);
  for (const hidden of ['#candidates-box', '#changes-panel', '#gantt-panel', '#table-box', '#perm']) assert.ok(await page.isHidden(hidden), hidden);

  // Enter goes through the cells in the order of the computation; a few
  // answers are typed wrong and one is left empty.
  const cells = expectedCells(t);
  const wrong = new Map([[cells[3].key, String(cells[3].answer + 1)], ['est:2', String(cells.find((c) => c.key === 'est:2').answer - 1)],
    ['seq:1', '36'], ['head:1', '']]);
  await page.focus(`[data-cell="${cells[0].key}"]`);
  const visited = [];
  for (const { key, answer } of cells) {
    visited.push(await page.evaluate(() => document.activeElement.dataset.cell));
    const typed = wrong.has(key) ? wrong.get(key) : String(answer);
    if (typed) await page.keyboard.type(typed);
    await page.keyboard.press('Enter');
  }
  assert.deepEqual(visited, cells.map((c) => c.key));
  assert.equal(await page.evaluate(() => document.activeElement.id), 'practice-check');
  await page.keyboard.press('Enter');

  const expectMarks = async (bad) => {
    const shown = await marks(page);
    assert.deepEqual(Object.keys(shown).sort(), cells.map((c) => c.key).sort());
    for (const { key, answer } of cells) {
      const expected = bad.has(key) ? ['wrong', 'true', bad.get(key)] : ['ok', '', String(answer)];
      assert.deepEqual(shown[key], expected, key);
    }
  };
  await expectMarks(wrong);
  // Wrong numbers are explained; the empty cell keeps its answer.
  const derivations = await page.$$eval('[data-derivation-of]', (els) => Object.fromEntries(els.map((e) => [e.dataset.derivationOf, e.textContent])));
  assert.deepEqual(Object.keys(derivations).sort(), [...wrong.keys()].filter((key) => wrong.get(key)).sort());
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), cells[3].key, 'the focus on the first wrong cell');
  assert.match(derivations[cells[3].key], new RegExp(`^R\\[\\d+\\] = max\\(R\\[PO\\]=R\\[\\d+\\], R\\[PM\\]=R\\[\\d+\\]\\) \\+ p = max\\(\\d+, \\d+\\) \\+ \\d+ = ${cells[3].answer}$`));
  assert.match(derivations['est:2'], new RegExp(`^pozycja 2: .* = ${cells.find((c) => c.key === 'est:2').answer}$`));
  assert.match(derivations['seq:1'], new RegExp(` daje [\\d ]+\\. Na miejscu 1 stoi operacja ${cells.find((c) => c.key === 'seq:1').answer}\\.$`));
  assert.equal(cells.length, 93);
  assert.equal(await page.textContent('#practice-result'), 'Sprawdzono 93 pola: dobrze 89, źle 4. 1 pole jest puste: uzupełnij albo użyj „Pokaż odpowiedzi”.');
  // The six steps on empty machines ask nothing, and do not count.
  const summary = 'Postępy: 0 kroków rozwiązanych z 30; 4 błędne pola przy ostatnich sprawdzeniach.';
  assert.equal(await page.textContent('#practice-summary'), summary);

  // After a reload: still practising, the same answers, marks and summary.
  await page.waitForFunction((s) => location.hash === `#${s}`, t);
  await page.reload();
  await page.waitForFunction((s) => document.body.dataset.step === String(s), t);
  assert.ok(await page.isHidden('#candidates-box'));
  await expectMarks(wrong);
  assert.equal(await page.textContent('#practice-summary'), summary);

  // Put right: editing clears a mark, and the check solves the step.
  for (const key of wrong.keys()) await page.fill(`[data-cell="${key}"]`, String(cells.find((c) => c.key === key).answer));
  assert.equal(await page.getAttribute('[data-cell="est:2"]', 'data-verdict'), null);
  await page.click('#practice-check');
  await expectMarks(new Map());
  assert.match(await page.textContent('#practice-result'), /Krok rozwiązany!$/);
  assert.equal(await page.textContent('#practice-summary'), 'Postępy: 1 krok rozwiązany z 30; 0 błędnych pól przy ostatnich sprawdzeniach.');
  assert.equal(await page.textContent('#practice-solved'), `Rozwiązane kroki: ${t}.`);
  assert.equal(await page.$$eval('#order-box .order-solved:not([hidden])', (els) => els.length), 1);
  assert.equal(await page.$$eval('[data-derivation-of]', (els) => els.length), 0);

  // Only the changed rows, estimates as sums: other cells.
  const previous = fixture.trace.steps.findLastIndex((s, i) => s && i < t - 1);
  const before = fixture.trace.steps[previous].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const now = fixture.trace.steps[t - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const changed = now.filter((r, i) => r[7] !== before[i][7] || r[8] !== before[i][8]).map((r) => r[0]);
  await page.check('input[name="practice-rows"][value="changed"]');
  await page.uncheck('input[name="practice-ask"][value="terms"]');
  assert.deepEqual(Object.keys(await marks(page)).sort(), expectedCells(t, { rows: changed, terms: false }).map((c) => c.key).sort());

  // Reset forgets everything typed.
  await page.click('#practice-reset');
  assert.equal(await page.textContent('#practice-summary'), 'Postępy: 0 kroków rozwiązanych z 30; 0 błędnych pól przy ostatnich sprawdzeniach.');
  assert.ok(Object.values(await marks(page)).every(([verdict, , value]) => verdict === '' && value === ''));
  await page.reload();
  await page.waitForFunction((s) => document.body.dataset.step === String(s), t);
  assert.ok(Object.values(await marks(page)).every(([, , value]) => value === ''));

  // Off again: the answers are back, no cell is asked.
  await page.click('#practice-switch');
  assert.ok(await page.isVisible('#candidates-box'));
  assert.equal(await page.$$eval('[data-cell]', (els) => els.length), 0);
  assert.ok(requests.every((url) => url.startsWith('file:')), requests.join(' '));
  assert.deepEqual(errors, []);
});

test('ta71: practice pages the table, the positions and the places; Enter turns the page, steps go on', async () => {
  const ta71 = makePage('bench/instances/ta71.txt', 'ta71', { trace: false });
  fixture.folders.push(ta71.folder);
  const { page, errors } = await watchedPage(fixture.browser.context);
  const t = 1001;
  await page.goto(`file://${ta71.page}#${t}`);
  await practiceOn(page);
  const steps = JSON.parse(fs.readFileSync(ta71.data, 'utf8')).steps, c = steps[t - 1].estimates.length;
  assert.ok(c > 40, 'a step with three pages of positions');
  // A page of 50 rows, of 20 positions and of 20 places of the sequence.
  const shown = 2 * 50 + 3 * 20 + 1 + 20;
  assert.equal(await page.$$eval('[data-cell]', (els) => els.length), shown);
  assert.equal(await page.textContent('#practice-rows-shown'), 'wiersze 1–50 z 2000');
  assert.equal(await page.textContent('#practice-positions-shown'), `pozycje 1–20 z ${c}`);
  assert.equal(await page.textContent('#practice-places-shown'), `miejsca 1–20 z ${c}`);
  const r = await page.$$eval('[data-cell^="R:"]', (els) => els.map((e) => e.dataset.cell));
  await page.focus(`[data-cell="${r[49]}"]`);
  await page.keyboard.press('Enter');
  assert.equal(await page.textContent('#practice-rows-shown'), 'wiersze 51–100 z 2000');
  const focused = await page.evaluate(() => document.activeElement.dataset.cell);
  assert.match(focused, /^R:\d+$/);
  assert.ok(!r.includes(focused));
  // Enter goes on to the next position on the next page, and back.
  await page.focus('[data-cell="est:20"]');
  await page.keyboard.press('Enter');
  assert.equal(await page.textContent('#practice-positions-shown'), `pozycje 21–40 z ${c}`);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), 'head:21');
  await page.keyboard.press('Shift+Enter');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), 'est:20');
  await page.click('#practice-places-next');
  assert.equal(await page.$eval('#practice-sequence input', (i) => i.dataset.cell), 'seq:21');
  await page.click('#practice-check');
  assert.equal(await page.$$eval('[data-cell][data-verdict="wrong"]', (els) => els.length), shown);
  assert.equal(await page.$$eval('[data-derivation-of]', (els) => els.length), 0, 'checking empty cells gives no answer away');
  await page.click('#practice-show');
  assert.equal(await page.$$eval('[data-derivation-of]', (els) => els.length), shown);
  await page.click('#practice-heading');
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction((s) => document.body.dataset.step === String(s), t + 1);
  assert.equal(await page.textContent('#practice-heading'), `Ćwiczenie: krok ${t + 1}`);
  assert.equal(await page.$$eval('[data-cell][data-verdict]', (els) => els.length), 0);
  assert.equal(await page.textContent('#practice-positions-shown'), `pozycje 1–20 z ${steps[t].estimates.length}`);
  assert.deepEqual(errors, []);
});

test('ft06 by link: the parts and steps asked, nothing they ask shown, Tab in the order of Enter, answers only when asked for', async () => {
  const { page, errors } = await watchedPage(fixture.browser.context);
  page.on('dialog', (d) => d.accept());
  const from = 20, to = 22;
  await page.goto(`file://${fixture.ft06.page}?practice&ask=uv,topo,links,pos&steps=${from}-${to}`);
  await page.waitForFunction((s) => document.body.dataset.step === String(s), from);
  assert.equal(await page.getAttribute('#practice-switch', 'aria-pressed'), 'true');
  assert.ok(await page.isHidden('#table-panel'), 'the topological line of the step\'s table');
  assert.doesNotMatch(await page.textContent('#subtitle'), /Cmax/);

  // The cells, in the order of entry: from the trace's table and the run.
  const expected = (t) => {
    const rows = fixture.trace.steps[t - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
    const step = fixture.data.steps[t - 1], sequence = [];
    for (const s of fixture.data.steps.slice(0, t - 1)) if (s.machine === step.machine) sequence.splice(s.position - 1, 0, s.op);
    return [...fixture.trace.steps[t - 1].topo.map((k, i) => [`topo:${i + 1}`, k]), ...rows.flatMap((r) => [[`NM:${r[0]}`, r[5]], [`PM:${r[0]}`, r[6]]]),
      ...step.estimates.flatMap((_, i) => [[`u:${i + 1}`, sequence[i - 1] ?? 0], [`v:${i + 1}`, sequence[i] ?? 0]]), ['pos', step.position]];
  };
  const cells = expected(from);
  assert.deepEqual(await page.$$eval('[data-cell]', (els) => els.map((e) => e.dataset.cell).sort()), cells.map(([key]) => key).sort());
  // The rows in the operations' order, R and Q given; the estimates given.
  const table = await page.$$eval('#practice-table tbody tr:not([hidden])', (trs) => trs.map((tr) => [...tr.cells].map((td) => td.textContent)));
  const rows = fixture.trace.steps[from - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t'));
  assert.deepEqual(table.map((r) => [r[0], r[7], r[8]]), rows.map((r) => [r[0], r[7], r[8]]));
  const estimates = await page.$$eval('#practice-candidates tbody tr:not([hidden])', (trs) => trs.map((tr) => Number(tr.cells[6].textContent)));
  assert.deepEqual(estimates, fixture.data.steps[from - 1].estimates);
  // The graph before the step: no R and Q, no path, nothing added.
  await page.locator('#graph-panel').scrollIntoViewIfNeeded();
  await page.waitForSelector('svg[data-view="graph"] [data-inserted]');
  const graph = await page.$eval('svg[data-view="graph"]', (svg) => ({
    rq: svg.querySelectorAll('.rq').length, marked: svg.querySelectorAll('[data-critical], [data-added], [data-removed]').length,
    inserted: svg.querySelector('[data-inserted]')?.dataset.op, unplaced: svg.querySelector('[data-inserted]')?.hasAttribute('data-unplaced'),
    machine: [...svg.querySelectorAll('[data-kind="machine"]')].map((a) => a.dataset.arc).sort(),
  }));
  const arcs = rows.filter((r) => r[5] !== '0').map((r) => `${r[0]}-${r[5]}`).sort();
  assert.deepEqual(graph, { rq: 0, marked: 0, inserted: String(fixture.data.steps[from - 1].op), unplaced: true, machine: arcs });

  // Tab goes the way Enter does, then to the check.
  await page.focus('[data-cell="topo:1"]');
  const visited = [];
  for (let i = 0; i < cells.length; ++i) {
    visited.push(await page.evaluate(() => document.activeElement.dataset.cell));
    await page.keyboard.press('Tab');
  }
  assert.deepEqual(visited, cells.map(([key]) => key));
  assert.equal(await page.evaluate(() => document.activeElement.id), 'practice-check');

  // Checked empty: every cell wrong, no answer shown, the focus on the first.
  await page.keyboard.press('Enter');
  assert.equal(await page.$$eval('[data-cell][data-verdict="wrong"].blank', (els) => els.length), cells.length);
  assert.equal(await page.$$eval('[data-derivation-of]', (els) => els.length), 0);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), 'topo:1');
  // A number wrong is explained, one that is no whole number gets a hint.
  await page.keyboard.type(String(cells[0][1] + 1));
  await page.focus('[data-cell="topo:2"]');
  await page.keyboard.type('23.0');
  assert.match(await page.textContent('#practice-hint'), /liczbę całkowitą/);
  await page.click('#practice-check');
  assert.deepEqual(await page.$$eval('[data-derivation-of]', (els) => els.map((e) => e.dataset.derivationOf)), ['topo:1']);
  assert.match(await page.textContent('#practice-result'), /nie jest liczbą całkowitą/);
  await page.click('#practice-show');
  assert.equal(await page.$$eval('[data-derivation-of]', (els) => els.length), cells.length);

  // Solved, the focus goes on to the next step of the exercise, its first cell.
  for (const [key, answer] of cells) await page.fill(`[data-cell="${key}"]`, String(answer));
  await page.click('#practice-check');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'practice-next-step');
  await page.keyboard.press('Enter');
  await page.waitForFunction((s) => document.body.dataset.step === String(s), from + 1);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.cell), 'topo:1');
  assert.match(await page.textContent('#practice-summary'), /^Postępy: 1 krok rozwiązany z 3;/);

  // Outside the exercise's steps nothing is asked.
  await page.click('#practice-heading');
  for (let t = from + 2; t <= to; ++t) await page.keyboard.press('ArrowRight');
  assert.equal(await page.$$eval('[data-cell]', (els) => els.length), expected(to).length);
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction((s) => document.body.dataset.step === String(s), to + 1);
  assert.equal(await page.$$eval('[data-cell]', (els) => els.length), 0);
  assert.match(await page.textContent('#practice-empty'), new RegExp(`^Krok ${to + 1} nie należy do ćwiczenia \\(kroki ${from}–${to}\\)`));

  // The link copied is the exercise's, at the step shown; a file's page says it stays on this computer.
  await page.evaluate(() => Object.defineProperty(navigator, 'clipboard', { value: { writeText: async (text) => { window.copied = text; } } }));
  await page.click('#practice-link');
  assert.equal(await page.evaluate(() => window.copied), `file://${fixture.ft06.page}?practice&ask=links,topo,uv,pos&steps=${from}-${to}#${to + 1}`);
  assert.ok(await page.isVisible('#practice-link-local'));
  await page.click('#practice-reset');
  assert.deepEqual(errors, []);
});
