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

// An element's data-t-n is the count of its counted keys.
const countOf = (el) => (el.dataset.tN === undefined ? undefined : { n: Number(el.dataset.tN) });

export function applyTexts(root, tr) {
  for (const el of root.querySelectorAll("[data-t]")) el.textContent = tr.t(el.dataset.t, countOf(el));
  for (const el of root.querySelectorAll("[data-t-title]")) el.title = tr.t(el.dataset.tTitle, countOf(el));
  for (const el of root.querySelectorAll("[data-t-aria-label]")) {
    el.setAttribute("aria-label", tr.t(el.dataset.tAriaLabel, countOf(el)));
  }
  // Written only on a change: it restyles the whole document.
  if (document.documentElement.lang !== tr.lang) document.documentElement.lang = tr.lang;
}
