// The parts of the practice panel that hold the cells' inputs: the
// topological order, the step's table (NM, PM, R and Q), the candidate
// positions (u, v, the max terms and the estimates), the chosen position,
// the machine's sequence after the insertion and the makespan. A part shows
// what the step asks as inputs and the rest as given numbers, as a
// worksheet does. A long part comes in pages, so that a step lays out a
// bounded number of inputs however large the instance; the cells asked on
// other pages are one Enter or one button away.
//
// A part is { section, covers(key), render(s), reveal(key) }: render(s)
// shows the page shown of step s (practice.js's practiceStep), binding its
// cells through `cells` (practice-inputs.js); reveal(key) turns to the page
// that holds cell `key` and says whether it turned.

import { byId, setText } from "./dom.js";
import { cellLabel } from "./practice.js";

// Rows of the step's table, candidate positions and places of the
// sequence and the topological order shown at a time: a page of each is
// what a step lays out.
const PAGE_SIZES = { rows: 50, positions: 20, places: 20, topo: 50 };

const td = (tr) => tr.appendChild(document.createElement("td"));
// A key's kind (before the colon, if any) and its number (after it).
const kindOf = (key) => key.split(":", 1)[0];
const argOf = (key) => Number(key.slice(key.indexOf(":") + 1));

