// The parts of the practice panel that hold the cells' inputs: the step's
// table (R and Q), the candidate positions (the max terms and the
// estimates), the chosen position and the machine's sequence after the
// insertion. A long part comes in pages, so that a step lays out a bounded
// number of inputs however large the instance; the cells asked on other
// pages are one Enter or one button away.
//
// A part is { covers(key), render(s), reveal(key) }: render(s) shows the
// page shown of step s (practice.js's practiceStep), binding its cells
// through `cells` (practice-inputs.js); reveal(key) turns to the page that
// holds cell `key` and says whether it turned.

import { byId, setText } from "./dom.js";
import { cellLabel } from "./practice.js";

// Rows of the step's table, candidate positions and places of the sequence
// shown at a time: a page of each is what a step lays out.
const PAGE_SIZES = { rows: 50, positions: 20, places: 20 };

const td = (tr) => tr.appendChild(document.createElement("td"));
// A key's kind (before the colon, if any) and its number (after it).
const kindOf = (key) => key.split(":", 1)[0];
const argOf = (key) => Number(key.slice(key.indexOf(":") + 1));

// A part's pages of `size` items: the pager's buttons and its line
// ("rows 51–100 of 2000"), `textKey` the line's text.
function createPager(page, ids, textKey, size, onTurn) {
  const box = byId(ids.pager), prev = byId(ids.prev), next = byId(ids.next), line = byId(ids.line);
  let at = 0;
  prev.onclick = () => onTurn(at - 1);
  next.onclick = () => onTurn(at + 1);
  return {
    // The items of the page shown, [first, end), of `n` items.
    show(n, turnTo = at) {
      at = Math.max(0, Math.min(turnTo, Math.ceil(n / size) - 1));
      const first = at * size, end = Math.min(n, first + size);
      box.hidden = n <= size;
      if (!box.hidden) {
        setText(line, page.tr.t(textKey, { from: first + 1, to: end, n }));
        prev.disabled = at === 0;
        next.disabled = end >= n;
      }
      return [first, end];
    },
    pageOf: (i) => Math.floor(i / size),
    get at() { return at; },
    reset() { at = 0; },
  };
}

// A part that comes in pages: `items(s)` the part's items at step s,
// `indexOf(s, key)` the item of a cell's key, `write(s, first, end)` binds
// the page's items; `turned()` follows a turn of the page.
export function pagedPart(page, cells, turned, { kinds, ids, textKey, size, items, indexOf, write }) {
  let shown = null;
  const covers = (key) => kinds.includes(kindOf(key));
  const render = (s, turnTo) => {
    shown = s;
    const [first, end] = pager.show(items(s), turnTo);
    write(s, first, end);
  };
  const turn = (to) => {
    cells.render(covers, () => render(shown, to));
    turned();
  };
  const pager = createPager(page, ids, textKey, size, turn);
  return {
    covers,
    // A step (or the same step asked anew) starts at the first page.
    render(s) {
      if (shown !== s) pager.reset();
      render(s);
    },
    reveal(key) {
      const to = pager.pageOf(indexOf(shown, key));
      if (to === pager.at) return false;
      turn(to);
      return true;
    },
  };
}

