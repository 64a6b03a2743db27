// A student's practice kept in the browser (localStorage): the options, and
// per step the answers typed, the verdicts of the latest check and whether
// it solved the step. Storage can be refused or full (private windows, some
// file: pages); the page then works on and says that it does not keep.

const MODE_KEY = "jobshop-replay.practice-mode";

function storage() {
  try {
    return window.localStorage;
  } catch (e) {
    return null;
  }
}

// Whether practice mode was on when the page was last left.
export function storedMode() {
  try {
    return storage()?.getItem(MODE_KEY) === "on";
  } catch (e) {
    return false;
  }
}

export function rememberMode(on) {
  try {
    storage()?.setItem(MODE_KEY, on ? "on" : "off");
  } catch (e) {
    // Not remembered.
  }
}

// Stored records are read defensively: another page, an older version or a
// hand in the developer tools may have left anything under the key. A
// record that is not an object is skipped; of one that is, only answers
// that are texts, verdicts that are verdicts and a check that adds up are
// kept. One bad record leaves the others alone.
const VERDICTS = new Set(["ok", "wrong"]);
const isObject = (x) => x !== null && typeof x === "object" && !Array.isArray(x);
const isCount = (x) => Number.isSafeInteger(x) && x >= 0;

// The entries of `from` whose values pass `keep`, in a map without a
// prototype (so that no key can reach one).
function entriesWhere(from, keep) {
  const map = Object.create(null);
  if (isObject(from)) for (const [key, value] of Object.entries(from)) if (keep(value)) map[key] = value;
  return map;
}

function readRecord(text) {
  let value;
  try {
    value = JSON.parse(text);
  } catch (e) {
    return null;
  }
  if (!isObject(value)) return null;
  const record = { a: entriesWhere(value.a, (x) => typeof x === "string"), v: entriesWhere(value.v, (x) => VERDICTS.has(x)) };
  const { solved, wrong, cells } = value;
  if (typeof solved === "boolean" && isCount(wrong) && isCount(cells) && wrong <= cells && solved === (wrong === 0)) {
    Object.assign(record, { solved, wrong, cells });
  }
  return record;
}

// The stored options as texts (practice.js knows which are options).
function readOptions(text) {
  try {
    const value = JSON.parse(text);
    return isObject(value) ? entriesWhere(value, (x) => typeof x === "string") : null;
  } catch (e) {
    return null;
  }
}

// The practice of one instance, under `prefix` (progressKey of practice.js).
// records: a Map from step numbers to { a: { key: text }, v: { key: verdict }
// } and, once checked, solved, wrong and cells of the latest check.
// save() and the others return false when the browser refused.
export function openProgress(prefix) {
  const store = storage();
  const stepPrefix = prefix + ".step.";
  const stepKey = (t) => stepPrefix + t;
  const records = new Map();
  let options = null;
  const keys = [];
  try {
    for (let i = 0; store && i < store.length; ++i) keys.push(store.key(i));
    options = readOptions(store?.getItem(prefix + ".options") ?? "null");
  } catch (e) {
    // What cannot be read is not there.
  }
  for (const key of keys) {
    const t = typeof key === "string" && key.startsWith(stepPrefix) ? key.slice(stepPrefix.length) : "";
    if (!/^[1-9]\d{0,8}$/.test(t)) continue;
    let record = null;
    try {
      record = readRecord(store.getItem(key));
    } catch (e) {
      // Left out, like an unreadable one.
    }
    if (record) records.set(Number(t), record);
  }
  const write = (key, value) => {
    try {
      if (value === null) store.removeItem(key);
      else store.setItem(key, JSON.stringify(value));
      return true;
    } catch (e) {
      return false;
    }
  };
  return {
    records,
    options,
    setOptions(o) {
      options = o;
      return write(prefix + ".options", o);
    },
    save(t, record) {
      records.set(t, record);
      return write(stepKey(t), record);
    },
    // Forgets every record under the prefix, those that could not be read too.
    reset() {
      const gone = new Set(keys.filter((key) => typeof key === "string" && key.startsWith(stepPrefix)));
      for (const t of records.keys()) gone.add(stepKey(t));
      let ok = true;
      for (const key of gone) ok = write(key, null) && ok;
      keys.length = 0;
      records.clear();
      return ok;
    },
  };
}
