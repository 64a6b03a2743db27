// Wiring: starts the replay page in this document from a data object, and
// joins the panels, the navigation, the address and the language.
//
// A panel (one per part of the page) is made once per start by its
// create...(page) and has
//   render(view)  shows a step (views come from stepping.js),
//   measure()     reads the layout it needs before any panel writes (optional),
//   refit()       follows a change of the window's size (optional),
//   retext()      redoes texts it keeps after the language changed (optional;
//                 the step is shown again anyway),
//   element       the panel's section (optional): while it is off the screen
//                 (farther than a quarter of the window's height) the panel
//                 is not rendered; it renders the step shown when it comes
//                 near, when something in it gets the focus or a pointer,
//                 before the page is printed, and at a change of language.
//                 Without it, the panel renders at every step.
// `page` gives it the replay, the translator (page.tr, which the language
// switch replaces) and the signal that ends its listeners.
//
// A step should fit in one frame: all panels' render and measure, and the
// layout their writes cause, within 8 ms on ta71 (bench/replay-perf.sh).
// Laying out text is the largest cost, counted in text nodes written, so a
// panel writes only what changed and only what is in view
// (windowed-table.js), keeps its boxes' sizes from step to step, reads
// layout only in measure(), and does nothing while it is hidden or off the
// screen (give it an element).

import { a11yStrings } from "./a11y-strings.js";
import { createChangesPanel } from "./changes-panel.js";
import { createChartPanel, createChartText } from "./chart-panel.js";
import { byId, setText } from "./dom.js";
import { numberMessage, readNumber } from "./explain.js";
import { explainStrings } from "./explain-strings.js";
import { chooseLanguage, makeTranslator } from "./lang.js";
import { applyTexts, rememberLanguage, storedLanguage } from "./lang-dom.js";
import { createHeadline, createOperationPanel } from "./operation-panel.js";
import { createOrderPanel } from "./order-panel.js";
import { createPracticePanel } from "./practice-panel.js";
import { practiceStrings } from "./practice-strings.js";
import { decodeReplay, isReplayData, parseReplayData } from "./replay-data.js";
import { createStepper } from "./stepping.js";
import { pageStrings } from "./strings.js";
import { createTablePanel } from "./table-panel.js";
// The graph, the worksheet and printing.
import { createGraphPanel } from "./graph-panel.js";
import { graphStrings } from "./graph-strings.js";
import { followPrinting } from "./print.js";
import { createSheetPanel } from "./sheet-panel.js";

// Steps that Page Up / Page Down and the double arrows move.
const JUMP = 10;
// The step keys a scroll box with the focus keeps for itself, and how far
// Shift with Left/Right scrolls it.
const BOX_KEYS = new Set(["PageUp", "PageDown", "Home", "End"]);
const SIDEWAYS_PX = 40;

// The data jobshop-replay embedded in the page, or null when there is none
// or it is not of this format.
export function readEmbeddedData(doc) {
  const element = doc.getElementById("replay-data");
  return element ? parseReplayData(element.textContent) : null;
}

// The step in the address, "#N": read() gives the number as it stands
// there ("" for none), write(t) puts step t there.
const hashAddress = {
  read() {
    const m = /^#(\d+)$/.exec(location.hash);
    return m ? m[1] : "";
  },
  write(t) {
    if (location.hash !== "#" + t) history.replaceState(null, "", "#" + t);
  },
};

let running = null;

