// Languages of the page: choosing one, plural forms, and texts from string
// tables. No DOM: the page applies what this gives (lang-dom.js).
//
// A string table is { pl: { key: entry }, en: { key: entry } }. An entry is a
// text with {name} placeholders, or, for a counted noun, an object of plural
// forms: Polish { one, few, many }, English { one, other }; its count is the
// placeholder {n}. Features bring tables of their own, so they add keys
// without touching anyone else's.

export const LANGUAGES = ["pl", "en"];
const DEFAULT_LANGUAGE = "pl";

// The plural form an integer count takes. Polish: 1 zadanie; 2-4, 22-24,
// 102-104 zadania; 0, 5-21, 25-31, 112-114 zadań.
function pluralForm(lang, n) {
  const a = Math.abs(n);
  if (lang === "pl") {
    if (a === 1) return "one";
    const d = a % 10, h = a % 100;
    return d >= 2 && d <= 4 && (h < 12 || h > 14) ? "few" : "many";
  }
  return a === 1 ? "one" : "other";
}

// `?lang=xx` in the address wins, then the remembered choice, then Polish.
export function chooseLanguage(search, stored) {
  const asked = new URLSearchParams(search || "").get("lang");
  if (LANGUAGES.includes(asked)) return asked;
  if (LANGUAGES.includes(stored)) return stored;
  return DEFAULT_LANGUAGE;
}

function fill(text, vars) {
  return text.replace(/\{(\w+)\}/g, (whole, name) => (vars && name in vars ? String(vars[name]) : whole));
}

// The texts of `lang` from the given tables. A key defined by two tables is
// a mistake that would make one of them lose silently, so it throws.
export function makeTranslator(lang, tables) {
  const entries = new Map();
  for (const table of tables) {
    for (const [key, entry] of Object.entries(table[lang] || {})) {
      if (entries.has(key)) throw new Error("string key defined twice: " + key);
      entries.set(key, entry);
    }
  }
  // A missing text shows its key, which a reader reports, rather than
  // breaking the page.
  const t = (key, vars) => {
    const entry = entries.get(key);
    if (entry === undefined) return key;
    if (typeof entry === "string") return fill(entry, vars);
    return fill(entry[pluralForm(lang, vars ? Number(vars.n) : 0)], vars);
  };
  // "5 zadań": a counted noun with its number.
  const count = (n, key) => t(key, { n });
  return { lang, t, count, has: (key) => entries.has(key) };
}
