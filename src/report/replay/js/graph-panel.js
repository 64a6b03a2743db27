// Panel: the schedule graph after a step (graph-scene.js), its longest path
// in words, the legend, fitting and saving as SVG. The SVG's elements are
// kept by key and rewritten only where the step changed them, so a step
// costs the few arcs and labels it touched.

import { buildGraph, graphFits, graphLayout, machineStyle } from "./graph-scene.js";
import { GRAPH_STYLE, LAYERS, MOVED_ARC, ROOT_ATTRIBUTES, graphItems, graphToSvg } from "./graph-svg.js";
import { byId, download, safeFileName, setText } from "./dom.js";
import { searchGraphMarks } from "./search-scene.js";

const SVG_NS = "http://www.w3.org/2000/svg";
const esc = (s) => String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");

// A small picture of a line for the legend.
function swatch(stroke, width, dash = "", halo = "") {
  return `<svg width="30" height="12" aria-hidden="true">${halo}<line x1="1" y1="6" x2="29" y2="6" stroke="${stroke}" stroke-width="${width}"` +
    (dash ? ` stroke-dasharray="${dash}"` : "") + "/></svg>";
}

// The graph's heading: after a step or before it (in practice), or of a
// search iteration's schedule.
function headingKey(view, before) {
  if (view?.search) return before ? "search.graph.heading-before" : "search.graph.heading";
  return before ? "graph.heading-before" : "graph.heading";
}

