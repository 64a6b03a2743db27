// Boxes that hold only the rows in view (and a margin): thousands of rows
// would cost a layout of all of them at every step. Row elements are reused
// and a text node is rewritten only when its text changes, so a step that
// changes a few rows lays out little. Rows have a fixed pitch (the style
// makes it exact), so two spacers stand in for the rest.
//
// Laying out text is most of what a step costs, so a step writes only the
// rows in view; the margin above and below, there for scrolling, is filled
// once the browser is idle, or at once when the reader scrolls, unless
// another step comes first.

export const ROW_PX = 21;
const OVERSCAN = 8;

// The height of a box that holds `rows` rows and the header, up to 300 px.
// The boxes keep one height from step to step, so nothing below them moves
// (which would make the browser lay out more than changed).
export const boxHeight = (rows) => Math.min(300, 26 + rows * ROW_PX) + "px";

// The boxes of the page, so that a print can show all their rows.
const liveWindows = new Set();
export function showAllRows(on) {
  for (const box of liveWindows) {
    box.all = on;
    box.render();
  }
}

const whenIdle = (f) => (window.requestIdleCallback ? requestIdleCallback(f, { timeout: 500 }) : setTimeout(f, 50));
const cancelIdle = (id) => (window.cancelIdleCallback ? cancelIdleCallback(id) : clearTimeout(id));

// The scrolling and timing that both kinds of box share. A subclass has
// `pitch`, `count` and `writeRows(first, end, keepFrom, viewFirst,
// viewEnd)`, which shows rows first ... end - 1 (those from keepFrom on may
// stay as they are, see showPool) and writes those from viewFirst to
// viewEnd - 1.
class ScrollWindow {
  constructor(box, signal) {
    this.box = box;
    this.count = 0;
    this.scrollTop = this.height = this.headHeight = 0;
    this.renderedTop = -1;
    this.idle = 0;
    this.all = false;
    this.signal = signal;
    liveWindows.add(this);
    // A run started after this one takes over the elements: nothing of
    // this one may write into them later.
    signal.addEventListener("abort", () => {
      liveWindows.delete(this);
      cancelIdle(this.idle);
    });
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
        // A scroll of the page's own (scrollToRow) finds its rows written.
        if (this.scrollTop !== this.renderedTop) this.render();
      });
    }, { signal });
  }
  // Read before a step writes anything, so that reading does not force a
  // layout of half-updated content.
  measure() {
    this.scrollTop = this.box.scrollTop;
    this.height = this.box.clientHeight;
  }
  // After a step: the rows in view now, the margin when the browser is idle.
  refresh() {
    this.render(true);
    cancelIdle(this.idle);
    this.idle = whenIdle(() => this.render());
  }
  render(inViewOnly = false) {
    if (this.signal.aborted) return;
    if (this.all) {
      this.writeRows(0, this.count, Infinity, 0, this.count);
      return;
    }
    const pitch = this.pitch, top = Math.floor(this.scrollTop / pitch);
    const first = Math.max(0, top - OVERSCAN);
    const end = Math.min(this.count, top + Math.ceil(Math.max(this.height, 320) / pitch) + OVERSCAN);
    // Below a sticky header, rows top ... top + ceil(rest / pitch) show.
    const viewEnd = inViewOnly ? top + Math.ceil((this.height - this.headHeight) / pitch) + 1 : end;
    // Showing or hiding a row costs more than writing it: below the view,
    // rows stay shown or hidden until the margin is filled, unless the
    // table ends in view.
    const keepFrom = inViewOnly && end >= viewEnd ? viewEnd : Infinity;
    this.writeRows(first, end, keepFrom, inViewOnly ? top : first, viewEnd);
    this.renderedTop = this.scrollTop;
  }
}

// Shows rows first ... end - 1 of a pool of row elements between two
// spacers, making more as needed; those from keepFrom on stay as they are
// (shown rows are always the pool's first ones).
function showPool(pool, make, first, end, keepFrom, pitch, spacers, count) {
  while (pool.length < Math.min(end, keepFrom) - first) pool.push({ ...make(), shown: true });
  let shownRows = 0;
  for (let i = 0; i < pool.length; ++i) {
    const row = pool[i];
    if (first + i < keepFrom && row.shown !== first + i < end) {
      row.shown = first + i < end;
      row.element.style.display = row.shown ? "" : "none";
    }
    if (row.shown) shownRows = i + 1;
  }
  spacers[0].style.height = first * pitch + "px";
  spacers[1].style.height = Math.max(0, count - first - shownRows) * pitch + "px";
}

