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
    fragment.append(a, " ");
  }
  list.replaceChildren(fragment);
  let current = null, shown = 0;
  const titles = () => {
    const { t } = page.tr;
    for (let s = 1; s <= replay.STEPS; ++s) {
      const op = replay.steps[s - 1].op;
      items[s].title = t("order.item", { t: s, op, p: replay.P[op] });
    }
  };
  titles();

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
    render(v) {
      if (current) {
        current.classList.remove("current");
        current.removeAttribute("aria-current");
      }
      current = items[v.t];
      current.classList.add("current");
      current.setAttribute("aria-current", "step");
      shown = v.t;
      // The list follows the step once the frame is laid out anyway.
      requestAnimationFrame(() => {
        if (shown !== v.t || box.clientHeight === 0) return;
        const top = current.offsetTop, bottom = top + current.offsetHeight;
        if (top < box.scrollTop || bottom > box.scrollTop + box.clientHeight) box.scrollTop = top - box.clientHeight / 2;
      });
    },
    retext: titles,
  };
}
