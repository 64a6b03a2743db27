// Pictures of the search, as scenes: an iteration's chart (the chart of
// chart-scene.js with the iteration's critical path and blocks drawn over
// it, the move made marked), its graph's marks (graph-scene.js), and the
// search's course as a plot (chart-svg.js draws it). Pure functions; no DOM.

import { buildScene } from "./chart-scene.js";

// Paul Tol's "vibrant" orange and red: the path, and the frames of blocks.
export const PATH_COLOUR = "#EE7733";
export const BLOCK_COLOUR = "#CC3311";

// The chart of search view `v` (search-stepping.js); options as
// buildScene's (width, pxPerUnit, hoverJob, inspected). The path's
// operations are underlined and joined where it goes from machine to
// machine, each block is framed, the move made's two operations are marked.
export function buildSearchScene(replay, v, options) {
  const { chosen, it } = v.search;
  const sc = buildScene(replay, v, { ...options, marked: chosen ? [chosen.a, chosen.b] : [], label: "Cmax = " + v.maxR });
  const box = new Map(sc.boxes.map((b) => [b.k, b]));
  const over = [];
  const path = it.path.map((k) => box.get(k)).filter(Boolean);
  for (let i = 1; i < path.length; ++i) {
    const a = path[i - 1], b = path[i];
    if (a.y !== b.y) over.push({ t: "line", x1: a.x + a.w, y1: a.y + a.h / 2, x2: b.x, y2: b.y + b.h / 2, stroke: PATH_COLOUR, sw: 2 });
  }
  for (const b of path) over.push({ t: "rect", x: b.x, y: b.y + b.h - 4, w: b.w, h: 4, fill: PATH_COLOUR });
  for (const [first, last] of it.blocks) {
    const a = box.get(it.path[first]), b = box.get(it.path[last]);
    if (a && b) over.push({ t: "rect", x: a.x - 5, y: a.y - 5, w: b.x + b.w - a.x + 10, h: a.h + 10, fill: "none", stroke: BLOCK_COLOUR, sw: 2 });
  }
  sc.items.push(...over);
  return sc;
}

// The marks of an iteration's graph (buildGraph's `marks`): the iteration's
// own critical path, and the machine arcs of the run the move made
// reorders (from a to b).
export function searchGraphMarks(replay, v) {
  const { chosen, it } = v.search, moved = new Set();
  if (chosen) {
    const row = v.rows[replay.M[chosen.a]];
    for (let i = row.indexOf(chosen.a); i < row.indexOf(chosen.b); ++i) moved.add(row[i] + "-" + row[i + 1]);
  }
  return { path: it.path, framed: 0, added: () => false, moved: (from, to) => moved.has(from + "-" + to), removed: null };
}

const PLOT = { W: 640, H: 220, LEFT: 56, RIGHT: 16, TOP: 28, BOTTOM: 34 };
const CMAX_COLOUR = "#77AADD", BEST_COLOUR = "#222222", MARK_COLOUR = "#CC3311";

// A round step for `span` units in about `parts` parts: 1, 2 or 5 times a
// power of ten, at least 1.
function niceStep(span, parts) {
  let step = 1;
  while (step * 10 <= span / parts) step *= 10;
  for (const f of [1, 2, 5, 10]) if (f * step >= span / parts) return f * step;
  return step * 10;
}

// The search's course as a plot: history.points ([iteration, cmax, best],
// every stride-th iteration) as two lines, the current schedule's Cmax
// and the best, with `at` (an iteration, 0: none) marked.
//   labels: { cmax, best, iteration } in the page's language
// Returns { W, H, items } for sceneToSvg, and x(iteration), top and bottom
// to place a mark later.
export function buildHistoryPlot(history, { at = 0, labels }) {
  const { W, H, LEFT, RIGHT, TOP, BOTTOM } = PLOT;
  const points = history.points.length > 0 ? history.points : [[0, 0, 0]];
  let low = Infinity, high = -Infinity;
  for (const [, cmax, best] of points) {
    low = Math.min(low, best, cmax);
    high = Math.max(high, best, cmax);
  }
  const last = Math.max(1, points[points.length - 1][0]);
  if (high === low) ++high;
  const X = (t) => LEFT + ((W - LEFT - RIGHT) * t) / last, Y = (c) => TOP + ((H - TOP - BOTTOM) * (high - c)) / (high - low);
  const items = [{ t: "rect", x: 0, y: 0, w: W, h: H, fill: "#ffffff" }];
  const yStep = niceStep(high - low, 4), xStep = niceStep(last, 5);
  for (let c = Math.ceil(low / yStep) * yStep; c <= high; c += yStep) {
    items.push({ t: "line", x1: LEFT, y1: Y(c), x2: W - RIGHT, y2: Y(c), stroke: "#e2e2e2", sw: 1 });
    items.push({ t: "text", x: LEFT - 6, y: Y(c) + 4, s: String(c), size: 11, anchor: "end", fill: "#444" });
  }
  // A label at the right end stays in the picture.
  for (let t = 0; t <= last; t += xStep) {
    const end = X(t) + String(t).length * 3.5 > W;
    items.push({ t: "text", x: end ? W - 2 : X(t), y: H - BOTTOM + 16, s: String(t), size: 11, anchor: end ? "end" : "middle", fill: "#444" });
  }
  items.push({ t: "line", x1: LEFT, y1: H - BOTTOM, x2: W - RIGHT, y2: H - BOTTOM, stroke: "#888", sw: 1 });
  items.push({ t: "text", x: W - RIGHT, y: H - 4, s: labels.iteration, size: 11, anchor: "end", fill: "#444" });
  const line = (f) => points.map((p, i) => (i ? "L" : "M") + X(p[0]).toFixed(1) + " " + Y(f(p)).toFixed(1)).join("");
  // The best only falls, and stays level between improvements: a step.
  const steps = points.map((p, i) => (i ? "H" + X(p[0]).toFixed(1) + "V" : "M" + X(p[0]).toFixed(1) + " ") + Y(p[2]).toFixed(1)).join("");
  items.push({ t: "path", d: line((p) => p[1]), stroke: CMAX_COLOUR, sw: 1 });
  items.push({ t: "path", d: steps, stroke: BEST_COLOUR, sw: 2 });
  if (at > 0) items.push({ t: "line", x1: X(at), y1: TOP, x2: X(at), y2: H - BOTTOM, stroke: MARK_COLOUR, sw: 1.5, dash: "4 3" });
  items.push({ t: "line", x1: LEFT, y1: 12, x2: LEFT + 18, y2: 12, stroke: CMAX_COLOUR, sw: 2 });
  items.push({ t: "text", x: LEFT + 22, y: 16, s: labels.cmax, size: 11, anchor: "start", fill: "#222" });
  items.push({ t: "line", x1: LEFT + 110, y1: 12, x2: LEFT + 128, y2: 12, stroke: BEST_COLOUR, sw: 2 });
  items.push({ t: "text", x: LEFT + 132, y: 16, s: labels.best, size: 11, anchor: "start", fill: "#222" });
  return { W, H, items, x: X, top: TOP, bottom: H - BOTTOM };
}
