// Laying a sheet's blocks out on pages of equal height, as paper wants
// them: a heading stays with what follows it, a table that fits on a page
// is not split, a longer one is split between rows (its header repeated by
// whoever draws the pieces), and the last page is not left nearly empty.
// Only heights go in, so a worksheet and its key, whose blocks are equally
// high, break at the same places. No DOM.

// A table split at a page's foot keeps at least this many rows there.
const MIN_ROWS = 3;
// A last page filled less than this is helped by the page before it.
const LEAST_LAST_PAGE = 0.25;

// blocks: [{ h, glue, table }] in order; `h` is a block's height, `glue`
// keeps it on the page of the block after it, `table` (for a splittable
// block) is { head, extra, rows: [row heights] }: its header's height, what
// the table adds to its rows and header (borders), and each row's height.
// pageHeight: the height a page holds.
// Returns the pages, each a list of pieces { block, from, to }: block index,
// and for a table the rows from..to-1 it shows (whole: 0..rows.length).
export function layOutPages(blocks, pageHeight) {
  // Each page: its pieces, the height used, and its units (the glued blocks
  // and the one they lead to), each { at, h, whole } from piece `at` on.
  const pages = [];
  let page = null;
  const newPage = () => {
    page = { pieces: [], used: 0, units: [] };
    pages.push(page);
  };
  newPage();
  const startUnit = (whole) => page.units.push({ at: page.pieces.length, h: 0, whole });
  const place = (block, h, from = 0, to = 0) => {
    page.pieces.push({ block, from, to });
    page.used += h;
    page.units[page.units.length - 1].h += h;
  };
  const sum = (list, a, b) => list.slice(a, b).reduce((s, x) => s + x, 0);
  for (let i = 0; i < blocks.length;) {
    let j = i;
    while (j < blocks.length - 1 && blocks[j].glue) ++j;
    const lead = sum(blocks.map((b) => b.h), i, j);
    const last = blocks[j];
    const placeLead = () => {
      for (let k = i; k < j; ++k) place(k, blocks[k].h);
    };
    if (!last.table) {
      if (page.used > 0 && page.used + lead + last.h > pageHeight) newPage();
      startUnit(true);
      placeLead();
      place(j, last.h);
      i = j + 1;
      continue;
    }
    const { head, extra, rows } = last.table;
    const piece = (a, b) => head + extra + sum(rows, a, b);
    // How many rows from `a` on fit in `room`.
    const fitting = (a, room) => {
      let b = a;
      while (b < rows.length && piece(a, b + 1) <= room) ++b;
      return b - a;
    };
    const whole = lead + piece(0, rows.length);
    if (page.used > 0 && page.used + whole > pageHeight && whole <= pageHeight) newPage();
    if (page.used + whole <= pageHeight) {
      startUnit(true);
      placeLead();
      place(j, piece(0, rows.length), 0, rows.length);
      i = j + 1;
      continue;
    }
    // Longer than a page: begin here when a few rows fit under the heading.
    if (page.used > 0 && fitting(0, pageHeight - page.used - lead) < Math.min(MIN_ROWS, rows.length)) newPage();
    startUnit(false);
    placeLead();
    let from = 0;
    for (;;) {
      const n = Math.max(1, fitting(from, pageHeight - page.used));
      place(j, piece(from, from + n), from, from + n);
      from += n;
      if (from >= rows.length) break;
      newPage();
      startUnit(false);
    }
    i = j + 1;
  }
  if (page.pieces.length === 0) pages.pop();
  // A nearly empty last page takes whole units from the foot of the page
  // before it, as long as they fit and that page keeps something.
  for (;;) {
    const [before, lastPage] = pages.slice(-2);
    if (!lastPage || lastPage.used >= LEAST_LAST_PAGE * pageHeight || before.units.length < 2) break;
    const unit = before.units.at(-1);
    if (!unit.whole || lastPage.used + unit.h > pageHeight) break;
    before.units.pop();
    const moved = before.pieces.splice(unit.at);
    lastPage.pieces.unshift(...moved);
    before.used -= unit.h;
    lastPage.used += unit.h;
    for (const u of lastPage.units) u.at += moved.length;
    lastPage.units.unshift({ ...unit, at: 0 });
  }
  return pages.map((p) => p.pieces);
}
