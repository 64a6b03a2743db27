// Explaining the numbers: the chosen candidate always in view, the
// candidate table copied, the insertion order leading to steps, all steps
// saved as CSV, and a message for a step or operation number that names
// none.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { test } from 'node:test';
import { makePage, stepOf, watchedPage, withFt06 } from './support.mjs';

const fixture = withFt06();

test('ft06: numbers that name no step or operation say so; the insertion order leads to steps', async () => {
  const { page, errors } = await watchedPage(fixture.browser.context);
  await page.goto(`file://${fixture.ft06.page}#40`);
  assert.equal(await stepOf(page), 1);
  assert.equal(await page.textContent('#nav-message'), 'Nie ma kroku 40: kroki mają numery od 1 do 36.');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.textContent('#nav-message'), '');
  for (const typed of ['999', '0']) {
    await page.fill('#step-input', typed);
    await page.press('#step-input', 'Enter');
    assert.equal(await stepOf(page), 2, typed);
    assert.equal(await page.inputValue('#step-input'), '2');
    assert.equal(await page.textContent('#nav-message'), `Nie ma kroku ${typed}: kroki mają numery od 1 do 36.`);
  }
  await page.evaluate(() => { location.hash = '#37'; });
  await page.waitForFunction(() => document.getElementById('nav-message').textContent.includes('37'));
  assert.equal(await stepOf(page), 2);

  // An operation: typed into the order's field, clicked in the list, and
  // inspected in the chart.
  const stepOfOp = (op) => fixture.data.steps.findIndex((s) => s.op === op) + 1;
  await page.fill('#goto-op', '37');
  await page.press('#goto-op', 'Enter');
  assert.equal(await page.textContent('#goto-message'), 'Nie ma operacji 37: operacje mają numery od 1 do 36.');
  assert.equal(await stepOf(page), 2);
  await page.fill('#goto-op', '27');
  await page.press('#goto-op', 'Enter');
  assert.equal(await stepOf(page), stepOfOp(27));
  assert.equal(await page.textContent('#goto-message'), '');
  // The list is the run's order; the step's operation is marked, and a
  // click on another one goes to its step.
  assert.deepEqual((await page.textContent('#insertion-order')).trim().split(/\s+/).map(Number), fixture.data.order);
  const place = (i) => page.evaluate((i) => {
    const text = document.getElementById('insertion-order').firstChild, numbers = [...text.data.matchAll(/\d+/g)];
    const range = document.createRange();
    range.setStart(text, numbers[i].index);
    range.setEnd(text, numbers[i].index + numbers[i][0].length);
    const r = range.getBoundingClientRect(), m = document.getElementById('order-marker').getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2, marked: m.left <= r.left && m.right >= r.right && m.top <= r.top && m.bottom >= r.bottom };
  }, i);
  assert.ok((await place(stepOfOp(27) - 1)).marked);
  const fifth = await place(4);
  assert.ok(!fifth.marked);
  await page.mouse.click(fifth.x, fifth.y);
  await page.waitForFunction(() => document.body.dataset.step === '5');
  assert.ok((await place(4)).marked);
  await page.fill('#inspect', '99');
  assert.equal(await page.textContent('#inspect-out'), 'Nie ma operacji 99: operacje mają numery od 1 do 36.');
  await page.fill('#inspect', '5');
  assert.match(await page.textContent('#inspect-out'), /^Operacja 5 \(zadanie 1, /);
  assert.deepEqual(errors, []);
});

// The copied candidate table of a tie: its header, the program's estimates,
// terms that add up to them and come from the trace's R and Q, the marks.
test('ft06: the candidate table is copied with its terms', async () => {
  await fixture.browser.context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const { page, errors } = await watchedPage(fixture.browser.context);
  const t = 21, step = fixture.data.steps[t - 1];
  await page.goto(`file://${fixture.ft06.page}#${t}`);
  assert.match(await page.textContent('#candidates tr.chosen'), /max\(R\[PO\]=R\[\d+\]=\d+, R\[u\]=R\[\d+\]=\d+\) = \d+/);
  await page.click('#copy-candidates');
  await page.waitForFunction(() => document.getElementById('copy-candidates-status').textContent !== '');
  const text = await page.evaluate(() => navigator.clipboard.readText());
  const [header, ...rows] = text.split('\n');
  assert.equal(rows.pop(), '', 'every line ends in LF');
  assert.equal(header, 'poz.\tu\tv\tPO\tR[PO]\tR[u]\tmax(R[PO], R[u])\tp\tNO\tQ[NO]\tQ[v]\tmax(Q[NO], Q[v])\toszacowanie\tuwagi');
  const table = fixture.trace.steps[t - 1].table.trim().split('\n').slice(1).map((l) => l.split('\t').map(Number));
  const R = [0, ...table.map((r) => r[7])], Q = [0, ...table.map((r) => r[8])];
  assert.deepEqual(rows.map((r) => Number(r.split('\t')[12])), step.estimates);
  for (const row of rows) {
    const [b, u, v, po, rPO, rU, head, p, no, qNO, qV, tail, estimate, mark] = row.split('\t');
    assert.deepEqual([rPO, rU, qNO, qV].map(Number), [R[po], R[u], Q[no], Q[v]], row);
    assert.equal(Number(head), Math.max(R[po], R[u]));
    assert.equal(Number(head) + Number(p) + Number(tail), Number(estimate));
    assert.equal(mark, Number(b) === step.position ? 'wybrana, remis' : Number(estimate) === Number(rows[step.position - 1].split('\t')[12]) ? 'remis' : '');
  }
  assert.deepEqual(errors, []);
});

test('ft06: all steps are saved as CSV', async () => {
  const { page, errors } = await watchedPage(fixture.browser.context);
  await page.goto(`file://${fixture.ft06.page}?lang=en#3`);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-csv')]);
  assert.equal(download.suggestedFilename(), 'ft06_steps.csv');
  const lines = fs.readFileSync(await download.path(), 'utf8').split('\r\n');
  assert.equal(lines[0], 'step,op,job,machine,p,PO,NO,positions,position,u,v,head,tail,estimate,ties,estimates,sequence,makespan');
  assert.equal(lines.length, fixture.data.steps.length + 2);
  assert.equal(lines.pop(), '');
  assert.equal(lines[lines.length - 1].split(',').pop(), String(fixture.trace.cmax));
  assert.deepEqual(errors, []);
});

// Jumps to 100 steps of ta71 (machines of up to 100 operations) as typed
// numbers do, and checks in the first frame after each that the chosen row
// is drawn and lies between the table's header and the box's bottom.
test('ta71: the chosen candidate is in view in the frame after a jump', async () => {
  const ta71 = makePage('bench/instances/ta71.txt', 'ta71', { trace: false });
  fixture.folders.push(ta71.folder);
  const { page, errors } = await watchedPage(fixture.browser.context);
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
