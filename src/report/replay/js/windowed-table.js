// Tables that show only the rows in view of their scroll box (and a
// margin): thousands of rows would cost a layout of all of them at every
// step. Row elements are reused and a cell is written only when its text
// changes, so a step that changes a few rows lays out little. Rows are
// ROW_PX high (the style makes the pitch exact), so two spacer rows stand
// in for the rest.

export const ROW_PX = 21;
const OVERSCAN = 8;

// The height of a box that holds `rows` rows and the header, up to 300 px.
// The boxes keep one height from step to step, so nothing below them moves
// (which would make the browser lay out more than changed).
export const boxHeight = (rows) => Math.min(300, 26 + rows * ROW_PX) + "px";

// The tables of the page, so that a print can show all their rows.
const liveTables = new Set();
export function showAllRows(on) {
  for (const table of liveTables) {
    table.all = on;
    table.render();
  }
}

export class WindowedTable {
  // `box` is the scroll box holding the table; `signal` ends its listening.
  constructor(box, columns, signal) {
    this.box = box;
    this.tbody = box.querySelector("tbody");
    this.columns = columns;
    this.count = 0;
    this.rowAt = null;
    this.scrollTop = 0;
    this.height = 0;
    this.pool = [];
    this.all = false;
    liveTables.add(this);
    signal.addEventListener("abort", () => liveTables.delete(this));
    this.tbody.replaceChildren();
    this.top = this.tbody.appendChild(document.createElement("tr"));
    this.bottom = this.tbody.appendChild(document.createElement("tr"));
    this.top.className = this.bottom.className = "spacer";
    // The browser's scroll anchoring would answer every change of the top
    // spacer by scrolling as far again, and the window would run away from
    // the rows asked for (the chosen candidate ended off-screen).
    box.style.overflowAnchor = "none";
    let queued = false;
    box.addEventListener("scroll", () => {
      if (queued) return;
      queued = true;
      requestAnimationFrame(() => {
        queued = false;
        this.measure();
        this.render();
      });
    }, { signal });
  }
  // Read before a step writes anything, so that reading does not force a
  // layout of half-updated content.
  measure() {
    this.scrollTop = this.box.scrollTop;
    this.height = this.box.clientHeight;
  }
  // rowAt(i) gives row i (from 0): { cells, cls, strong } where strong
  // flags, bit c for column c, the cells shown in bold. With `reveal` (a
  // row), the window moves to it first, so that the frame shows it at once.
  show(count, rowAt, reveal = -1) {
    this.count = count;
    this.rowAt = rowAt;
    if (reveal >= 0) this.moveTo(reveal);
    this.render();
  }
  scrollToRow(i) {
    this.moveTo(i);
    this.render();
  }
  // Puts row i near the top of the window, unless it is in view already;
  // the box follows once the frame is laid out anyway (the browser stops it
  // at the end of the rows, with row i still in view).
  moveTo(i) {
    const y = i * ROW_PX;
    if (y >= this.scrollTop && y + 3 * ROW_PX <= this.scrollTop + this.height) return;
    this.scrollTop = Math.max(0, y - 2 * ROW_PX);
    requestAnimationFrame(() => { this.box.scrollTop = this.scrollTop; });
  }
  render() {
    if (!this.rowAt) this.count = 0;
    const first = this.all ? 0 : Math.max(0, Math.floor(this.scrollTop / ROW_PX) - OVERSCAN);
    const end = this.all ? this.count : Math.min(this.count, first + Math.ceil(Math.max(this.height, 320) / ROW_PX) + 2 * OVERSCAN);
    while (this.pool.length < end - first) {
      const tr = document.createElement("tr");
      for (let c = 0; c < this.columns; ++c) tr.appendChild(document.createElement("td"));
      this.tbody.insertBefore(tr, this.bottom);
      this.pool.push({ tr, text: new Array(this.columns).fill(""), shown: true, cls: "", strong: 0 });
    }
    for (let i = 0; i < this.pool.length; ++i) {
      const row = this.pool[i];
      const shown = first + i < end;
      if (row.shown !== shown) {
        row.shown = shown;
        row.tr.style.display = shown ? "" : "none";
      }
      if (!shown) continue;
      const { cells, cls = "", strong = 0 } = this.rowAt(first + i);
      for (let c = 0; c < this.columns; ++c) {
        const text = String(cells[c]);
        if (row.text[c] !== text) {
          row.text[c] = text;
          row.tr.cells[c].textContent = text;
        }
      }
      if (row.cls !== cls) {
        row.cls = cls;
        row.tr.className = cls;
      }
      if (row.strong !== strong) {
        for (let c = 0; c < this.columns; ++c) row.tr.cells[c].classList.toggle("strong", ((strong >> c) & 1) === 1);
        row.strong = strong;
      }
    }
    this.top.style.height = first * ROW_PX + "px";
    this.bottom.style.height = (this.count - end) * ROW_PX + "px";
  }
}
