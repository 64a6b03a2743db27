// Panel: the Gantt chart after a step, its legend, the critical operations,
// the operation inspector and tooltip, zoom, and saving as SVG or PNG.

import { drawCanvas } from "./chart-canvas.js";
import { PALETTE, buildScene, chartText, jobStyle } from "./chart-scene.js";
import { sceneToSvg } from "./chart-svg.js";
import { BLOCK_COLOUR, PATH_COLOUR, buildSearchScene } from "./search-scene.js";
import { criticalOps, operationFacts, placedOps } from "./derive.js";
import { byId, download, safeFileName, setText } from "./dom.js";
import { numberMessage, readNumber } from "./explain.js";

// Jobs listed in the legend; past them a line says how colours repeat.
const LEGEND_JOBS = 12;

export function createChartPanel(page) {
  const { replay, signal } = page, { J, N } = replay;
  const canvas = byId("gantt"), scroll = byId("gantt-scroll"), tip = byId("tooltip");
  const critical = byId("critical-path"), inspectOut = byId("inspect-out"), legend = byId("legend");
  let view = null, scene = null;
  let width = 900;
  let pxPerUnit = 0;  // 0: fit the width
  let hoverJob = 0, inspected = 0, inspectAsked = null;

  function describe(k) {
    const { t } = page.tr, f = operationFacts(replay, view, k);
    return t("chart.describe", f) + (f.placed ? "" : t("chart.unplaced"));
  }
  function renderInspect() {
    setText(inspectOut, inspected ? describe(inspected) : numberMessage(page.tr, inspectAsked, "explain.no-op", N));
  }
  function draw() {
    scene = (view.search ? buildSearchScene : buildScene)(replay, view, { width, pxPerUnit, hoverJob, inspected });
    drawCanvas(canvas, scene);
    const { t } = page.tr;
    const placed = new Set(placedOps(view));
    const crit = criticalOps(replay, view);
    setText(critical, t("chart.critical", { length: view.maxR, ops: crit.map((k) => (placed.has(k) ? String(k) : k + "*")).join(" ") }) +
      (crit.some((k) => !placed.has(k)) ? t("chart.critical-unplaced") : ""));
    renderInspect();
  }
  function renderLegend() {
    const { t } = page.tr;
    const item = (swatchStyle, text) => {
      const span = document.createElement("span"), sw = document.createElement("span");
      sw.className = "sw";
      sw.style.cssText = swatchStyle;
      span.append(sw, text);
      return span;
    };
    const items = [item("border:2.5px solid #000", t("legend.critical"))];
    if (view?.search) {
      items.push(item("border:none;border-bottom:4px solid " + PATH_COLOUR, t("legend.path")), item("border:2px solid " + BLOCK_COLOUR, t("legend.block")),
        item("border:1.5px dashed #000", t("legend.moved")));
    } else {
      items.push(item("border:1.5px dashed #000", t("legend.inserted")));
    }
    const colour = document.createElement("span");
    colour.textContent = t("legend.colour");
    items.push(colour);
    for (let j = 1; j <= Math.min(J, LEGEND_JOBS); ++j) {
      const st = jobStyle(j);
      items.push(item("background:" + st.fill, t("legend.job", { j }) + (st.hatch !== "none" ? " (" + t("legend.hatch." + st.hatch) + ")" : "")));
    }
    if (J > LEGEND_JOBS) {
      const more = document.createElement("span");
      more.textContent = page.tr.count(PALETTE.length, "legend.repeat");
      items.push(more);
    }
    legend.replaceChildren(...items);
  }
  const fileBase = () => safeFileName(replay.name || page.tr.t("file.default-name")) + "_" +
    (view.search ? page.tr.t("file.iteration") + "_" + view.search.i : page.tr.t("file.step") + "_" + view.t);

  byId("zoom-fit").onclick = () => { pxPerUnit = 0; draw(); };
  // The scene keeps the scale between the fitted one and its largest zoom.
  byId("zoom-in").onclick = () => { pxPerUnit = scene.px * 1.6; draw(); };
  byId("zoom-out").onclick = () => { pxPerUnit = scene.px / 1.6 > scene.fitted ? scene.px / 1.6 : 0; draw(); };
  byId("save-svg").onclick = () => download(fileBase() + ".svg", new Blob([sceneToSvg(scene)], { type: "image/svg+xml" }));
  byId("save-png").onclick = () => canvas.toBlob((b) => download(fileBase() + ".png", b), "image/png");
  const inspect = byId("inspect");
  inspect.max = N;
  inspect.value = "";
  // A number that names no operation says so instead of showing nothing.
  inspect.oninput = (e) => {
    inspectAsked = readNumber(e.target.value, N, e.target.validity.badInput);
    inspected = inspectAsked?.n || 0;
    draw();
  };

  const hover = (j) => {
    if (j !== hoverJob) {
      hoverJob = j;
      draw();
    }
  };
  canvas.addEventListener("mousemove", (e) => {
    const r = canvas.getBoundingClientRect();
    const x = e.clientX - r.left, y = e.clientY - r.top;
    let hit = null;
    for (const b of scene.boxes) if (x >= b.x - 1 && x <= b.x + b.w + 1 && y >= b.y && y <= b.y + b.h) { hit = b; break; }
    if (!hit) {
      tip.style.display = "none";
      hover(0);
      return;
    }
    tip.textContent = describe(hit.k);
    tip.style.display = "block";
    tip.style.left = Math.min(e.clientX + 12, window.innerWidth - tip.offsetWidth - 4) + "px";
    tip.style.top = e.clientY + 14 + "px";
    hover(replay.jobOf(hit.k));
  }, { signal });
  canvas.addEventListener("mouseleave", () => {
    tip.style.display = "none";
    hover(0);
  }, { signal });

  renderLegend();
  return {
    element: byId("gantt-panel"),
    phase: "both",
    measure() { width = scroll.clientWidth || 900; },
    render(v) {
      const legendChanges = !!v.search !== !!view?.search;
      view = v;
      if (legendChanges) renderLegend();
      draw();
    },
    // A fitted chart follows the window's width.
    refit() { if (pxPerUnit === 0 && view) draw(); },
    retext() {
      renderLegend();
      if (view) draw();
    },
  };
}

// The chart as a table for screen readers (kept off the screen, so it costs
// no layout), current at every step wherever the page is scrolled.
// Its rows are built apart and put in at once: a row at a time into the
// table (insertRow) costs Chromium time that grows with the rows already
// there, minutes for 100,000 machines.
export function createChartText(page) {
  const { replay } = page, body = byId("gantt-text").querySelector("tbody");
  const cells = [null], rows = document.createDocumentFragment();
  for (let i = 1; i <= replay.MC; ++i) {
    const row = rows.appendChild(document.createElement("tr")), machine = row.appendChild(document.createElement("th"));
    machine.scope = "row";
    machine.textContent = "M" + i;
    cells.push(row.appendChild(document.createElement("td")).appendChild(document.createTextNode("")));
  }
  body.replaceChildren(rows);
  return {
    phase: "both",
    render(v) {
      const lines = chartText(replay, v);
      for (let i = 1; i <= replay.MC; ++i) if (cells[i].data !== lines[i - 1]) cells[i].data = lines[i - 1];
    },
  };
}
