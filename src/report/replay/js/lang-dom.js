// The language in the document: texts of the elements marked with data-t
// (text), data-t-title and data-t-aria-label (attributes) and <html lang>,
// and the choice remembered in the browser.

const STORAGE_KEY = "jobshop-replay.lang";

// Storage can be switched off or refused (private windows, some file:
// pages); the page then simply does not remember.
export function storedLanguage() {
  try {
    return localStorage.getItem(STORAGE_KEY);
  } catch (e) {
    return null;
  }
}

export function rememberLanguage(lang) {
  try {
    localStorage.setItem(STORAGE_KEY, lang);
  } catch (e) {
    // Not remembered; the page works on.
  }
}

// An element's data-t-n is the count of its counted keys. One pass over
// the marked elements: this runs before the page's first layout.
export function applyTexts(root, tr) {
  for (const el of root.querySelectorAll("[data-t], [data-t-title], [data-t-aria-label]")) {
    const n = el.getAttribute("data-t-n");
    const vars = n === null ? undefined : { n: Number(n) };
    const text = el.getAttribute("data-t"), title = el.getAttribute("data-t-title"), label = el.getAttribute("data-t-aria-label");
    if (text !== null) el.textContent = tr.t(text, vars);
    if (title !== null) el.title = tr.t(title, vars);
    if (label !== null) el.setAttribute("aria-label", tr.t(label, vars));
  }
  // Written only on a change: it restyles the whole document.
  if (document.documentElement.lang !== tr.lang) document.documentElement.lang = tr.lang;
}
