// A graph scene (graph-scene.js) as SVG: as keyed items, which the page
// updates one by one, and as a standalone document to save. No DOM.
//
// The contract for scripts: the root is <svg data-view="graph">; each
// operation is one element with data-op; each arc shown is one element with
// data-arc="<from>-<to>" (0 = source or sink), data-kind and, on a longest
// path, data-critical, on an arc the step's insertion added, data-added, on
// an arc of the run a search iteration's move reorders, data-moved. The
// arc the insertion replaced, drawn faint, has data-removed instead. Texts
// of R and Q have the class "rq": an element of the class "answers-hidden"
// around the graph hides them.

import { jobStyle } from "./chart-scene.js";
import { machineStyle } from "./graph-scene.js";

const esc = (s) => String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
const JOB_ARC = "#555555", END_ARC = "#9a9a9a";
// The band of the arcs a search's move reorders (Paul Tol's bright purple).
export const MOVED_ARC = "#AA3377";

// Layers, bottom to top: the replaced arc, arcs, marked arcs, nodes.
export const LAYERS = 4;

function path(d, stroke, width, extra = "") {
  return `<path d="${d}" fill="none" stroke="${stroke}" stroke-width="${width}"${extra}/>`;
}

// Being on a longest path changes at most steps for many arcs and nodes:
// it is their data-critical attribute alone, which this style draws, so a
// step rewrites no markup for it.
export const GRAPH_STYLE =
  `svg[data-view="graph"] [data-arc]:not([data-critical]) .crit { display: none; }` +
  `svg[data-view="graph"] [data-arc][data-critical] .head { fill: #000000; }` +
  `svg[data-view="graph"] [data-op][data-critical] .box { stroke: #000000; stroke-width: 2.5; stroke-dasharray: none; }`;

function arcItem(a) {
  const style = a.kind === "machine" ? machineStyle(a.machine) : { stroke: a.kind === "job" ? JOB_ARC : END_ARC, dash: "" };
  const width = a.kind === "machine" ? 2 : a.kind === "job" ? 1.5 : 1;
  let inner = "";
  if (a.added) inner += path(a.d, "#F2B600", 10, " stroke-opacity=\"0.6\" stroke-linecap=\"round\"");
  if (a.moved) inner += path(a.d, MOVED_ARC, 10, " stroke-opacity=\"0.45\" stroke-linecap=\"round\"");
  inner += path(a.d, "#000000", 5, " class=\"crit\"");
  inner += path(a.d, style.stroke, width, style.dash ? ` stroke-dasharray="${style.dash}"` : "");
  inner += `<path class="head" d="${a.head}" fill="${style.stroke}"/>`;
  const attrs = { "data-arc": a.from + "-" + a.to, "data-kind": a.kind };
  if (a.kind === "machine") attrs["data-machine"] = a.machine;
  if (a.added) attrs["data-added"] = "";
  if (a.moved) attrs["data-moved"] = "";
  if (a.critical) attrs["data-critical"] = "";
  return { key: a.kind + a.from + "-" + a.to, layer: a.added || a.moved || a.critical ? 2 : 1, attrs, inner };
}

function nodeItem(n, sc, showRQ) {
  const w = sc.nodeW, h = sc.nodeH, x = n.x - w / 2, y = n.y - h / 2;
  let inner = "";
  if (n.inserted) inner += `<rect x="${x - 4}" y="${y - 4}" width="${w + 8}" height="${h + 8}" rx="7" fill="none" stroke="#000000" stroke-width="1.5" stroke-dasharray="4 2"/>`;
  const fill = n.placed ? jobStyle(n.job).fill : "#ffffff";
  const stroke = n.placed ? ` stroke="#6b6b6b" stroke-width="0.75"` : ` stroke="#6b6b6b" stroke-width="1" stroke-dasharray="3 2"`;
  inner += `<rect class="box" x="${x}" y="${y}" width="${w}" height="${h}" rx="5" fill="${fill}"${stroke}/>`;
  inner += `<text x="${n.x}" y="${y + 13}" text-anchor="middle" font-size="12"><tspan font-weight="bold">${n.op}</tspan>` +
    `<tspan font-size="10"> M${n.machine} p=${n.p}</tspan></text>`;
  const attrs = { "data-op": n.op };
  if (n.critical) attrs["data-critical"] = "";
  if (n.inserted) attrs["data-inserted"] = "";
  if (!n.placed) attrs["data-unplaced"] = "";
  // R and Q change at most steps: a text of their own, which the page
  // rewrites without touching the rest of the node.
  const label = showRQ ? { attrs: { class: "rq", x: n.x, y: y + 28, "text-anchor": "middle", "font-size": 10 }, text: `R ${n.R} Q ${n.Q}` } : null;
  return { key: "n" + n.op, layer: 3, attrs, inner, label };
}

function endItem(key, at, caption) {
  const inner = `<circle cx="${at.x}" cy="${at.y}" r="13" fill="#ffffff" stroke="#333333" stroke-width="1.5"/>` +
    `<text x="${at.x}" y="${at.y + 4}" text-anchor="middle" font-size="12" font-weight="bold">0</text>` +
    `<text x="${at.x}" y="${at.y + 28}" text-anchor="middle" font-size="10">${esc(caption)}</text>`;
  return { key, layer: 3, attrs: { "data-end": key }, inner };
}

// options: showRQ (false leaves R and Q out), source and sink (captions).
export function graphItems(sc, { showRQ = true, source = "", sink = "" } = {}) {
  const items = [];
  if (sc.removed) {
    const r = sc.removed, m = r.mid;
    items.push({
      key: "removed", layer: 0, attrs: { "data-removed": r.from + "-" + r.to },
      inner: path(r.d, "#9a9a9a", 1.5, " stroke-dasharray=\"2 4\"") +
        `<text x="${Math.round(m.x)}" y="${Math.round(m.y) + 5}" text-anchor="middle" font-size="14" fill="#777777">\u00D7</text>`,
    });
  }
  for (const a of sc.arcs) items.push(arcItem(a));
  items.push(endItem("source", sc.source, source), endItem("sink", sc.sink, sink));
  for (const n of sc.nodes) items.push(nodeItem(n, sc, showRQ));
  return items;
}

const attributes = (attrs) => Object.entries(attrs).map(([k, v]) => ` ${k}="${esc(v)}"`).join("");

// An item is <g attrs><g>inner</g><text label.attrs>label.text</text></g>,
// the label only where there is one.
const itemMarkup = (it) =>
  "<g" + attributes(it.attrs) + "><g>" + it.inner + "</g>" + (it.label ? "<text" + attributes(it.label.attrs) + ">" + esc(it.label.text) + "</text>" : "") + "</g>";

// The root element's own attributes, the same in the page and in a file.
export const ROOT_ATTRIBUTES = { "data-view": "graph", "font-family": "system-ui, sans-serif" };

export function graphToSvg(sc, options) {
  const layers = Array.from({ length: LAYERS }, () => []);
  for (const it of graphItems(sc, options)) layers[it.layer].push(itemMarkup(it));
  const root = attributes(ROOT_ATTRIBUTES);
  return `<svg xmlns="http://www.w3.org/2000/svg" width="${sc.W}" height="${sc.H}" viewBox="0 0 ${sc.W} ${sc.H}"${root}>` +
    `<style>${GRAPH_STYLE}</style><rect width="${sc.W}" height="${sc.H}" fill="#ffffff"/>` + layers.map((l) => "<g>" + l.join("") + "</g>").join("") + "</svg>";
}
