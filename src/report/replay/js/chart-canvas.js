// Draws a chart scene (chart-scene.js) on a canvas.

// Hatch tiles as canvas patterns, per context, made once.
const patternCaches = new WeakMap();
function canvasPattern(ctx, fill, hatch) {
  let cache = patternCaches.get(ctx);
  if (!cache) patternCaches.set(ctx, (cache = new Map()));
  const key = fill + hatch;
  if (cache.has(key)) return cache.get(key);
  const c = document.createElement("canvas");
  c.width = c.height = 8;
  const g = c.getContext("2d");
  g.fillStyle = fill;
  g.fillRect(0, 0, 8, 8);
  g.strokeStyle = "rgba(0,0,0,0.55)";
  g.fillStyle = "rgba(0,0,0,0.55)";
  g.lineWidth = 1;
  if (hatch === "diag" || hatch === "cross") { g.beginPath(); g.moveTo(0, 8); g.lineTo(8, 0); g.stroke(); }
  if (hatch === "cross") { g.beginPath(); g.moveTo(0, 0); g.lineTo(8, 8); g.stroke(); }
  if (hatch === "dots") { g.fillRect(1, 1, 2, 2); g.fillRect(5, 5, 2, 2); }
  const pattern = ctx.createPattern(c, "repeat");
  cache.set(key, pattern);
  return pattern;
}

// The boxes in lists of equal `keys`, in the order each list first comes:
// nested maps, so that no key string is made per box.
function groupBy(list, ...keys) {
  const root = new Map(), lists = [], last = keys.length - 1;
  for (const b of list) {
    let node = root;
    for (let i = 0; i < last; ++i) {
      let next = node.get(b[keys[i]]);
      if (!next) node.set(b[keys[i]], (next = new Map()));
      node = next;
    }
    let group = node.get(b[keys[last]]);
    if (!group) {
      node.set(b[keys[last]], (group = []));
      lists.push(group);
    }
    group.push(b);
  }
  return lists;
}

// Operation boxes do not overlap, so they are drawn one path per fill and
// per outline instead of one call each: thousands of boxes cost a few
// dozen canvas calls.
function drawBoxes(ctx, boxes) {
  for (const list of groupBy(boxes, "fill", "hatch", "opacity")) {
    const b0 = list[0];
    ctx.globalAlpha = b0.opacity;
    ctx.fillStyle = b0.hatch !== "none" ? canvasPattern(ctx, b0.fill, b0.hatch) : b0.fill;
    ctx.beginPath();
    for (const b of list) ctx.rect(b.x, b.y, b.w, b.h);
    ctx.fill();
  }
  ctx.globalAlpha = 1;
  // Thin outlines first, so the thick ones of critical operations stay whole.
  const outlines = groupBy(boxes, "sw", "stroke").sort((a, b) => a[0].sw - b[0].sw);
  for (const list of outlines) {
    ctx.strokeStyle = list[0].stroke;
    ctx.lineWidth = list[0].sw;
    ctx.beginPath();
    for (const b of list) ctx.rect(b.x, b.y, b.w, b.h);
    ctx.stroke();
  }
}

// `pen` remembers the canvas state set last: a setter parses what it is
// given, and the items share a few colours, widths and fonts, so each is set
// on change only.
function use(ctx, pen, property, value) {
  if (pen[property] !== value) {
    pen[property] = value;
    ctx[property] = value;
  }
}

function useStroke(ctx, pen, it) {
  use(ctx, pen, "strokeStyle", it.stroke);
  use(ctx, pen, "lineWidth", it.sw);
  const dash = it.dash || "";
  if (pen.dash !== dash) {
    pen.dash = dash;
    ctx.setLineDash(dash ? dash.split(" ").map(Number) : []);
  }
}

function drawItem(ctx, it, pen) {
  use(ctx, pen, "globalAlpha", it.opacity ?? 1);
  if (it.t === "rect") {
    if (it.fill !== "none") {
      use(ctx, pen, "fillStyle", it.hatch && it.hatch !== "none" ? canvasPattern(ctx, it.fill, it.hatch) : it.fill);
      ctx.fillRect(it.x, it.y, it.w, it.h);
    }
    if (it.stroke) {
      useStroke(ctx, pen, it);
      ctx.strokeRect(it.x, it.y, it.w, it.h);
    }
  } else {
    use(ctx, pen, "font", (it.weight || "normal") + " " + it.size + "px system-ui, sans-serif");
    use(ctx, pen, "textAlign", it.anchor === "middle" ? "center" : it.anchor === "end" ? "right" : "left");
    use(ctx, pen, "fillStyle", it.fill);
    ctx.fillText(it.s, it.x, it.y);
  }
}

// Browsers leave a canvas blank beyond their limits (a side of 32,767 px in
// Firefox, an area of 2^24 px in Safari on phones): a wide chart on a dense
// screen gets fewer device pixels per CSS pixel instead.
const MAX_SIDE = 32000, MAX_AREA = 2 ** 24;

export function drawCanvas(canvas, sc) {
  const dpr = Math.min(window.devicePixelRatio || 1, MAX_SIDE / sc.W, MAX_SIDE / sc.H, Math.sqrt(MAX_AREA / (sc.W * sc.H)));
  const w = Math.round(sc.W * dpr), h = Math.round(sc.H * dpr);
  if (canvas.width !== w || canvas.height !== h) {
    canvas.width = w;
    canvas.height = h;
    canvas.style.width = sc.W + "px";
    canvas.style.height = sc.H + "px";
  }
  const ctx = canvas.getContext("2d");
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  ctx.setLineDash([]);
  let pen = {};  // the state as the context had it: unknown
  const items = sc.items;
  for (let i = 0; i < items.length;) {
    if (items[i].box) {
      let end = i;
      while (end < items.length && items[end].box) ++end;
      drawBoxes(ctx, items.slice(i, end));
      pen = {};
      i = end;
    } else if (items[i].t === "line") {
      i = drawLines(ctx, items, i, pen);
    } else {
      // Text less than a device pixel high cannot be read: a chart of
      // thousands of machines squeezed into the canvas's limits skips it.
      if (items[i].t !== "text" || items[i].size * dpr >= 1) drawItem(ctx, items[i], pen);
      ++i;
    }
  }
  ctx.globalAlpha = 1;
}

// The lines from items[i] on that share one pen, as one path; returns the
// index after them.
function drawLines(ctx, items, i, pen) {
  const first = items[i];
  use(ctx, pen, "globalAlpha", first.opacity ?? 1);
  useStroke(ctx, pen, first);
  ctx.beginPath();
  for (; i < items.length; ++i) {
    const it = items[i];
    if (it.t !== "line" || it.stroke !== first.stroke || it.sw !== first.sw || it.dash !== first.dash || it.opacity !== first.opacity) break;
    ctx.moveTo(it.x1, it.y1);
    ctx.lineTo(it.x2, it.y2);
  }
  ctx.stroke();
  return i;
}
