// Small browser helpers shared by the panels.

export const byId = (id) => document.getElementById(id);

// Writes an element's text (or number) only when it changes: writing it
// again, even the same, makes the browser lay it out again.
export function setText(element, text) {
  text = String(text);
  if (element.textContent !== text) element.textContent = text;
}

// Hands the browser a file of the page's own to save.
export function download(name, blob) {
  const a = document.createElement("a");
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

// Puts `text` on the clipboard; true when that worked. Pages opened from a
// file may not have the clipboard API, so the old way is the fallback.
export async function copyText(text) {
  try {
    await navigator.clipboard.writeText(text);
    return true;
  } catch (err) {
    const ta = document.createElement("textarea");
    ta.value = text;
    document.body.appendChild(ta);
    ta.select();
    let ok;
    try {
      ok = document.execCommand("copy");
    } catch (err2) {
      ok = false;
    }
    ta.remove();
    return ok;
  }
}

// A name safe for a saved file: letters, digits, '_', '.' and '-'.
export const safeFileName = (name) => name.replace(/[^A-Za-z0-9_.-]/g, "_");
