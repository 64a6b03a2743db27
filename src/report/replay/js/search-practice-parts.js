// The practice panel's parts for a search iteration (practice-parts.js's
// form: { section, covers, render, reveal }): what is given (the tabu list
// and the best so far), the critical path place by place, the candidate
// moves with the makespan after each, and the move made. Long ones come in
// pages, as the insertion's do; what is not asked is shown.

import { byId, setText } from "./dom.js";
import { inputOrValue, pagedPart, placesPart, singlePart } from "./practice-parts.js";
import { tabuListText } from "./search-data.js";
import { practiceMoves } from "./search-practice.js";

const PAGE_SIZE = 20;

// What the iteration gives: its tabu list and the best makespan so far (the
// machine sequences are the panel's, as for a step).
function givenPart(page) {
  return {
    section: byId("practice-search-given-part"),
    covers: () => false,
    render(s) {
      const { it } = s.view.search;
      setText(byId("practice-search-given"), page.tr.t("practice.search.given", { best: it.best }));
      setText(byId("practice-search-tabu"), tabuListText(page.tr, it.tabu));
    },
    reveal: () => false,
  };
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
  return pagedPart(page, cells, turned, {
    section: "practice-moves-part", kinds: ["move", "cmax"],
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
        inputOrValue(page, s, cells, r.tds[1], r.name, "move:" + m.name, s.words.has("moves"), m.name);
        inputOrValue(page, s, cells, r.tds[2], r.cmax, "cmax:" + m.name, s.words.has("mcmax") && m.status !== "cycle", m.cmax === null ? "-" : m.cmax);
      }
      for (let i = end - first; i < rows.length; ++i) rows[i].tr.hidden = true;
    },
  });
}

// The parts in the order the panel shows them: { all, of(s) } for
// createPracticeParts. An iteration that asks nothing shows none; the pick
// shows where a move was made.
export function createSearchPracticeParts(page, cells, turned) {
  const given = givenPart(page);
  const path = placesPart(page, cells, turned, {
    section: "practice-path-part", box: "practice-path", kind: "crit", word: "crit", size: PAGE_SIZE,
    ids: { pager: "practice-path-pager", prev: "practice-path-prev", next: "practice-path-next", line: "practice-path-shown" },
    textKey: "practice.search.path-page", list: (s) => s.view.search.it.path,
  });
  const moves = movesPart(page, cells, turned);
  const pick = singlePart(page, cells, { section: "practice-pick-part", kind: "pick", input: "practice-pick" });
  return {
    all: [given, path, moves, pick],
    of(s) {
      if (!s.asks) return [];
      return s.words.has("pick") && s.view.search.chosen ? [given, path, moves, pick] : [given, path, moves];
    },
  };
}
