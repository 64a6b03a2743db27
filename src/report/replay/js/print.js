// Printing: the windowed tables print every row, not only those in view.
// The browser announces a print (and a print to PDF) with beforeprint and
// a print preview with the print media query; both lead here.

import { showAllRows } from "./windowed-table.js";

export function followPrinting(signal) {
  const printing = (on) => showAllRows(on);
  window.addEventListener("beforeprint", () => printing(true), { signal });
  window.addEventListener("afterprint", () => printing(false), { signal });
  matchMedia("print").addEventListener("change", (e) => printing(e.matches), { signal });
}
