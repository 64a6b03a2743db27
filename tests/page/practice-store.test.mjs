// Practice kept in the browser's storage, read back whatever another page,
// an older version or a hand in the developer tools left there: records of
// the wrong shape are skipped, and the good ones around them still load.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { practiceOptions, summarize } from '../../src/report/replay/js/practice.js';
import { openProgress } from '../../src/report/replay/js/practice-store.js';

// A record as JSON sees it (stored maps have no prototype).
const plain = (record) => JSON.parse(JSON.stringify(record));

// localStorage's interface over a Map.
function fakeStorage(entries) {
  const map = new Map(entries);
  return {
    get length() { return map.size; },
    key: (i) => [...map.keys()][i] ?? null,
    getItem: (k) => (map.has(k) ? map.get(k) : null),
    setItem: (k, v) => map.set(k, String(v)),
    removeItem: (k) => map.delete(k),
  };
}

test('stored records of the wrong shape are skipped, the others load', () => {
  const p = 'jobshop-replay.practice.x';
  const good = { a: { 'R:1': '5', pos: '2' }, v: { 'R:1': 'ok', pos: 'wrong' }, solved: false, wrong: 1, cells: 2 };
  const stored = [
    // A name the map's prototype has: it must not become the records'.
    [`${p}.step.__proto__`, JSON.stringify({ 1: { solved: true, wrong: 0, cells: 3 } })],
    [`${p}.step.1`, '{not json'],
    [`${p}.step.2`, JSON.stringify(good)],
    [`${p}.step.3`, JSON.stringify({ a: 'x', v: 7, solved: 'yes', wrong: {}, cells: { n: 1 } })],
    [`${p}.step.4`, 'null'],
    [`${p}.step.5`, JSON.stringify([1, 2])],
    [`${p}.step.6`, JSON.stringify({ a: { 'R:1': 3, 'Q:1': '4' }, v: { 'R:1': 'maybe' }, solved: true, wrong: 2, cells: 2 })],
    [`${p}.step.07`, JSON.stringify(good)],
    [`${p}.step.8`, JSON.stringify({ ...good, solved: true, wrong: 0, cells: 5 })],
    [`${p}.options`, JSON.stringify({ rows: 'changed', estimates: 42, extra: 1 })],
  ];
  globalThis.window = { localStorage: fakeStorage(stored) };
  try {
    const progress = openProgress(p);
    const steps = [...progress.records.keys()].sort((a, b) => a - b);
    assert.deepEqual(steps, [2, 3, 6, 8]);
    assert.deepEqual(plain(progress.records.get(2)), good);
    // What can be kept of a record is kept: answers that are texts,
    // verdicts that are verdicts; a check that does not add up is none.
    assert.deepEqual(plain(progress.records.get(3)), { a: {}, v: {} });
    assert.deepEqual(plain(progress.records.get(6)), { a: { 'Q:1': '4' }, v: {} });
    assert.deepEqual(summarize(progress.records), { solved: 1, wrong: 1, checked: 2 });
    assert.equal(progress.records.get(9), undefined);
    assert.deepEqual(practiceOptions(progress.options), { rows: 'changed', ask: ['rq', 'terms', 'est', 'pos', 'seq'], range: null });
    // Words kept as text; those of an older page's choice of estimates.
    assert.deepEqual(practiceOptions({ ask: 'pos,uv', rows: 'x' }), { rows: 'all', ask: ['uv', 'pos'], range: null });
    assert.deepEqual(practiceOptions({ ask: 'rq,nope' }).ask, ['rq', 'terms', 'est', 'pos', 'seq']);
    assert.deepEqual(practiceOptions({ ask: '' }).ask, []);
    assert.deepEqual(practiceOptions({ estimates: 'sum' }).ask, ['rq', 'est', 'pos', 'seq']);
    // Saved and reset as before.
    assert.ok(progress.save(9, good));
    assert.deepEqual(plain(openProgress(p).records.get(9)), good);
    // Reset forgets every record of the instance, the unreadable ones too.
    assert.ok(progress.reset());
    const storage = globalThis.window.localStorage;
    const left = Array.from({ length: storage.length }, (_, i) => storage.key(i));
    assert.deepEqual(left, [`${p}.options`]);
  } finally {
    delete globalThis.window;
  }
});
