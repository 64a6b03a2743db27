// The Gantt chart of a step as a scene: a list of shapes (rect, line, text)
// that the canvas (chart-canvas.js) and the SVG export (chart-svg.js) both
// draw. A pure function of the replay, the view and the options; no DOM.

import { placedOps, slackAfter } from "./derive.js";

// Paul Tol's "light" scheme: distinguishable with every common colour
// vision deficiency, and light enough for black labels. With more jobs than
// colours, hatching tells jobs of the same colour apart.
export const PALETTE = ["#77AADD", "#EE8866", "#EEDD88", "#FFAABB", "#99DDFF", "#44BB99", "#BBCC33", "#AAAA00", "#DDDDDD"];
export const HATCHES = ["none", "diag", "cross", "dots"];

const ROW_H = 26, TOP = 26, LEFT = 44, BOTTOM = 22, RIGHT = 120;

export function jobStyle(j) {
  const c = (j - 1) % PALETTE.length;
  return { fill: PALETTE[c], hatch: HATCHES[Math.floor((j - 1) / PALETTE.length) % HATCHES.length] };
}

// Canvases much wider than this are not drawn at all; zooming in stops at
// MAX_PX pixels per time unit.
const MAX_W = 30000, MAX_PX = 200, LABEL_PX_PER_CHAR = 6.6;

// The smallest step of 1, 2 or 5 times a power of ten (at least 1: times are
// integers) that keeps tick labels of `chars` characters apart at `px`
// pixels per unit, so the ticks never outnumber what the width holds.
function niceTick(px, chars = 1) {
  const min = Math.max(56, chars * LABEL_PX_PER_CHAR + 16) / px;
  let step = 1;
  while (step * 5 < min) step *= 10;
  for (const f of [1, 2, 5]) if (f * step >= min) return f * step;
  return step * 10;
}

// The scale of a chart of `span` time units, `room` px wide when fitted:
// `pxPerUnit` held between the fitted scale and the largest zoom (0: fitted).
function chartScale(span, room, pxPerUnit) {
  const fitted = room / span;
  const most = Math.max(fitted, Math.min(MAX_PX, (MAX_W - LEFT - RIGHT) / span));
  return { px: Math.min(Math.max(pxPerUnit, fitted), most), fitted };
}

