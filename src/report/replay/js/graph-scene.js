// The schedule graph after a step as a scene: nodes on a fixed grid (one row
// per job, one column per technological position, the source at the left,
// the sink at the right) and arcs with their routes. A pure function of the
// replay and a step's view; no DOM. graph-svg.js writes it as SVG.

import { machineLinks } from "./derive.js";

// Bigger instances get a note instead: their graph is no longer readable.
const GRAPH_LIMIT = 15;
export const graphFits = (replay) => replay.J <= GRAPH_LIMIT && replay.MC <= GRAPH_LIMIT;

// Machine arcs: Paul Tol's "muted" scheme (distinguishable with colour
// vision deficiencies, dark enough for thin lines) and dash patterns of
// another period, so machines of one colour differ in dashes; every node
// also names its machine, which tells an arc's machine without colour.
const MACHINE_COLOURS = ["#CC6677", "#332288", "#DDCC77", "#117733", "#88CCEE", "#882255", "#44AA99", "#999933", "#AA4499"];
const MACHINE_DASHES = ["", "8 4", "2 3", "8 3 2 3", "8 3 2 3 2 3"];
export const machineStyle = (i) => ({
  stroke: MACHINE_COLOURS[(i - 1) % MACHINE_COLOURS.length],
  dash: MACHINE_DASHES[(i - 1) % MACHINE_DASHES.length],
});

const ROW = 62, NODE_H = 34, GAP_X = 52, MARGIN = 48, END_R = 13;

// One longest path from the source to the sink, as its operations in order;
// empty when R and Q do not describe the graph. Among equal longest paths
// it takes the one that starts at the smallest operation number and, where
// two successors continue a longest path, goes on to the smaller number.
export function longestPath(N, links, R, Q, maxR) {
  const { NO, NM, PO, PM } = links;
  let k = 0;
  for (let s = 1; s <= N && !k; ++s) if (PO[s] === 0 && PM[s] === 0 && Q[s] === maxR) k = s;
  const path = [];
  // An arc k -> s lies on a longest path through k when R[k] + Q[s] is the
  // longest path's length (both include their operation's time).
  while (k && path.length <= N) {
    path.push(k);
    const a = NO[k], b = NM[k];
    const onPath = [a, b].filter((s) => s > 0 && R[k] + Q[s] === maxR).sort((x, y) => x - y);
    if (onPath.length === 0) return a || b ? [] : path;
    k = onPath[0];
  }
  return [];
}

// Where every node stands; the same for every step of a replay. The nodes
// are wide enough for the largest R and Q, which the last step reaches.
export function graphLayout(replay) {
  const { J, MC, cmax } = replay;
  const digits = String(Math.max(cmax, 99)).length;
  const w = Math.max(60, Math.ceil((2 * digits + 5) * 5.8 + 10));
  const colX = (c) => MARGIN + 2 * END_R + GAP_X + w / 2 + (c - 1) * (w + GAP_X);
  const rowY = (j) => MARGIN + NODE_H / 2 + (j - 1) * ROW;
  const middle = rowY((J + 1) / 2);
  return {
    nodeW: w, nodeH: NODE_H,
    routes: new Map(),  // the routes of the arcs drawn so far
    W: Math.ceil(colX(MC) + w / 2 + GAP_X + 2 * END_R + MARGIN),
    H: Math.ceil(rowY(J) + NODE_H / 2 + MARGIN),
    at: (k) => ({ x: colX(((k - 1) % MC) + 1), y: rowY(Math.floor((k - 1) / MC) + 1) }),
    source: { x: MARGIN + END_R, y: middle },
    sink: { x: colX(MC) + w / 2 + GAP_X + END_R, y: middle },
  };
}

const round = (x) => Math.round(x * 10) / 10;

// Where the line from a shape's centre c towards p leaves the shape (a node's
// rectangle, or a source or sink circle when half.r is set).
function border(c, p, half) {
  const dx = p.x - c.x, dy = p.y - c.y, len = Math.hypot(dx, dy) || 1;
  const s = half.r ? half.r / len : Math.min(half.w / Math.abs(dx || 1e-9), half.h / Math.abs(dy || 1e-9));
  return { x: c.x + dx * s, y: c.y + dy * s };
}

// The arrow's head at `tip`, coming from `from`.
function arrowHead(from, tip) {
  const dx = tip.x - from.x, dy = tip.y - from.y, len = Math.hypot(dx, dy) || 1;
  const ux = dx / len, uy = dy / len, L = 8, S = 3.5;
  const bx = tip.x - ux * L, by = tip.y - uy * L;
  return `M${round(tip.x)} ${round(tip.y)}L${round(bx - uy * S)} ${round(by + ux * S)}L${round(bx + uy * S)} ${round(by - ux * S)}Z`;
}

