// Panel: a search iteration (search-stepping.js's view): its headline, the
// phase it starts, the critical path and its blocks, the candidate moves
// with their bounds, makespans and statuses, the move made and why, the
// tabu list; going to an iteration by number; the search's course as a
// plot with the iteration marked. Besides, in the page's header, the
// search's place after the steps and the optimum as the run knows it.

import { sceneToSvg } from "./chart-svg.js";
import { byId, setText } from "./dom.js";
import { readNumber } from "./explain.js";
import { optimumText, tabuListText } from "./search-data.js";
import { choiceOf, moveRows } from "./search-derive.js";
import { buildHistoryPlot } from "./search-scene.js";
import { WindowedTable, boxHeight } from "./windowed-table.js";

const SVG_NS = "http://www.w3.org/2000/svg";

// The panel's headline is the page's live region while an iteration is
// shown (the step's is hidden then), and its moves' box a scroll box in the
// Tab order: only on a page with a search, so that a page without one has
// neither. Set with `on`, named in the language of `tr`.
const REGIONS = {
  "search-title": { "aria-live": "polite", "aria-atomic": "true" },
  "search-moves-box": { class: "scroll-box", tabindex: "0", role: "region", "aria-describedby": "box-keys", "data-t-aria-label": "search.box.moves" },
};
export function setSearchRegions(on, tr) {
  for (const [id, attrs] of Object.entries(REGIONS)) {
    for (const [name, value] of Object.entries(attrs)) {
      if (on) byId(id).setAttribute(name, value);
      else byId(id).removeAttribute(name);
    }
  }
  const box = byId("search-moves-box");
  if (on) box.setAttribute("aria-label", tr.t("search.box.moves"));
  else box.removeAttribute("aria-label");
}

// The header's lines: where the search starts, and the optimum. Shown for
// a run with a search, and for `optimum` facts given apart (the web
// edition's, optimumText's form).
export function showSearchHeader(page, optimum) {
  const { replay } = page, search = replay.search, { t, count } = page.tr;
  const link = byId("search-link"), line = byId("optimum");
  link.hidden = !search || search.ITERS === 0;
  if (!link.hidden) {
    setText(byId("search-link-text"), t("search.link", { steps: replay.STEPS, iterations: count(search.ITERS, "count.iterations") }));
    const go = byId("search-link-go");
    setText(go, t("search.link.go"));
    // The page's own address may hold more than a step (the web edition's).
    go.onclick = (e) => {
      e.preventDefault();
      page.show(replay.STEPS + 1);
    };
  }
  const facts = optimum || (search && { insertion: search.insertion, best: search.best, lowerBound: search.lowerBound, exact: search.exact });
  line.hidden = !facts;
  if (facts) setText(line, optimumText(page.tr, facts));
}

// The search's course (history: jobshop-improve's) drawn into `box` as an
// SVG picture named for screen readers; returns the plot (search-scene.js).
export function drawHistoryPlot(box, history, tr) {
  const { t } = tr;
  const plot = buildHistoryPlot(history, { labels: { cmax: t("search.plot.cmax"), best: t("search.plot.best"), iteration: t("search.plot.iteration") } });
  box.innerHTML = sceneToSvg(plot);
  box.firstElementChild.setAttribute("role", "img");
  box.firstElementChild.setAttribute("aria-label", t("search.plot.label"));
  return plot;
}

