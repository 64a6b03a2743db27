// The practice panel's parts for a search iteration (practice-parts.js's
// form: { covers, render, reveal }): the critical path place by place, the
// candidate moves with the makespan after each, and the move made. Long
// ones come in pages, as the insertion's do. What is not asked is shown.

import { byId, setText } from "./dom.js";
import { cellLabel } from "./practice.js";
import { pagedPart } from "./practice-parts.js";
import { practiceMoves } from "./search-practice.js";

const PAGE_SIZE = 20;

// The critical path: an input a place, or the path given when not asked.
function pathPart(page, cells, turned) {
  const box = byId("practice-path"), given = byId("practice-path-given"), places = [];
  box.replaceChildren();
  return pagedPart(page, cells, turned, {
    kinds: ["crit"],
    ids: { pager: "practice-path-pager", prev: "practice-path-prev", next: "practice-path-next", line: "practice-path-shown" },
    textKey: "practice.search.path-page", size: PAGE_SIZE,
    items: (s) => (s.words.has("crit") ? s.view.search.it.path.length : 0),
    indexOf: (s, key) => Number(key.slice(key.indexOf(":") + 1)) - 1,
    write(s, first, end) {
      const path = s.view.search.it.path;
      setText(given, s.words.has("crit") ? "" : page.tr.t("practice.search.path-given", { ops: path.join(" \u2192 ") }));
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
        cells.bind(input, "crit:" + place, cellLabel(s, "crit:" + place, page.tr));
      });
    },
  });
}

// The candidate moves, a row each: its place, its name and the makespan
// after it, each an input where asked.
function movesPart(page, cells, turned) {
  const body = byId("practice-moves").tBodies[0], none = byId("practice-moves-none"), rows = [];
  body.replaceChildren();
  const rowAt = (i) => {
    while (rows.length <= i) {
      const tr = body.appendChild(document.createElement("tr")), tds = [0, 1, 2].map(() => tr.appendChild(document.createElement("td")));
      const name = cells.make(), cmax = cells.make();
      name.inputMode = "text";
      rows.push({ tr, tds, name, cmax });
    }
    return rows[i];
  };
  // An input in `td` bound to `key`, or the answer shown there.
  const fill = (s, td, input, key, asked, shown) => {
    if (asked) {
      if (input.parentNode !== td) td.replaceChildren(input);
      cells.bind(input, key, cellLabel(s, key, page.tr));
    } else {
      if (input.parentNode === td) input.remove();
      setText(td, shown);
    }
  };
  return pagedPart(page, cells, turned, {
    kinds: ["move", "cmax"],
    ids: { pager: "practice-moves-pager", prev: "practice-moves-prev", next: "practice-moves-next", line: "practice-moves-shown" },
    textKey: "practice.search.moves-page", size: PAGE_SIZE,
    items: (s) => practiceMoves(s).length,
    indexOf: (s, key) => practiceMoves(s).findIndex((m) => m.name === key.slice(key.indexOf(":") + 1)),
    write(s, first, end) {
      const moves = practiceMoves(s);
      setText(none, moves.length ? "" : page.tr.t("practice.search.no-move"));
      byId("practice-moves").hidden = moves.length === 0;
      for (let i = 0; i < end - first; ++i) {
        const r = rowAt(i), m = moves[first + i];
        r.tr.hidden = false;
        setText(r.tds[0], m.index);
        fill(s, r.tds[1], r.name, "move:" + m.name, s.words.has("moves"), m.name);
        fill(s, r.tds[2], r.cmax, "cmax:" + m.name, s.words.has("mcmax") && m.status !== "cycle", m.cmax === null ? "-" : m.cmax);
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// The move made: one input, where asked and where a move was made.
function pickPart(page, cells) {
  const input = byId("practice-pick"), heading = byId("practice-pick-heading");
  return {
    covers: (key) => key === "pick",
    render(s) {
      const asked = s.words.has("pick") && s.view.search.chosen !== null;
      heading.hidden = input.parentNode.hidden = !asked;
      if (asked) cells.bind(input, "pick", cellLabel(s, "pick", page.tr));
    },
    reveal: () => false,
  };
}

// The parts in the order the panel shows them.
export function createSearchPracticeParts(page, cells, turned) {
  return [pathPart(page, cells, turned), movesPart(page, cells, turned), pickPart(page, cells)];
}