// Starts the page from `data` (what `jobshop-replay --json` writes, parsed),
// on the step in the address. A page started before is stopped first, so a
// page can show one run after another.
//   options.lang     a language to use ("pl", "en"); otherwise ?lang= in the
//                    address, then the one remembered, then Polish
//   options.strings  more string tables (see lang.js) for texts of the caller
//   options.address  keeps the step in the address for a page whose address
//                    holds more: { read() -> the step's number as it
//                    stands there ("" for none), write(t) }; by default "#N"
// Returns { show(t), setLanguage(lang), translator(), stop() }.
export function startReplay(data, options = {}) {
  if (running) running.stop();
  const stopping = new AbortController();
  const signal = stopping.signal;
  const tables = [pageStrings, a11yStrings, graphStrings, explainStrings, practiceStrings, ...(options.strings || [])];
  const address = options.address || hashAddress;
  const languageSelect = byId("language");
  // page.show(t) lets a panel go to a step; page.setPractising(on) tells
  // that practice mode hides the panels that show the step's answers.
  const page = { replay: null, tr: null, signal, show: (t) => show(t), practising: false, setPractising };
  let message = "";

  const nav = byId("nav"), main = byId("main"), messageBox = byId("message");
  const showMessage = (key) => {
    message = key;
    messageBox.textContent = key ? page.tr.t(key) : "";
    messageBox.classList.toggle("hidden", !key);
    nav.classList.toggle("hidden", !!key);
    main.classList.toggle("hidden", !!key);
  };

  let replay = null, stepper = null, panels = [], current = 0, answerPanels = new Set();
  const navMessage = byId("nav-message");
  navMessage.textContent = "";
  const headings = () => {
    if (!replay) return;
    const { t, count } = page.tr;
    byId("title").textContent = t("page.heading", { name: replay.name });
    document.title = t("page.document-title", { name: replay.name });
    byId("subtitle").textContent = t("page.subtitle", {
      jobs: count(replay.J, "count.jobs"), machines: count(replay.MC, "count.machines"),
      operations: count(replay.N, "count.operations"), steps: count(replay.STEPS, "count.steps"), cmax: replay.cmax,
    });
  };
  const setLanguage = (lang) => {
    page.tr = makeTranslator(lang, tables);
    for (const id of ["back10", "fwd10"]) byId(id).dataset.tN = JUMP;
    applyTexts(document, page.tr);
    languageSelect.value = lang;
    if (message) showMessage(message);
    headings();
    for (const panel of panels) panel.retext?.();
    if (current) show(current, true);
  };
  setLanguage(options.lang || chooseLanguage(location.search, storedLanguage()));
  languageSelect.addEventListener("change", () => {
    rememberLanguage(languageSelect.value);
    setLanguage(languageSelect.value);
  }, { signal });

  // The address shows the step, but a held key must not rewrite it at every
  // step: the browser throttles (and drops) frequent history changes, and
  // each costs time. It follows once the steps pause.
  let addressTimer = 0, resizeTimer = 0;
  const followInAddress = (t) => {
    clearTimeout(addressTimer);
    addressTimer = setTimeout(() => address.write(t), 120);
  };

  // The view shown; which panels' elements are on or near the screen;
  // which panels have missed a step.
  let shown = null;
  const near = new Map(), missed = new Set();
  const renderNow = (list) => {
    for (const panel of list) panel.measure?.();
    // The chart (first in the list) goes first: setting a canvas font needs
    // the document's style, which is still clean before anything else changes.
    for (const panel of list) panel.render(shown);
  };
  // In practice the panels that show answers are hidden and left alone.
  const active = () => (page.practising ? panels.filter((panel) => !answerPanels.has(panel)) : panels);
  const catchUp = (wanted) => {
    const late = active().filter((panel) => missed.has(panel) && wanted(panel));
    for (const panel of late) missed.delete(panel);
    if (late.length > 0) renderNow(late);
  };
  // Until the observer first reports (after the first frame), the layout
  // says: the first step lays the page out anyway, to fit the chart.
  const isNear = (element) => {
    if (!near.has(element)) {
      const box = element.getBoundingClientRect(), margin = innerHeight / 4;
      near.set(element, box.height > 0 && box.bottom >= -margin && box.top <= innerHeight + margin);
    }
    return near.get(element);
  };
  const watcher = new IntersectionObserver((entries) => {
    for (const entry of entries) near.set(entry.target, entry.isIntersecting);
    catchUp((panel) => near.get(panel.element));
  }, { rootMargin: "25% 0px" });
  signal.addEventListener("abort", () => watcher.disconnect());
  window.addEventListener("beforeprint", () => catchUp(() => true), { signal });
  // A control reached before the observer's report (a key, a screen
  // reader's click, a script's, a scroll of its box) acts on the step
  // shown. The pointer's arrival counts, so that what the step moves in the
  // panel has moved before the press, not between the press and the release.
  for (const type of ["focusin", "pointerover", "pointerdown", "scroll"]) {
    document.addEventListener(type, (e) => catchUp((panel) => panel.element?.contains(e.target)), { signal, capture: true });
  }

  function show(t, again = false) {
    if (!replay || replay.STEPS === 0 || Number.isNaN(t) || signal.aborted) return;
    t = Math.max(1, Math.min(replay.STEPS, Math.round(t)));
    if (navMessage.textContent) navMessage.textContent = "";
    const showInNav = () => {
      byId("slider").value = t;
      byId("step-input").value = t;
    };
    if (t === current && !again) {
      showInNav();  // the fields show the step again, whatever was typed
      return;
    }
    current = t;
    shown = stepper.view(t);
    const now = active().filter((panel) => again || !panel.element || isNear(panel.element));
    for (const panel of panels) if (now.includes(panel)) missed.delete(panel); else missed.add(panel);
    renderNow(now);
    showInNav();
    setText(byId("step-of"), page.tr.t(shown.evaluated ? "nav.of" : "nav.of-empty", { n: replay.STEPS }));
    for (const id of ["first", "back10", "back1"]) byId(id).disabled = t === 1;
    for (const id of ["fwd1", "fwd10", "last"]) byId(id).disabled = t === replay.STEPS;
    followInAddress(t);
    document.body.dataset.step = t;
  }

  function setPractising(on) {
    if (page.practising === on) return;
    page.practising = on;
    if (current) show(current, true);
  }

  const controller = {
    show: (t) => show(t),
    setLanguage,
    translator: () => page.tr,
    stop() {
      stopping.abort();
      clearTimeout(addressTimer);
      clearTimeout(resizeTimer);
      if (running === controller) running = null;
    },
  };
  running = controller;

  if (!isReplayData(data)) {
    showMessage("page.no-data");
    return controller;
  }
  replay = page.replay = decodeReplay(data);
  // The tables' columns fit the widest numbers.
  main.style.setProperty("--digits", replay.digits);
  main.style.setProperty("--op-digits", replay.opDigits);
  headings();
  if (replay.STEPS === 0) {
    showMessage("page.no-steps");
    return controller;
  }
  showMessage("");
  stepper = createStepper(replay);
  const chart = createChartPanel(page), chartText = createChartText(page), changes = createChangesPanel(page);
  const graph = createGraphPanel(page);
  panels = [chart, createHeadline(page), chartText, createOperationPanel(page), changes, createTablePanel(page), graph,
    createSheetPanel(page)];
  followPrinting(signal);
  // Practice: the panels that show the step's answers are hidden then and
  // not drawn until it ends. The graph is one of them: it shows the schedule
  // after the insertion, so the chosen position and the sequence too.
  answerPanels = new Set([chart, chartText, changes, graph]);
  panels.push(createOrderPanel(page), createPracticePanel(page));
  for (const panel of panels) if (panel.element) watcher.observe(panel.element);

  const STEPS = replay.STEPS;
  for (const id of ["slider", "step-input"]) byId(id).max = STEPS;
  byId("first").onclick = () => show(1);
  byId("back10").onclick = () => show(current - JUMP);
  byId("back1").onclick = () => show(current - 1);
  byId("fwd1").onclick = () => show(current + 1);
  byId("fwd10").onclick = () => show(current + JUMP);
  byId("last").onclick = () => show(STEPS);
  byId("slider").oninput = (e) => show(Number(e.target.value));
  // A typed or linked number that names no step says so; the step shown
  // stays (on loading, the first).
  const askStep = (asked) => {
    if (asked?.n || !current) show(asked?.n || 1);
    const text = numberMessage(page.tr, asked, "explain.no-step", STEPS);
    if (!text) return;
    navMessage.textContent = text;
    byId("step-input").value = current;
  };
  byId("step-input").onchange = (e) => askStep(readNumber(e.target.value, STEPS, e.target.validity.badInput));
  window.addEventListener("hashchange", () => askStep(readNumber(address.read(), STEPS)), { signal });
  // In a scroll box that has the focus, Page Up/Down and Home/End scroll it
  // when it scrolls up and down (as the Up and Down arrows do), and Shift
  // with Left/Right scrolls it sideways; Left/Right step everywhere.
  document.addEventListener("keydown", (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    const tag = e.target.tagName;
    // Keys typed into a field are the field's (the web edition's instance text too).
    if ((tag === "INPUT" && e.target.type !== "range") || tag === "SELECT" || tag === "TEXTAREA") return;
    const box = e.target.classList?.contains("scroll-box") ? e.target : null;
    if (box && BOX_KEYS.has(e.key) && box.scrollHeight > box.clientHeight) return;
    if (box && e.shiftKey && (e.key === "ArrowLeft" || e.key === "ArrowRight")) {
      box.scrollLeft += e.key === "ArrowLeft" ? -SIDEWAYS_PX : SIDEWAYS_PX;
      e.preventDefault();
      return;
    }
    const moves = { ArrowLeft: -1, ArrowRight: 1, PageUp: -JUMP, PageDown: JUMP };
    if (e.key in moves) show(current + moves[e.key]);
    else if (e.key === "Home") show(1);
    else if (e.key === "End") show(STEPS);
    else return;
    e.preventDefault();
  }, { signal });
  window.addEventListener("resize", () => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => {
      for (const panel of panels) panel.measure?.();
      for (const panel of panels) panel.refit?.();
    }, 100);
  }, { signal });

  askStep(readNumber(address.read(), STEPS));
  return controller;
}