export function createSearchPanel(page) {
  const { replay, signal } = page, search = replay.search;
  const title = byId("search-title"), restart = byId("search-restart"), pathLine = byId("search-path");
  const blocksBody = byId("search-blocks").tBodies[0], choice = byId("search-choice"), tabu = byId("search-tabu");
  setSearchRegions(true, page.tr);
  const box = byId("search-moves-box"), plotBox = byId("search-plot"), gotoInput = byId("search-goto"), gotoMessage = byId("search-goto-message");
  let most = 0;
  for (const it of search.iterations) most = Math.max(most, it.moves.length);
  box.style.height = boxHeight(most);
  const table = new WindowedTable(box, 8, signal);
  let view = null, marker = null, plot = null;

  gotoInput.max = search.ITERS;
  gotoInput.value = "";
  gotoInput.onchange = (e) => {
    const asked = readNumber(e.target.value, search.ITERS, e.target.validity.badInput);
    setText(gotoMessage, asked && asked.n ? "" : page.tr.t("search.no-iteration", { n: e.target.value, last: search.ITERS }));
    if (asked && asked.n) page.show(replay.STEPS + asked.n);
  };

  // The plot is drawn once (it is the whole search); a step moves its mark.
  function drawPlot() {
    plotBox.replaceChildren();
    marker = null;
    if (!search.history || search.history.points.length === 0) return;
    plot = drawHistoryPlot(plotBox, search.history, page.tr);
    marker = plotBox.firstElementChild.appendChild(document.createElementNS(SVG_NS, "line"));
    for (const [k, v] of Object.entries({ y1: plot.top, y2: plot.bottom, stroke: "#CC3311", "stroke-width": 1.5, "stroke-dasharray": "4 3" })) marker.setAttribute(k, v);
  }
  const summary = () => setText(byId("search-summary"), page.tr.t("search.summary", {
    iterations: page.tr.count(search.made, "count.iterations"), best: search.best, at: search.bestIteration, stop: page.tr.t("search.stop." + search.stop),
  }));
  const recorded = () => setText(byId("search-recorded"), search.complete ? "" : page.tr.t("search.recorded.cut", { last: search.ITERS, made: search.made }));
  drawPlot();
  summary();
  recorded();

  function render(v) {
    view = v;
    const { t } = page.tr, { i, it, chosen } = v.search;
    setText(title, t("search.title", { i, cmax: it.cmax, best: it.best }));
    const from = v.search.restart;
    setText(restart, from ? t("search.restart." + from.kind, { cmax: from.cmax }) : i === 1 ? t("search.start", { cmax: it.cmax }) : "");
    setText(pathLine, t("search.path", { cmax: it.cmax, ops: it.path.join(" \u2192 ") }));
    blocksBody.replaceChildren(...it.blocks.map(([first, last], b) => {
      const tr = document.createElement("tr");
      for (const text of [b + 1, replay.M[it.path[first]], it.path.slice(first, last + 1).join(" ")]) tr.appendChild(document.createElement("td")).textContent = text;
      return tr;
    }));
    if (it.blocks.length === 0) {
      const tr = blocksBody.appendChild(document.createElement("tr")), td = tr.appendChild(document.createElement("td"));
      td.colSpan = 3;
      td.textContent = t("search.blocks.none");
    }
    const rows = moveRows(replay, v);
    table.show(rows.length, (r) => {
      const m = rows[r];
      return {
        cells: [m.index, m.name, t("search.kind." + m.kind), m.blockNo, m.bound, m.cmax === null ? "-" : m.cmax, t("search.status." + m.status), m.made ? t("search.made") : ""],
        cls: m.made ? "chosen" : "",
      };
    }, chosen ? it.chosen : -1);
    const c = choiceOf(replay, v);
    setText(choice, chosen ? t("search.choice." + c.rule, { move: chosen.name, after: it.after }) + (it.improved ? t("search.improved") : "") : t("search.choice.none"));
    setText(tabu, tabuListText(page.tr, it.tabu));
    if (marker) {
      const x = plot.x(it.iteration).toFixed(1);
      marker.setAttribute("x1", x);
      marker.setAttribute("x2", x);
    }
  }

  return {
    element: byId("search-panel"),
    phase: "search",
    measure: () => table.measure(),
    render,
    retext() {
      drawPlot();
      summary();
      recorded();
      if (view) render(view);
    },
  };
}