// options: width (px to fit into), pxPerUnit (0: fit the width), hoverJob
// (the other jobs fade; 0: none), inspected (an operation framed; 0: none);
// for another kind of view than a step's: row (the machine whose row is
// tinted, 0: none; the step's machine), marked (operations framed with a
// mark above; the step's operation) and label (of the line at the largest R).
// Returns { W, H, items, boxes, px, fitted }: boxes are the operations'
// rectangles for hit tests, px the scale used, fitted the scale that fits.
export function buildScene(replay, v, { width, pxPerUnit = 0, hoverJob = 0, inspected = 0, row = v.step.machine, marked = [v.step.op], label = null }) {
  const { MC, P } = replay;
  const R = v.after.R;
  // From the earliest edge to the latest: with negative times an operation
  // ends before it starts, and the largest R need not be its right edge.
  let minStart = 0, maxEnd = Math.max(v.maxR, 1);
  for (const k of placedOps(v)) {
    minStart = Math.min(minStart, R[k] - P[k], R[k]);
    maxEnd = Math.max(maxEnd, R[k] - P[k]);
  }
  const span = maxEnd - minStart;
  const { px, fitted } = chartScale(span, Math.max(width - LEFT - RIGHT, 100), pxPerUnit);
  const W = Math.round(LEFT + RIGHT + span * px);
  const H = TOP + MC * ROW_H + BOTTOM;
  const X = (time) => LEFT + (time - minStart) * px;
  const items = [];
  const boxes = [];
  items.push({ t: "rect", x: 0, y: 0, w: W, h: H, fill: "#ffffff" });
  const tick = niceTick(px, Math.max(String(minStart).length, String(maxEnd).length));
  const firstTick = Math.ceil(minStart / tick) * tick;
  for (let i = 0, x = firstTick; x <= maxEnd; x = firstTick + ++i * tick) {
    items.push({ t: "line", x1: X(x), y1: TOP - 4, x2: X(x), y2: TOP + MC * ROW_H, stroke: "#e2e2e2", sw: 1 });
    items.push({ t: "text", x: X(x), y: TOP - 8, s: String(x), size: 11, anchor: "middle", fill: "#444" });
  }
  // The step's machine's row, then the rows' lines, then their names: runs
  // of alike items, which the canvas draws in one go (many machines make
  // many rows).
  const rowY = (i) => TOP + (i - 1) * ROW_H;
  if (row >= 1) items.push({ t: "rect", x: LEFT, y: rowY(row), w: W - LEFT, h: ROW_H, fill: "#f3f0e4" });
  for (let i = 1; i <= MC; ++i) items.push({ t: "line", x1: LEFT, y1: rowY(i) + ROW_H, x2: X(maxEnd), y2: rowY(i) + ROW_H, stroke: "#d0d0d0", sw: 1 });
  for (let i = 1; i <= MC; ++i) items.push({ t: "text", x: 6, y: rowY(i) + ROW_H / 2 + 4, s: "M" + i, size: 12, anchor: "start", fill: "#222" });
  const overlay = [];  // drawn over all operations: labels and highlights
  for (let i = 1; i <= MC; ++i) {
    const y = TOP + (i - 1) * ROW_H + 3, h = ROW_H - 6;
    for (const k of v.rowsAfter[i]) {
      const a = Math.min(R[k] - P[k], R[k]), b = Math.max(R[k] - P[k], R[k]);
      const x = X(a), w = Math.max((b - a) * px, 1);
      const j = replay.jobOf(k), st = jobStyle(j);
      const critical = slackAfter(replay, v, k) === 0;
      const faded = hoverJob && hoverJob !== j ? 0.35 : 1;
      items.push({ t: "rect", box: true, x, y, w, h, fill: st.fill, hatch: st.hatch, opacity: faded,
        stroke: critical ? "#000000" : "#6b6b6b", sw: critical ? 2.5 : 0.75 });
      boxes.push({ k, x, y, w, h });
      const label = String(k);
      if (w >= label.length * 6.6 + 4) overlay.push({ t: "text", x: x + w / 2, y: y + h / 2 + 4, s: label, size: 11, anchor: "middle", fill: "#000", opacity: faded });
      if (marked.includes(k)) {
        overlay.push({ t: "rect", x: x - 3, y: y - 3, w: w + 6, h: h + 6, fill: "none", stroke: "#000000", sw: 1.5, dash: "4 2" });
        overlay.push({ t: "text", x: x + w / 2, y: y - 4, s: "\u25BC", size: 10, anchor: "middle", fill: "#000" });
      }
      if (k === inspected) overlay.push({ t: "rect", x: x - 2, y: y - 2, w: w + 4, h: h + 4, fill: "none", stroke: "#0b57d0", sw: 3 });
    }
  }
  items.push(...overlay);
  const cx = X(v.maxR);
  items.push({ t: "line", x1: cx, y1: TOP - 4, x2: cx, y2: TOP + MC * ROW_H + 4, stroke: "#000", sw: 1.5, dash: "6 3" });
  // Right of the line, or left of it where a long number would leave the
  // picture (bold digits of 12 px are about 7.5 px wide).
  const line = label ?? (v.final ? "Cmax = " + replay.cmax : "max R = " + v.maxR);
  const right = cx + 4 + line.length * 7.5 <= W;
  items.push({ t: "text", x: right ? cx + 4 : cx - 4, y: TOP + MC * ROW_H + 16, s: line, size: 12, anchor: right ? "start" : "end", fill: "#000", weight: "bold" });
  return { W, H, items, boxes, px, fitted };
}

// The chart as text, a line a machine: its operations in their order on it,
// each as number: start–end, the times the chart draws it between.
export function chartText(replay, v) {
  const { MC, P } = replay, R = v.after.R, lines = [];
  for (let i = 1; i <= MC; ++i) lines.push(v.rowsAfter[i].map((k) => k + ": " + (R[k] - P[k]) + "\u2013" + R[k]).join(", "));
  return lines;
}
