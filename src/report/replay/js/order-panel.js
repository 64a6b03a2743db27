// Panel: the insertion order as a list of operations, in which a click on
// an operation goes to the step that inserts it, a field that does the same
// for a typed operation, and all steps saved as CSV.
//
// The list is one text in a fixed-width font, each operation in a cell of
// the same width, so that where an operation lies (and which one a click
// hits) is arithmetic: thousands of elements would cost a tenth of a second
// at loading and a layout and paint of all of them at every step. The
// step's operation is marked by a box laid over it, and so is each step
// solved in practice.

import { byId, download, safeFileName } from "./dom.js";
import { insertionSteps, numberMessage, readNumber } from "./explain.js";
import { stepsCsv } from "./steps-csv.js";

export function createOrderPanel(page) {
  const { replay } = page, STEPS = replay.STEPS;
  const list = byId("insertion-order"), box = byId("order-box"), marker = byId("order-marker"), probe = byId("order-probe");
  const input = byId("goto-op"), message = byId("goto-message");
  const stepOf = insertionSteps(replay);
  // Cells of `width` characters and a space; `perLine` cells to a line.
  const width = String(replay.N).length;
  const cells = replay.steps.map((s) => String(s.op).padStart(width));
  let perLine = 0, charPx = 0, linePx = 0, listTop = 0, listLeft = 0, boxWidth = 0, scrollTop = 0, height = 0;
  let shown = 0;

  // Read in the reading phase: the box's size, and once the font's (from a
  // hidden line of 40 digits in it).
  function measure() {
    boxWidth = box.clientWidth;
    height = box.clientHeight;
    scrollTop = box.scrollTop;
    if (!charPx && boxWidth > 0) {
      const r = probe.getBoundingClientRect();
      charPx = r.width / 40;
      linePx = r.height;
      listTop = list.offsetTop;
      listLeft = list.offsetLeft;
    }
  }
  const cellPx = () => (width + 1) * charPx;
  function layOut() {
    const fits = Math.max(1, Math.floor((boxWidth - 12) / cellPx()));
    if (fits === perLine) return;
    perLine = fits;
    const lines = [];
    for (let i = 0; i < STEPS; i += perLine) lines.push(cells.slice(i, i + perLine).join(" "));
    list.textContent = lines.join("\n");
  }
  // The step whose operation lies under the point (x, y) of the list.
  function stepAt(x, y) {
    const line = Math.floor(y / linePx), cell = Math.floor(x / cellPx());
    if (cell >= perLine) return 0;
    const t = line * perLine + cell + 1;
    return t >= 1 && t <= STEPS ? t : 0;
  }

  list.addEventListener("click", (e) => {
    const t = stepAt(e.offsetX, e.offsetY);
    if (t) page.show(t);
  }, { signal: page.signal });
  list.addEventListener("mousemove", (e) => {
    const t = stepAt(e.offsetX, e.offsetY), op = t ? replay.steps[t - 1].op : 0;
    list.title = t ? page.tr.t("order.item", { t, op, p: replay.P[op] }) : "";
  }, { signal: page.signal });

  input.max = replay.N;
  input.value = "";
  message.textContent = "";
  input.onchange = () => {
    const asked = readNumber(input.value, replay.N, input.validity.badInput);
    message.textContent = numberMessage(page.tr, asked, "explain.no-op", replay.N);
    if (asked?.n) page.show(stepOf[asked.n]);
  };
  byId("save-csv").onclick = () => {
    const name = safeFileName(replay.name || page.tr.t("file.default-name")) + "_" + page.tr.t("order.csv-file") + ".csv";
    download(name, new Blob([stepsCsv(replay)], { type: "text/csv" }));
  };

  // A box over step t's cell.
  const cornerOf = (t) => ({ top: Math.floor((t - 1) / perLine) * linePx + listTop, left: ((t - 1) % perLine) * cellPx() + listLeft });
  function cover(box, t) {
    const { top, left } = cornerOf(t);
    box.style.transform = "translate(" + (left - 2) + "px, " + top + "px)";
    box.style.width = width * charPx + 4 + "px";
    box.style.height = linePx + "px";
  }
  // The steps solved, each under a box of its own, placed where the lines
  // are laid out.
  let solved = [], solvedBoxes = [], solvedAt = "";
  function placeSolved() {
    const at = perLine + " " + solved.join(" ");
    if (at === solvedAt) return;
    solvedAt = at;
    while (solvedBoxes.length < solved.length) {
      const mark = document.createElement("div");
      mark.className = "order-solved";
      solvedBoxes.push(box.insertBefore(mark, marker));
    }
    solvedBoxes.forEach((mark, i) => {
      mark.hidden = i >= solved.length;
      if (!mark.hidden) cover(mark, solved[i]);
    });
  }

  // The list in lines that fit the box, and the box over step `shown`.
  function place() {
    if (!charPx || !shown) return;
    layOut();
    placeSolved();
    const { top } = cornerOf(shown);
    marker.hidden = false;
    cover(marker, shown);
    // The list follows the step once the frame is laid out anyway.
    if (top >= scrollTop && top + linePx <= scrollTop + height) return;
    scrollTop = Math.max(0, top - height / 2);
    requestAnimationFrame(() => { box.scrollTop = scrollTop; });
  }

  return {
    measure,
    render(v) {
      shown = v.t;
      place();
    },
    refit: place,
    markSolved(steps) {
      solved = steps;
      if (!charPx) return;
      layOut();
      placeSolved();
    },
  };
}
