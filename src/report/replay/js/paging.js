// Laying a sheet's blocks out on pages of equal height, as paper wants
// them: a heading stays with what follows it, a table that fits on a page
// is not split, a longer one is split between rows (its header repeated by
// whoever draws the pieces). Only heights go in, so a worksheet and its key,
// whose blocks are equally high, break at the same places. No DOM.

// A table split at a page's foot keeps at least this many rows there.
const MIN_ROWS = 3;

// blocks: [{ h, glue, table }] in order; `h` is a block's height, `glue`
// keeps it on the page of the block after it, `table` (for a splittable
// block) is { head, extra, rows: [row heights] }: its header's height, what
// the table adds to its rows and header (borders), and each row's height.
// pageHeight: the height a page holds.
// Returns the pages, each a list of pieces { block, from, to }: block index,
// and for a table the rows from..to-1 it shows (whole: 0..rows.length).
export function layOutPages(blocks, pageHeight) {
  const pages = [];
  let page = [], used = 0;
  const newPage = () => {
    if (page.length) pages.push(page);
    page = [];
    used = 0;
  };
  const place = (block, h, from = 0, to = 0) => {
    page.push({ block, from, to });
    used += h;
  };
  const sum = (list, a, b) => list.slice(a, b).reduce((s, x) => s + x, 0);
  for (let i = 0; i < blocks.length;) {
    // The unit: the glued blocks and the one they lead to.
    let j = i;
    while (j < blocks.length - 1 && blocks[j].glue) ++j;
    const lead = sum(blocks.map((b) => b.h), i, j);
    const last = blocks[j];
    const placeLead = () => {
      for (let k = i; k < j; ++k) place(k, blocks[k].h);
    };
    if (!last.table) {
      if (used > 0 && used + lead + last.h > pageHeight) newPage();
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
    if (used > 0 && used + whole > pageHeight && whole <= pageHeight) newPage();
    if (used + whole <= pageHeight) {
      placeLead();
      place(j, piece(0, rows.length), 0, rows.length);
      i = j + 1;
      continue;
    }
    // Longer than a page: begin here when a few rows fit under the heading.
    if (used > 0 && fitting(0, pageHeight - used - lead) < Math.min(MIN_ROWS, rows.length)) newPage();
    placeLead();
    let from = 0;
    for (;;) {
      const n = Math.max(1, fitting(from, pageHeight - used));
      place(j, piece(from, from + n), from, from + n);
      from += n;
      if (from >= rows.length) break;
      newPage();
    }
    i = j + 1;
  }
  newPage();
  return pages;
}
