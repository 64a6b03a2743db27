// Panel: the worksheet (worksheet.js) for a range of steps, or its answer
// key, shown in place of the steps as a page of its own to print.

import { byId } from "./dom.js";
import { graphFits } from "./graph-scene.js";
import { sheetRangeProblem, worksheet } from "./worksheet.js";

// <tag class=...>children</tag>; strings become text.
function el(tag, cls, ...children) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  e.append(...children.map((c) => (typeof c === "object" ? c : String(c))));
  return e;
}

// A table of header texts and rows of cells; an empty cell is one to fill.
function table(cls, header, rows) {
  const head = el("thead", "", el("tr", "", ...header.map((h) => el("th", "", h))));
  const body = el("tbody", "", ...rows.map((r) => {
    const tr = el("tr", r.chosen ? "chosen" : "", ...r.cells.map((c) => el("td", c === "" ? "fill" : "", c)));
    return tr;
  }));
  return el("table", cls, head, body);
}

const line = (label, value) => el("p", "sheet-line", label + " ", el("span", value === "" ? "fill wide" : "", value));

function renderSheet(ws, tr) {
  const { t, count } = tr;
  const titleKey = (ws.key ? "sheet.key-title" : "sheet.title") + (ws.from === ws.to ? "-one" : "");
  const parts = [el("h1", "", t(titleKey, { name: ws.name, from: ws.from, to: ws.to }))];
  if (!ws.key) parts.push(line(t("sheet.student"), ""));
  parts.push(el("h2", "", t("sheet.instance", { jobs: count(ws.J, "count.jobs"), machines: count(ws.MC, "count.machines") })));
  const positions = ws.jobs[0] ? ws.jobs[0].map((_, c) => c + 1) : [];
  parts.push(el("table", "sheet-instance",
    el("thead", "", el("tr", "", el("th", "", t("sheet.job")), ...positions.map((c) => el("th", "", c)))),
    el("tbody", "", ...ws.jobs.map((ops, j) => el("tr", "", el("th", "", j + 1),
      ...ops.map((o) => el("td", "", el("b", "", o.op), " M" + o.machine + " p=" + o.p)))))));
  parts.push(el("p", "note", t("sheet.rules")));
  parts.push(el("h2", "", t("sheet.start", { t: ws.from })),
    el("div", "sheet-perm", ...ws.start.map((r, i) => el("div", "", "M" + (i + 1) + ": " + (r.length ? r.join(" ") : "\u2013")))));
  for (const s of ws.steps) {
    const step = el("section", "sheet-step", el("h2", "", t("sheet.step", s)));
    if (!s.evaluated) {
      step.append(el("p", "", t("sheet.empty-machine", s)));
    } else {
      step.append(el("h3", "", t("sheet.table")), line("Topologicznie:", s.topo),
        table("sheet-table", ["Lp", "M", "p", "NO", "PO", "NM", "PM", "R", "Q"], s.table.map((cells) => ({ cells }))),
        el("h3", "", t("sheet.candidates", s)),
        table("sheet-candidates", [t("cand.position"), "u", "v", "max(R[PO], R[u])", "p", "max(Q[NO], Q[v])", t("cand.estimate")], s.candidates),
        line(t("sheet.position"), s.position));
    }
    step.append(el("p", "sheet-line", t("sheet.sequence", s) + " ", ...s.sequence.map((k) => el("span", "box" + (k === "" ? " fill" : ""), k))));
    parts.push(step);
  }
  return parts;
}

export function createSheetPanel(page) {
  const { replay } = page;
  const from = byId("sheet-from"), to = byId("sheet-to"), message = byId("sheet-message");
  const view = byId("sheet-view"), sheet = byId("sheet");
  const fits = graphFits(replay);
  byId("sheet-tools").classList.toggle("hidden", !fits);
  let problem = fits ? null : { key: "sheet.too-big" };
  let open = null;  // { a, b, key } of the sheet shown
  let edited = false;
  from.max = to.max = replay.STEPS;
  from.oninput = to.oninput = () => { edited = true; };
  const showProblem = () => { message.textContent = problem ? page.tr.t(problem.key, problem.vars) : ""; };
  const fill = () => sheet.replaceChildren(...renderSheet(worksheet(replay, open.a, open.b, open.key), page.tr));
  const close = () => {
    open = null;
    document.body.classList.remove("sheet-mode");
    view.classList.add("hidden");
    sheet.replaceChildren();
  };
  const make = (key) => {
    const a = Number(from.value), b = Number(to.value);
    problem = sheetRangeProblem(replay, a, b);
    showProblem();
    if (problem) return;
    open = { a, b, key };
    fill();
    document.body.classList.add("sheet-mode");
    view.classList.remove("hidden");
    window.scrollTo(0, 0);
    byId("sheet-close").focus();
  };
  byId("sheet-make").onclick = () => make(false);
  byId("sheet-key").onclick = () => make(true);
  byId("sheet-print").onclick = () => window.print();
  byId("sheet-close").onclick = close;
  close();
  page.signal.addEventListener("abort", close);
  showProblem();
  return {
    // Until the reader picks a range, it starts at the step shown.
    render(v) {
      if (edited) return;
      from.value = v.t;
      to.value = Math.min(replay.STEPS, v.t + 2);
    },
    retext() {
      showProblem();
      if (open) fill();
    },
  };
}