// A straight arc between neighbouring nodes; a curve bowed to the left of
// its direction otherwise, leaving and entering the nodes sideways, so it
// passes beside the nodes between its ends instead of through them. Its
// control points stay in the picture, and so does the curve.
function route(a, b, halfA, halfB, curved, W, H) {
  if (!curved) {
    const s = border(a, b, halfA), e = border(b, a, halfB);
    return { d: `M${round(s.x)} ${round(s.y)}L${round(e.x)} ${round(e.y)}`, head: arrowHead(s, e), mid: { x: (s.x + e.x) / 2, y: (s.y + e.y) / 2 } };
  }
  const dx = b.x - a.x, dy = b.y - a.y, len = Math.hypot(dx, dy);
  const h = Math.min(0.2 * len + halfA.w, 120), nx = dy / len, ny = -dx / len;
  const inside = (x, y) => ({ x: Math.min(Math.max(x, 2), W - 2), y: Math.min(Math.max(y, 2), H - 2) });
  const c1 = inside(a.x + dx * 0.12 + nx * h, a.y + dy * 0.12 + ny * h);
  const c2 = inside(a.x + dx * 0.88 + nx * h, a.y + dy * 0.88 + ny * h);
  const s = border(a, c1, halfA), e = border(b, c2, halfB);
  return {
    d: `M${round(s.x)} ${round(s.y)}C${round(c1.x)} ${round(c1.y)} ${round(c2.x)} ${round(c2.y)} ${round(e.x)} ${round(e.y)}`,
    head: arrowHead(c2, e),
    mid: { x: (s.x + 3 * c1.x + 3 * c2.x + e.x) / 8, y: (s.y + 3 * c1.y + 3 * c2.y + e.y) / 8 },
  };
}

// What a step marks in its graph: the arcs its insertion added and the one
// it replaced (none in the graph before it), and the operation inserted;
// the path drawn is one longest path.
function insertionMarks(view, before) {
  const s = view.step, op = s.op, sequence = view.rowsBefore[s.machine], b = s.position;
  const u = b >= 2 ? sequence[b - 2] : 0, v = b <= sequence.length ? sequence[b - 1] : 0;
  return {
    path: null, framed: op, moved: () => false,
    added: (from, to) => !before && (to === op ? from === u : from === op && to === v),
    removed: !before && u && v ? { from: u, to: v } : null,
  };
}

// The graph after the step of `view`:
//   nodes: { op, job, machine, p, x, y, R, Q, placed, critical, inserted },
//   arcs: { from, to, kind ("source", "job", "machine", "sink"), machine,
//     added, critical, d, head } (0 is the source or the sink),
//   removed: the machine arc the insertion replaced, or null,
//   path: the longest path's operations, length: its length.
// With `before`, the graph the step starts from, as a student draws it
// first: no R and Q (null), no longest path, nothing added or replaced;
// the operation to insert marked, not placed yet.
// Another kind of view brings its own `marks`: { path (the path drawn, null
// for one longest path), framed (an operation, 0: none), added(from, to)
// and moved(from, to) (machine arcs to mark so), removed ({ from, to } or
// null) }.
export function buildGraph(replay, view, layout, { before = false, marks = insertionMarks(view, before) } = {}) {
  const { N, MC, P, M, NO, PO } = replay;
  const { R, Q } = before ? { R: [], Q: [] } : view.after;
  const rows = before ? view.rowsBefore : view.rowsAfter;
  const { NM, PM } = machineLinks(N, rows);
  const path = before ? [] : marks.path || longestPath(N, { NO, NM, PO, PM }, R, Q, view.maxR);
  const onPath = new Set();
  for (let i = 0; i <= path.length && path.length; ++i) onPath.add((path[i - 1] || 0) + "-" + (path[i] || 0));
  const op = marks.framed;
  const placed = new Uint8Array(N + 1);
  for (let i = 1; i <= MC; ++i) for (const k of rows[i]) placed[k] = 1;

  const half = { w: layout.nodeW / 2, h: layout.nodeH / 2 }, end = { r: END_R };
  const nodes = [], arcs = [];
  const pathSet = new Set(path);
  for (let k = 1; k <= N; ++k) {
    const { x, y } = layout.at(k);
    nodes.push({ op: k, job: replay.jobOf(k), machine: M[k], p: P[k], x, y, R: R[k] ?? null, Q: Q[k] ?? null, placed: placed[k] === 1, critical: pathSet.has(k), inserted: k === op });
  }
  // Routes depend on the layout alone, so they are made once.
  const routeOf = (from, to, curved) => {
    const key = from + "-" + to + (curved ? "c" : "");
    let r = layout.routes.get(key);
    if (!r) {
      const a = from ? layout.at(from) : layout.source, c = to ? layout.at(to) : layout.sink;
      layout.routes.set(key, (r = route(a, c, from ? half : end, to ? half : end, curved, layout.W, layout.H)));
    }
    return r;
  };
  const arc = (from, to, kind, curved) => {
    const r = routeOf(from, to, curved);
    const machine = kind === "machine";
    arcs.push({
      from, to, kind, machine: machine ? M[from] : 0, added: machine && marks.added(from, to), moved: machine && marks.moved(from, to),
      critical: onPath.has(from + "-" + to), ...r,
    });
  };
  for (let k = 1; k <= N; ++k) {
    if (PO[k] === 0) arc(0, k, "source", false);
    if (NO[k] !== 0) arc(k, NO[k], "job", false);
    else arc(k, 0, "sink", false);
  }
  // Machine arcs between neighbouring rows and columns go straight.
  const curves = (a, b) => Math.abs(Math.floor((a - 1) / MC) - Math.floor((b - 1) / MC)) !== 1 || Math.abs(((a - 1) % MC) - ((b - 1) % MC)) > 1;
  for (let k = 1; k <= N; ++k) if (NM[k]) arc(k, NM[k], "machine", curves(k, NM[k]));
  const gone = marks.removed;
  const removed = gone ? { from: gone.from, to: gone.to, machine: M[gone.from], ...routeOf(gone.from, gone.to, curves(gone.from, gone.to)) } : null;
  let length = 0;
  for (const k of path) length += P[k];
  return { W: layout.W, H: layout.H, nodeW: layout.nodeW, nodeH: layout.nodeH, source: layout.source, sink: layout.sink, nodes, arcs, removed, path, length };
}