export function createGraphPanel(page) {
  const { replay } = page;
  const box = byId("graph-box"), note = byId("graph-note"), pathLine = byId("graph-path");
  const legend = byId("graph-legend"), tools = byId("graph-tools"), heading = byId("graph-heading");
  const fits = graphFits(replay);
  for (const el of [box, tools, legend, pathLine, byId("graph-rule")]) el.classList.toggle("hidden", !fits);
  box.replaceChildren();
  box.classList.remove("full");
  const tooBig = () => {
    const { t, count } = page.tr;
    note.textContent = fits ? "" : t("graph.too-big", { jobs: count(replay.J, "count.jobs"), machines: count(replay.MC, "count.machines") });
  };
  tooBig();
  if (!fits) return { phase: "both", render(view) { setText(heading, page.tr.t(headingKey(view, page.practising))); }, retext: tooBig };

  const layout = graphLayout(replay);
  const svg = document.createElementNS(SVG_NS, "svg");
  for (const [k, v] of Object.entries(ROOT_ATTRIBUTES)) svg.setAttribute(k, v);
  svg.setAttribute("viewBox", `0 0 ${layout.W} ${layout.H}`);
  svg.setAttribute("role", "img");
  svg.style.maxWidth = layout.W + "px";
  svg.style.setProperty("--natural-width", layout.W + "px");
  svg.appendChild(document.createElementNS(SVG_NS, "style")).textContent = GRAPH_STYLE;
  const layers = [];
  for (let i = 0; i < LAYERS; ++i) layers.push(svg.appendChild(document.createElementNS(SVG_NS, "g")));
  box.appendChild(svg);
  const shown = new Map();  // key -> { el, layer, attrs, inner }
  let scene = null;

  // An item's element is a <g> with the item's attributes, holding a <g> of
  // its markup and its label's <text>; each part is written only when it
  // changed (a new text costs its layout, and R and Q change at most steps).
  function update(items) {
    const seen = new Set();
    for (const it of items) {
      seen.add(it.key);
      let e = shown.get(it.key);
      if (!e) {
        const el = document.createElementNS(SVG_NS, "g");
        e = { el, body: el.appendChild(document.createElementNS(SVG_NS, "g")), text: null, layer: -1, attrs: {}, inner: null, label: null };
        shown.set(it.key, e);
      }
      if (e.layer !== it.layer) {
        layers[it.layer].appendChild(e.el);
        e.layer = it.layer;
      }
      for (const name in e.attrs) if (!(name in it.attrs)) e.el.removeAttribute(name);
      for (const name in it.attrs) if (e.attrs[name] !== it.attrs[name]) e.el.setAttribute(name, it.attrs[name]);
      e.attrs = it.attrs;
      if (e.inner !== it.inner) {
        e.body.innerHTML = it.inner;
        e.inner = it.inner;
      }
      const label = it.label ? it.label.text : null;
      if (label !== null && !e.text) {
        e.text = e.el.appendChild(document.createElementNS(SVG_NS, "text"));
        for (const [name, value] of Object.entries(it.label.attrs)) e.text.setAttribute(name, value);
      }
      if (label !== e.label) {
        if (label === null) {
          e.text.remove();
          e.text = null;
        } else {
          e.text.textContent = label;
        }
        e.label = label;
      }
    }
    for (const [key, e] of shown) {
      if (!seen.has(key)) {
        e.el.remove();
        shown.delete(key);
      }
    }
  }
  const captions = () => ({ source: page.tr.t("graph.source"), sink: page.tr.t("graph.sink") });
  const answersHidden = () => box.closest(".answers-hidden") !== null;

  // A search iteration's legend has no insertion, and the arcs its move
  // reorders.
  let legendOfSearch = false;
  function renderLegend() {
    const { t } = page.tr, search = legendOfSearch;
    const items = [];
    for (let i = 1; i <= replay.MC; ++i) {
      const st = machineStyle(i);
      items.push(swatch(st.stroke, 2, st.dash) + "M" + i);
    }
    items.push(swatch("#555555", 1.5) + esc(t("graph.legend.job")));
    items.push(swatch("#9a9a9a", 1) + esc(t("graph.legend.end")));
    items.push(swatch("#000000", 5) + esc(t("graph.legend.critical")));
    if (search) {
      items.push(swatch(MOVED_ARC, 10) + esc(t("graph.legend.moved")));
    } else {
      items.push(swatch("#F2B600", 10, "", "") + esc(t("graph.legend.added")));
      items.push(swatch("#9a9a9a", 1.5, "2 4") + esc(t("graph.legend.removed")));
      items.push(`<svg width="30" height="12" aria-hidden="true"><rect x="2" y="1" width="26" height="10" rx="3" fill="#fff" stroke="#6b6b6b" stroke-dasharray="3 2"/></svg>` + esc(t("graph.legend.unplaced")));
      items.push(`<svg width="30" height="12" aria-hidden="true"><rect x="1" y="1" width="28" height="10" rx="3" fill="none" stroke="#000" stroke-dasharray="4 2"/></svg>` + esc(t("graph.legend.inserted")));
    }
    legend.innerHTML = items.map((s) => "<span>" + s + "</span>").join("");
  }

  const size = byId("graph-size");
  size.dataset.t = "graph.full";
  size.onclick = () => {
    size.dataset.t = box.classList.toggle("full") ? "graph.fit" : "graph.full";
    size.textContent = page.tr.t(size.dataset.t);
  };
  byId("graph-save").onclick = () => {
    const base = safeFileName(replay.name || page.tr.t("file.default-name")) + "_" + page.tr.t("graph.file") + "_" +
      (scene.i ? page.tr.t("file.iteration") + "_" + scene.i : page.tr.t("file.step") + "_" + scene.t);
    const text = graphToSvg(scene, { ...captions(), showRQ: !scene.before && !answersHidden() });
    download(base + ".svg", new Blob([text], { type: "image/svg+xml" }));
  };
  renderLegend();

  return {
    element: byId("graph-panel"),
    phase: "both",
    // In practice, the graph before the step: it gives no answer away. A
    // search iteration's graph is of its schedule before its move, its
    // own critical path drawn and the arcs its move reorders marked.
    render(view) {
      const before = page.practising;
      if (!!view.search !== legendOfSearch) {
        legendOfSearch = !!view.search;
        renderLegend();
      }
      scene = buildGraph(replay, view, layout, view.search && !before ? { marks: searchGraphMarks(replay, view) } : { before });
      scene.t = view.t;
      scene.i = view.search ? view.search.i : 0;
      scene.before = before;
      update(graphItems(scene, { ...captions(), showRQ: !before }));
      const { t } = page.tr;
      heading.dataset.t = headingKey(view, before);
      setText(heading, t(heading.dataset.t));
      svg.setAttribute("aria-label", view.search ? t(before ? "search.graph.label-before" : "search.graph.label", { i: view.search.i }) :
        t(before ? "graph.label-before" : "graph.label", { t: view.t }));
      pathLine.textContent = before ? "" : scene.path.length ?
        t("graph.path", { path: ["0", ...scene.path, "0"].join(" \u2192 "), length: scene.length }) : t("graph.no-path");
    },
    retext: renderLegend,
  };
}