// Puts into `cell` either `input`, bound to cell `key`, or the given
// `value`.
export function inputOrValue(page, s, cells, cell, input, key, asked, value) {
  if (asked) {
    if (input.parentNode !== cell) cell.replaceChildren(input);
    cells.bind(input, key, cellLabel(s, key, page.tr));
  } else {
    if (input.parentNode === cell) input.remove();
    setText(cell, value);
  }
}

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
export function pagedPart(page, cells, turned, { section, kinds, ids, textKey, size, items, indexOf, write }) {
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
    section: byId(section),
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

// A list of operations place by place (the topological order, the
// machine's sequence after the insertion): "i. " and an input for each
// place asked, or the page's numbers in one line when given.
export function placesPart(page, cells, turned, { section, box, kind, word, ids, textKey, size, list }) {
  const element = byId(box), given = document.createElement("span"), places = [];
  element.replaceChildren(given);
  return pagedPart(page, cells, turned, {
    section, kinds: [kind], ids, textKey, size,
    items: (s) => list(s).length,
    indexOf: (s, key) => argOf(key) - 1,
    write(s, first, end) {
      const asked = s.words.has(word), n = asked ? end - first : 0;
      setText(given, asked ? "" : list(s).slice(first, end).join(" "));
      while (places.length < n) {
        const label = element.appendChild(document.createElement("label")), number = document.createTextNode("");
        const input = cells.make();
        label.append(number, input);
        places.push({ label, number, input });
      }
      places.forEach(({ label, number, input }, i) => {
        label.hidden = i >= n;
        if (label.hidden) return;
        const place = first + i + 1, key = kind + ":" + place;
        if (number.data !== place + ". ") number.data = place + ". ";
        cells.bind(input, key, cellLabel(s, key, page.tr));
      });
    },
  });
}

// The step's table: the trace's columns, NM, PM, R and Q as inputs where
// asked and as values elsewhere, in the order of practiceStep's table.
function tablePart(page, cells, turned) {
  const { M, P, NO, PO } = page.replay;
  const body = byId("practice-table").tBodies[0], rows = [];
  body.replaceChildren();
  const rowAt = (i) => {
    while (rows.length <= i) {
      const tr = body.appendChild(document.createElement("tr")), tds = [];
      for (let c = 0; c < 9; ++c) tds.push(td(tr));
      rows.push({ tr, tds, inputs: [cells.make(), cells.make(), cells.make(), cells.make()] });
    }
    return rows[i];
  };
  return pagedPart(page, cells, turned, {
    section: "practice-table-part",
    kinds: ["NM", "PM", "R", "Q"],
    ids: { pager: "practice-pager", prev: "practice-prev", next: "practice-next", line: "practice-rows-shown" },
    textKey: "practice.rows-page", size: PAGE_SIZES.rows,
    items: (s) => s.table.length,
    indexOf: (s, key) => s.rank[argOf(key)],
    write(s, first, end) {
      const { table, askedOps, links, view, words } = s;
      const { R, Q } = view.before;
      setText(byId("practice-table-order"), page.tr.t(words.has("topo") ? "practice.table.op-order" : "practice.table.topo-order"));
      for (let i = 0; i < end - first; ++i) {
        const row = rowAt(i), k = table[first + i];
        row.tr.hidden = false;
        const cls = k === view.step.op ? "inserted" : "";
        if (row.tr.className !== cls) row.tr.className = cls;
        const values = [k, M[k], P[k], NO[k], PO[k]];
        for (let c = 0; c < 5; ++c) setText(row.tds[c], values[c]);
        const rq = words.has("rq") && (!askedOps || askedOps.has(k));
        const asked = [words.has("links"), words.has("links"), rq, rq];
        const given = [links.NM[k], links.PM[k], R[k], Q[k]];
        ["NM", "PM", "R", "Q"].forEach((kind, j) => {
          inputOrValue(page, s, cells, row.tds[5 + j], row.inputs[j], kind + ":" + k, asked[j], given[j]);
        });
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// The candidate positions: the position and p given; u, v, the max terms
// and the estimate to fill in where asked. The term columns are left out
// when the sums are asked and the terms are not: they would give the sums
// away.
const CANDIDATE_KINDS = [["u", 1, "uv"], ["v", 2, "uv"], ["head", 3, "terms"], ["tail", 5, "terms"], ["est", 6, "est"]];
function candidatesPart(page, cells, turned) {
  const table = byId("practice-candidates"), body = table.tBodies[0], rows = [];
  body.replaceChildren();
  const rowAt = (i) => {
    while (rows.length <= i) {
      const tr = body.appendChild(document.createElement("tr")), tds = [];
      for (let c = 0; c < 7; ++c) tds.push(td(tr));
      rows.push({ tr, tds, inputs: CANDIDATE_KINDS.map(() => cells.make()) });
    }
    return rows[i];
  };
  return pagedPart(page, cells, turned, {
    section: "practice-estimates-part",
    kinds: CANDIDATE_KINDS.map(([kind]) => kind),
    ids: { pager: "practice-positions-pager", prev: "practice-positions-prev", next: "practice-positions-next", line: "practice-positions-shown" },
    textKey: "practice.positions-page", size: PAGE_SIZES.positions,
    items: (s) => s.candidates.length,
    indexOf: (s, key) => argOf(key) - 1,
    write(s, first, end) {
      const { words } = s;
      table.classList.toggle("sum-only", words.has("est") && !words.has("terms"));
      for (let i = 0; i < end - first; ++i) {
        const r = rowAt(i), c = s.candidates[first + i], b = c.position;
        r.tr.hidden = false;
        setText(r.tds[0], b);
        setText(r.tds[4], c.p);
        const given = [c.u, c.v, c.head, c.tail, c.estimate];
        CANDIDATE_KINDS.forEach(([kind, column, word], j) => {
          inputOrValue(page, s, cells, r.tds[column], r.inputs[j], kind + ":" + b, words.has(word), given[j]);
        });
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// A part of one cell, always on its one page: the chosen position (given
// where not asked) and the makespan.
export function singlePart(page, cells, { section, kind, input, given }) {
  const field = byId(input), givenText = given ? byId(given) : null;
  return {
    section: byId(section),
    covers: (key) => key === kind,
    render(s) {
      const asked = s.words.has(kind);
      field.hidden = !asked;
      if (asked) cells.bind(field, kind, cellLabel(s, kind, page.tr));
      if (givenText) setText(givenText, asked ? "" : s.view.step.position);
    },
    reveal: () => false,
  };
}

// The parts in the order the panel shows them; an evaluated step that asks
// for something shows every part but the makespan (which shows where
// asked), others the makespan alone; a search iteration the parts of
// `search` (search-practice-parts.js: { all, of(s) }). `turned()` follows a
// turn of a part's page.
export function createPracticeParts(page, cells, turned, search = { all: [], of: () => [] }) {
  const topo = placesPart(page, cells, turned, {
    section: "practice-topo-part", box: "practice-topo", kind: "topo", word: "topo", size: PAGE_SIZES.topo,
    ids: { pager: "practice-topo-pager", prev: "practice-topo-prev", next: "practice-topo-next", line: "practice-topo-shown" },
    textKey: "practice.topo-page", list: (s) => s.order,
  });
  const sequence = placesPart(page, cells, turned, {
    section: "practice-sequence-part", box: "practice-sequence", kind: "seq", word: "seq", size: PAGE_SIZES.places,
    ids: { pager: "practice-places-pager", prev: "practice-places-prev", next: "practice-places-next", line: "practice-places-shown" },
    textKey: "practice.places-page", list: (s) => s.view.rowsAfter[s.view.step.machine],
  });
  const table = tablePart(page, cells, turned), candidates = candidatesPart(page, cells, turned);
  const position = singlePart(page, cells, { section: "practice-position-part", kind: "pos", input: "practice-pos", given: "practice-pos-given" });
  const cmax = singlePart(page, cells, { section: "practice-cmax-part", kind: "cmax", input: "practice-cmax" });
  const all = [topo, table, candidates, position, sequence, cmax, ...search.all];
  return {
    all,
    of(s) {
      if (s.view.search) return search.of(s);
      const shown = s.view.evaluated && s.asks ? [topo, table, candidates, position, sequence] : [];
      return s.words.has("cmax") ? [...shown, cmax] : shown;
    },
  };
}