export class WindowedTable extends ScrollWindow {
  // `box` is the scroll box holding the table; `signal` ends its listening.
  constructor(box, columns, signal) {
    super(box, signal);
    this.pitch = ROW_PX;
    this.tbody = box.querySelector("tbody");
    this.head = box.querySelector("thead");
    this.columns = columns;
    this.rowAt = null;
    this.pool = [];
    this.tbody.replaceChildren();
    this.top = this.tbody.appendChild(document.createElement("tr"));
    this.bottom = this.tbody.appendChild(document.createElement("tr"));
    this.top.className = this.bottom.className = "spacer";
  }
  measure() {
    super.measure();
    this.headHeight = this.head.offsetHeight;
  }
  // The rows the box will hold, so that it scrolls before its first step.
  reserve(count) {
    this.bottom.style.height = count * ROW_PX + "px";
  }
  // rowAt(i) gives row i (from 0): { cells, cls, strong } where strong
  // flags, bit c for column c, the cells shown in bold. With `reveal` (a
  // row), the window moves to it first, so that the frame shows it at once.
  show(count, rowAt, reveal = -1) {
    this.count = rowAt ? count : 0;
    this.rowAt = rowAt;
    if (reveal >= 0) this.moveTo(reveal);
    this.refresh();
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
  writeRows(first, end, keepFrom, viewFirst, viewEnd) {
    const make = () => {
      const element = document.createElement("tr"), nodes = [];
      for (let c = 0; c < this.columns; ++c) nodes.push(element.appendChild(document.createElement("td")).appendChild(document.createTextNode("")));
      this.tbody.insertBefore(element, this.bottom);
      return { element, nodes, cls: "", strong: 0 };
    };
    showPool(this.pool, make, first, end, keepFrom, ROW_PX, [this.top, this.bottom], this.count);
    for (let r = Math.max(first, viewFirst); r < Math.min(end, viewEnd); ++r) {
      const row = this.pool[r - first];
      const { cells, cls = "", strong = 0 } = this.rowAt(r);
      for (let c = 0; c < this.columns; ++c) {
        const text = String(cells[c]), node = row.nodes[c];
        if (node.data !== text) node.data = text;
      }
      if (row.cls !== cls) {
        row.cls = cls;
        row.element.className = cls;
      }
      if (row.strong !== strong) {
        for (let c = 0; c < this.columns; ++c) row.element.cells[c].classList.toggle("strong", ((strong >> c) & 1) === 1);
        row.strong = strong;
      }
    }
  }
}

// A box of numbers in lines (the list may run to a million), as many to a
// line as its width holds. The style makes a line LINE_PX high and its font
// monospaced, so a line of n numbers of d digits is n * (d + 1) - 1
// characters wide at most.
const LINE_PX = 17;

export class WindowedLines extends ScrollWindow {
  constructor(box, signal) {
    super(box, signal);
    this.pitch = LINE_PX;
    this.items = [];
    this.digits = 1;
    this.charPx = 0;
    this.width = 0;
    this.pool = [];
    box.replaceChildren();
    this.top = box.appendChild(document.createElement("div"));
    this.bottom = box.appendChild(document.createElement("div"));
    // How many numbers a line holds follows the box's width, also when the
    // box was hidden when a step measured it (then it shows nothing yet).
    const resized = new ResizeObserver(() => {
      if (box.clientWidth === this.width) return;
      this.measure();
      this.render();
    });
    resized.observe(box);
    signal.addEventListener("abort", () => resized.disconnect());
  }
  // The first time the box is shown, this also measures a character of its
  // font.
  measure() {
    super.measure();
    this.width = this.box.clientWidth;
    if (!this.charPx && this.width) {
      const probe = this.box.appendChild(document.createElement("span"));
      probe.textContent = "0".repeat(20);
      this.charPx = probe.getBoundingClientRect().width / 20;
      probe.remove();
    }
  }
  // items: an array of numbers, none wider than `digits` characters.
  show(items, digits) {
    this.items = items;
    this.digits = digits;
    this.refresh();
  }
  perLine() {
    return Math.max(1, Math.floor((this.width - 1 + this.charPx) / (this.charPx * (this.digits + 1))));
  }
  render(inViewOnly = false) {
    this.count = this.width ? Math.ceil(this.items.length / this.perLine()) : 0;
    super.render(inViewOnly);
  }
  writeRows(first, end, keepFrom, viewFirst, viewEnd) {
    const make = () => {
      const element = this.box.insertBefore(document.createElement("div"), this.bottom);
      return { element, text: element.appendChild(document.createTextNode("")) };
    };
    showPool(this.pool, make, first, end, keepFrom, LINE_PX, [this.top, this.bottom], this.count);
    const perLine = this.perLine();
    for (let r = Math.max(first, viewFirst); r < Math.min(end, viewEnd); ++r) {
      const text = Array.prototype.join.call(this.items.slice(r * perLine, (r + 1) * perLine), " ");
      const node = this.pool[r - first].text;
      if (node.data !== text) node.data = text;
    }
  }
}