// The step's table: the trace's columns, with R and Q as inputs where asked
// and as values elsewhere, in topological order.
function tablePart(page, cells, turned) {
  const { M, P, NO, PO } = page.replay;
  const body = byId("practice-table").tBodies[0], rows = [];
  body.replaceChildren();
  const rowAt = (i) => {
    while (rows.length <= i) {
      const tr = body.appendChild(document.createElement("tr")), tds = [];
      for (let c = 0; c < 9; ++c) tds.push(td(tr));
      rows.push({ tr, tds, inputs: [cells.make(), cells.make()] });
    }
    return rows[i];
  };
  return pagedPart(page, cells, turned, {
    kinds: ["R", "Q"],
    ids: { pager: "practice-pager", prev: "practice-prev", next: "practice-next", line: "practice-rows-shown" },
    textKey: "practice.rows-page", size: PAGE_SIZES.rows,
    items: (s) => s.order.length,
    indexOf: (s, key) => s.rank[argOf(key)],
    write(s, first, end) {
      const { order, askedOps, links, view } = s;
      const { R, Q } = view.before;
      for (let i = 0; i < end - first; ++i) {
        const row = rowAt(i), k = order[first + i];
        row.tr.hidden = false;
        const cls = k === view.step.op ? "inserted" : "";
        if (row.tr.className !== cls) row.tr.className = cls;
        const values = [k, M[k], P[k], NO[k], PO[k], links.NM[k], links.PM[k]];
        for (let c = 0; c < 7; ++c) setText(row.tds[c], values[c]);
        ["R", "Q"].forEach((letter, j) => {
          const cell = row.tds[7 + j], key = letter + ":" + k, input = row.inputs[j];
          if (!askedOps || askedOps.has(k)) {
            if (input.parentNode !== cell) cell.replaceChildren(input);
            cells.bind(input, key, cellLabel(s, key, page.tr));
          } else {
            if (input.parentNode === cell) input.remove();
            setText(cell, (letter === "R" ? R : Q)[k]);
          }
        });
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// The candidate positions: neighbours and p given, the max terms (where
// asked) and the estimate to fill in.
function candidatesPart(page, cells, turned) {
  const table = byId("practice-candidates"), body = table.tBodies[0], rows = [];
  body.replaceChildren();
  const rowAt = (i) => {
    while (rows.length <= i) {
      const tr = body.appendChild(document.createElement("tr")), tds = [];
      for (let c = 0; c < 7; ++c) tds.push(td(tr));
      const made = { tr, tds, head: cells.make(), tail: cells.make(), est: cells.make() };
      tds[3].append(made.head);
      tds[5].append(made.tail);
      tds[6].append(made.est);
      rows.push(made);
    }
    return rows[i];
  };
  return pagedPart(page, cells, turned, {
    kinds: ["head", "tail", "est"],
    ids: { pager: "practice-positions-pager", prev: "practice-positions-prev", next: "practice-positions-next", line: "practice-positions-shown" },
    textKey: "practice.positions-page", size: PAGE_SIZES.positions,
    items: (s) => s.view.step.estimates.length,
    indexOf: (s, key) => argOf(key) - 1,
    write(s, first, end) {
      const v = s.view, row = v.rowsBefore[v.step.machine], terms = s.words.has("terms");
      const bind = (input, key) => cells.bind(input, key, cellLabel(s, key, page.tr));
      table.classList.toggle("sum-only", !terms);
      for (let i = 0; i < end - first; ++i) {
        const r = rowAt(i), b = first + i + 1;
        r.tr.hidden = false;
        setText(r.tds[0], b);
        setText(r.tds[1], b >= 2 ? row[b - 2] : 0);
        setText(r.tds[2], b <= row.length ? row[b - 1] : 0);
        setText(r.tds[4], page.replay.P[v.step.op]);
        if (terms) for (const part of ["head", "tail"]) bind(r[part], part + ":" + b);
        bind(r.est, "est:" + b);
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// The machine's sequence after the insertion, place by place.
function sequencePart(page, cells, turned) {
  const box = byId("practice-sequence"), places = [];
  box.replaceChildren();
  return pagedPart(page, cells, turned, {
    kinds: ["seq"],
    ids: { pager: "practice-places-pager", prev: "practice-places-prev", next: "practice-places-next", line: "practice-places-shown" },
    textKey: "practice.places-page", size: PAGE_SIZES.places,
    items: (s) => s.view.rowsAfter[s.view.step.machine].length,
    indexOf: (s, key) => argOf(key) - 1,
    write(s, first, end) {
      while (places.length < end - first) {
        const label = box.appendChild(document.createElement("label")), number = document.createTextNode("");
        const input = cells.make();
        label.append(number, input);
        places.push({ label, number, input });
      }
      places.forEach(({ label, number, input }, i) => {
        label.hidden = i >= end - first;
        if (label.hidden) return;
        const place = first + i + 1;
        if (number.data !== place + ". ") number.data = place + ". ";
        cells.bind(input, "seq:" + place, cellLabel(s, "seq:" + place, page.tr));
      });
    },
  });
}

// The chosen position: one input, always shown.
function positionPart(page, cells) {
  const input = byId("practice-pos");
  return {
    covers: (key) => key === "pos",
    render(s) { cells.bind(input, "pos", cellLabel(s, "pos", page.tr)); },
    reveal: () => false,
  };
}

// The parts in the order the panel shows them; an evaluated step has all,
// a step on an empty machine the position and the sequence, a search
// iteration `searchParts` (search-practice-parts.js).
// `turned()` follows a turn of a part's page.
export function createPracticeParts(page, cells, turned, searchParts = []) {
  const table = tablePart(page, cells, turned), candidates = candidatesPart(page, cells, turned);
  const position = positionPart(page, cells), sequence = sequencePart(page, cells, turned);
  return {
    of: (view) => (view.search ? searchParts : view.evaluated ? [table, candidates, position, sequence] : [position, sequence]),
  };
}
