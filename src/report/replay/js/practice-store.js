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

// The practice of one instance, under `prefix` (progressKey of practice.js).
// records: step -> { a: { key: text }, v: { key: verdict }, solved, wrong }.
// save() and the others return false when the browser refused.
export function openProgress(prefix) {
  const store = storage();
  const stepKey = (t) => prefix + ".step." + t;
  const records = {};
  let options = null;
  try {
    for (let i = 0; store && i < store.length; ++i) {
      const key = store.key(i);
      if (key.startsWith(prefix + ".step.")) records[key.slice(prefix.length + 6)] = JSON.parse(store.getItem(key));
    }
    options = JSON.parse(store?.getItem(prefix + ".options") || "null");
  } catch (e) {
    // What cannot be read is not there.
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
      records[t] = record;
      return write(stepKey(t), record);
    },
    reset() {
      let ok = true;
      for (const t of Object.keys(records)) {
        ok = write(stepKey(t), null) && ok;
        delete records[t];
      }
      return ok;
    },
  };
}
