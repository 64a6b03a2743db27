// Panel: the insertion order as a list of operations, each leading to the
// step that inserts it, a field that goes to an operation's step, and all
// steps saved as CSV.

import { byId, download, safeFileName } from "./dom.js";
import { insertionSteps, numberMessage, readNumber } from "./explain.js";
import { stepsCsv } from "./steps-csv.js";

export function createOrderPanel(page) {
  const { replay } = page;
  const list = byId("insertion-order"), box = byId("order-box"), input = byId("goto-op"), message = byId("goto-message");
  const stepOf = insertionSteps(replay);
  // One link per step, made once: "#t" is the page's own address of step t.
  const items = [null];
  const fragment = document.createDocumentFragment();
  for (let t = 1; t <= replay.STEPS; ++t) {
    const a = document.createElement("a");
    a.href = "#" + t;
    a.textContent = replay.steps[t - 1].op;
    items.push(a);
    fragment.append(a);
  }
  list.replaceChildren(fragment);
  // An item's title is written when the pointer first comes to it.
  list.addEventListener("mouseover", (e) => {
    const a = e.target.closest("a");
    if (!a || a.title) return;
    const s = Number(a.hash.slice(1)), op = replay.steps[s - 1].op;
    a.title = page.tr.t("order.item", { t: s, op, p: replay.P[op] });
  }, { signal: page.signal });
  // The step's item is marked by a box laid over it: marking the item itself
  // would lay out and paint the whole list again at every step. Where the
  // items lie is read once (and after a resize) in the reading phase, so
  // that a step only writes.
  const marker = byId("order-marker");
  let current = null, at = null, scrollTop = 0, height = 0;

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

  return {
    measure() {
      height = box.clientHeight;
      scrollTop = box.scrollTop;
      if (!at && height > 0) at = items.map((a) => a && { top: a.offsetTop, left: a.offsetLeft, width: a.offsetWidth, height: a.offsetHeight });
    },
    refit() { at = null; },
    render(v) {
      current?.removeAttribute("aria-current");
      current = items[v.t];
      current.setAttribute("aria-current", "step");
      const place = at?.[v.t];
      marker.hidden = !place;
      if (!place) return;
      marker.style.transform = "translate(" + place.left + "px, " + place.top + "px)";
      marker.style.width = place.width + "px";
      marker.style.height = place.height + "px";
      // The list follows the step once the frame is laid out anyway.
      if (place.top >= scrollTop && place.top + place.height <= scrollTop + height) return;
      scrollTop = Math.max(0, place.top - height / 2);
      requestAnimationFrame(() => { box.scrollTop = scrollTop; });
    },
    retext() {
      for (const a of items) if (a?.title) a.title = "";
    },
  };
}
