// The page's language: plural agreement, the choice of language, and string
// tables that cover every key the page uses in both languages.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { chooseLanguage, LANGUAGES, makeTranslator } from '../../src/report/replay/js/lang.js';
import { pageStrings } from '../../src/report/replay/js/strings.js';
import { graphStrings } from '../../src/report/replay/js/graph-strings.js';
import { explainStrings } from '../../src/report/replay/js/explain-strings.js';
import { practiceStrings } from '../../src/report/replay/js/practice-strings.js';
import { a11yStrings } from '../../src/report/replay/js/a11y-strings.js';
import { searchStrings } from '../../src/report/replay/js/search-strings.js';
import { HATCHES } from '../../src/report/replay/js/chart-scene.js';
import { pageModules } from './support.mjs';

test('counted nouns agree with their number', () => {
  const pl = makeTranslator('pl', [pageStrings]), en = makeTranslator('en', [pageStrings]);
  const cases = [
    [0, 'count.jobs', '0 zadań', '0 jobs'],
    [1, 'count.jobs', '1 zadanie', '1 job'],
    [2, 'count.jobs', '2 zadania', '2 jobs'],
    [4, 'count.machines', '4 maszyny', '4 machines'],
    [5, 'count.machines', '5 maszyn', '5 machines'],
    [11, 'count.operations', '11 operacji', '11 operations'],
    [12, 'count.operations', '12 operacji', '12 operations'],
    [14, 'count.steps', '14 kroków', '14 steps'],
    [21, 'count.steps', '21 kroków', '21 steps'],
    [22, 'count.steps', '22 kroki', '22 steps'],
    [24, 'count.operations', '24 operacje', '24 operations'],
    [25, 'count.jobs', '25 zadań', '25 jobs'],
    [101, 'count.machines', '101 maszyn', '101 machines'],
    [102, 'count.machines', '102 maszyny', '102 machines'],
    [112, 'count.jobs', '112 zadań', '112 jobs'],
    [2000, 'count.steps', '2000 kroków', '2000 steps'],
    [1234, 'count.operations', '1234 operacje', '1234 operations'],
  ];
  for (const [n, key, polish, english] of cases) {
    assert.equal(pl.count(n, key), polish);
    assert.equal(en.count(n, key), english);
  }
});

test('the address forces a language, else the remembered one, else Polish', () => {
  const cases = [
    ['', null, 'pl'], ['', 'en', 'en'], ['', 'de', 'pl'],
    ['?lang=en', null, 'en'], ['?lang=pl', 'en', 'pl'], ['?lang=en', 'pl', 'en'],
    ['?x=1&lang=en', null, 'en'], ['?lang=de', 'en', 'en'], ['?lang=', null, 'pl'],
  ];
  for (const [search, stored, lang] of cases) assert.equal(chooseLanguage(search, stored), lang, `${search} ${stored}`);
});

test('a key defined by two tables is refused', () => {
  assert.throws(() => makeTranslator('pl', [pageStrings, { pl: { 'nav.step': 'x' } }]), /nav\.step/);
});

// Both languages have every key, of the same kind (text or counted) with the
// same placeholders; every key the page's markup and modules name exists.
test('every key the page uses exists in both languages, alike', () => {
  const tables = [pageStrings, a11yStrings, graphStrings, explainStrings, practiceStrings, searchStrings];
  const strings = Object.fromEntries(LANGUAGES.map((lang) => [lang, Object.assign({}, ...tables.map((table) => table[lang]))]));
  const placeholders = (entry) => {
    const texts = typeof entry === 'string' ? [entry] : Object.values(entry);
    return [...new Set(texts.flatMap((s) => [...s.matchAll(/\{(\w+)\}/g)].map((m) => m[1])))].sort();
  };
  const [first, ...others] = LANGUAGES;
  for (const lang of others) {
    assert.deepEqual(Object.keys(strings[lang]).sort(), Object.keys(strings[first]).sort(), lang);
    for (const [key, entry] of Object.entries(strings[first])) {
      const other = strings[lang][key];
      assert.equal(typeof other, typeof entry, key);
      // A counted text may leave out {n} where the word says it ("every job").
      assert.deepEqual(placeholders(other).filter((p) => p !== 'n'), placeholders(entry).filter((p) => p !== 'n'), key);
    }
  }
  const namespaces = new Set(Object.keys(strings.pl).map((key) => key.split('.')[0]));
  const used = new Set();
  const replay = path.dirname(pageModules);
  for (const file of ['page.html', 'replay-body.html']) {
    const html = fs.readFileSync(path.join(replay, file), 'utf8');
    for (const m of html.matchAll(/data-t(?:-title|-aria-label)?="([^"]+)"/g)) used.add(m[1]);
  }
  for (const file of fs.readdirSync(pageModules).filter((f) => f.endsWith('.js') && !f.endsWith('strings.js'))) {
    const js = fs.readFileSync(path.join(pageModules, file), 'utf8');
    for (const m of js.matchAll(/"([a-z]+)\.([a-z0-9.-]*[a-z0-9])"/g)) if (namespaces.has(m[1])) used.add(m[1] + '.' + m[2]);
  }
  for (const hatch of HATCHES.slice(1)) used.add('legend.hatch.' + hatch);
  assert.ok(used.size > 50, `found only ${used.size} keys in the page`);
  for (const lang of LANGUAGES) {
    const tr = makeTranslator(lang, tables);
    assert.deepEqual([...used].filter((key) => !tr.has(key)), [], lang);
  }
});
