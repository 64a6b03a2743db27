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
import { byId } from "./dom.js";
import { readExercise } from "./exercise-link.js";
import { explainStrings } from "./explain-strings.js";
import { chooseLanguage, makeTranslator } from "./lang.js";
import { applyTexts, rememberLanguage, storedLanguage } from "./lang-dom.js";
import { JUMP, createNavigation } from "./navigation.js";
import { createHeadline, createOperationPanel } from "./operation-panel.js";
import { createOrderPanel } from "./order-panel.js";
import { createPanelSchedule } from "./panel-schedule.js";
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
// The search after the insertion's steps.
import { decodeSearch } from "./search-data.js";
import { createSearchPanel, setSearchRegions, showSearchHeader } from "./search-panel.js";
import { createSearchStepper } from "./search-stepping.js";
import { searchStrings } from "./search-strings.js";

// The data jobshop-replay embedded in the page, or null when there is none
// or it is not of this format.
export function readEmbeddedData(doc) {
  const element = doc.getElementById("replay-data");
  return element ? parseReplayData(element.textContent) : null;
}

// The step in the address, "#N", or a search's iteration I after the
// steps (`steps()` of them), "#sI": read() gives the place's number as it
// stands there ("" for none), write(t) puts place t there, format(t) is the
// address's part after "#" that names place t.
const hashAddress = (steps) => {
  const format = (t) => (t > steps() ? "#s" + (t - steps()) : "#" + t);
  return {
    read() {
      const m = /^#(s?)(\d+)$/.exec(location.hash);
      if (!m) return "";
      return m[1] ? String(steps() + Number(m[2])) : m[2];
    },
    write(t) {
      if (location.hash !== format(t)) history.replaceState(null, "", format(t));
    },
    format,
  };
};

// The panels of a replay, in the order they render a step (the chart
// first), and those of them that practice hides: they show the step's
// answers. The step's table is one of them (the practice panel shows it
// with what is asked left to fill in); the graph is not: in practice it
// shows the graph before the step, without R and Q. The practice panel
// marks the steps solved in the insertion order.
function createPanels(page) {
  const chart = createChartPanel(page), chartText = createChartText(page), changes = createChangesPanel(page);
  const graph = createGraphPanel(page), table = createTablePanel(page), order = createOrderPanel(page);
  page.markSolved = (steps) => order.markSolved(steps);
  const panels = [chart, createHeadline(page), chartText, createOperationPanel(page), changes, table, graph,
    createSheetPanel(page), order, createPracticePanel(page)];
  if (page.replay.search) panels.push(createSearchPanel(page));
  return { panels, answers: new Set([chart, chartText, changes, table]) };
}

// The page's language: the switch, the texts of the markup, the headings,
// and every panel's own texts. Returns set(lang).
function createLanguage(page, tables, retextPanels) {
  const select = byId("language");
  const set = (lang) => {
    page.tr = makeTranslator(lang, tables);
    for (const id of ["back10", "fwd10"]) byId(id).dataset.tN = JUMP;
    applyTexts(document, page.tr);
    select.value = lang;
    retextPanels();
  };
  select.addEventListener("change", () => {
    rememberLanguage(select.value);
    set(select.value);
  }, { signal: page.signal });
  return set;
}

// The run's name and counts in the heading, the document's title and the
// subtitle; in practice without Cmax, which an exercise may ask.
function showHeadings(replay, tr, practising) {
  const { t, count } = tr;
  byId("title").textContent = t("page.heading", { name: replay.name });
  document.title = t("page.document-title", { name: replay.name });
  byId("subtitle").textContent = t(practising ? "page.subtitle-practice" : "page.subtitle", {
    jobs: count(replay.J, "count.jobs"), machines: count(replay.MC, "count.machines"),
    operations: count(replay.N, "count.operations"), steps: count(replay.STEPS, "count.steps"), cmax: replay.cmax,
  });
}

let running = null;

// Starts the page from `data` (what `jobshop-replay --json` writes, parsed),
// on the step in the address. A page started before is stopped first, so a
// page can show one run after another.
//   options.lang     a language to use ("pl", "en"); otherwise ?lang= in the
//                    address, then the one remembered, then Polish
//   options.strings  more string tables (see lang.js) for texts of the caller
//   options.address  keeps the step in the address for a page whose address
//                    holds more: { read() -> the step's number as it
//                    stands there ("" for none), write(t), format(t) -> the
//                    address's "#..." for step t }; by default "#N"
//   options.exercise the exercise to open (exercise-link.js's readExercise);
//                    by default the one the address's query names
//   options.optimum  the insertion's makespan beside the optimum, for data
//                    without a search: { insertion, best, lowerBound,
//                    exact } (search-data.js's optimumText)
// Places after the insertion's steps are the iterations of a search the
// data carries (jobshop-improve --page), "#sI" in the address.
// Returns { show(t), setLanguage(lang), translator(), practiceLink(),
// setOptimum(facts), stop() }; practiceLink() is the link to the exercise
// practised, or null when practice is off.
export function startReplay(data, options = {}) {
  if (running) running.stop();
  const stopping = new AbortController();
  const signal = stopping.signal;
  const schedule = createPanelSchedule(signal);
  let replay = null, stepper = null, searchStepper = null, navigation = null, current = 0, message = "";
  let optimum = options.optimum || null;
  // What the panels get: the replay, the translator (which the language
  // switch replaces), the signal that ends their listeners; show(t) goes to
  // a step, setPractising(on) tells that practice hides the answers' panels;
  // the exercise the page opened with, addressOf(t) the address's "#..." of
  // step t; the practice panel's markSolved(steps) (to the insertion order)
  // and practiceLink() (to the controller).
  const address = options.address || hashAddress(() => (replay ? replay.STEPS : 0));
  const page = {
    replay: null, tr: null, signal, show: (t) => show(t), current: () => current,
    practising: false, setPractising, exercise: null, markSolved() {}, practiceLink: () => null,
    addressOf: (t) => (address.format ? address.format(t) : location.hash),
  };

  // A message in place of the steps: no data, or no steps.
  const showMessage = (key) => {
    message = key;
    const box = byId("message");
    box.textContent = key ? page.tr.t(key) : "";
    box.classList.toggle("hidden", !key);
    byId("nav").classList.toggle("hidden", !!key);
    byId("main").classList.toggle("hidden", !!key);
  };
  const tables = [pageStrings, a11yStrings, graphStrings, explainStrings, practiceStrings, searchStrings, ...(options.strings || [])];
  const setLanguage = createLanguage(page, tables, () => {
    if (message) showMessage(message);
    if (replay) {
      showHeadings(replay, page.tr, page.practising);
      showSearchHeader(page, optimum);
    }
    for (const panel of schedule.panels) panel.retext?.();
    if (current) show(current, true);
  });
  setLanguage(options.lang || chooseLanguage(location.search, storedLanguage()));

  function show(t, again = false) {
    if (!replay || replay.STEPS === 0 || Number.isNaN(t) || signal.aborted) return;
    t = Math.max(1, Math.min(replay.PLACES, Math.round(t)));
    if (t === current && !again) {
      navigation.follow(t);
      return;
    }
    current = t;
    const view = t > replay.STEPS ? searchStepper.view(t - replay.STEPS) : stepper.view(t);
    document.body.dataset.phase = view.search ? "search" : "insertion";
    schedule.show(view, again);
    navigation.follow(t, view.evaluated, true);
    document.body.dataset.step = t;
  }

  function setPractising(on) {
    if (page.practising === on) return;
    page.practising = schedule.practising = on;
    showHeadings(replay, page.tr, on);
    if (current) show(current, true);
  }

  let resizeTimer = 0;
  const controller = {
    show: (t) => show(t),
    setLanguage,
    translator: () => page.tr,
    practiceLink: () => page.practiceLink(),
    setOptimum(facts) {
      optimum = facts;
      if (replay) showSearchHeader(page, optimum);
    },
    stop() {
      stopping.abort();
      byId("search-link").hidden = byId("optimum").hidden = true;
      setSearchRegions(false);
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
  replay.search = replay.STEPS > 0 ? decodeSearch(data) : null;
  replay.PLACES = replay.STEPS + (replay.search ? replay.search.ITERS : 0);
  // The tables' columns fit the widest numbers.
  byId("main").style.setProperty("--digits", replay.digits);
  byId("main").style.setProperty("--op-digits", replay.opDigits);
  showHeadings(replay, page.tr, false);
  showSearchHeader(page, optimum);
  if (replay.STEPS === 0) {
    showMessage("page.no-steps");
    return controller;
  }
  showMessage("");
  stepper = createStepper(replay);
  if (replay.search) searchStepper = createSearchStepper(replay, replay.search);
  page.exercise = options.exercise || readExercise(location.search, replay.STEPS);
  navigation = createNavigation(page, address, replay.PLACES, replay.STEPS);
  const { panels, answers } = createPanels(page);
  schedule.set(panels, answers);
  followPrinting(signal);
  window.addEventListener("resize", () => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => {
      for (const panel of panels) panel.measure?.();
      for (const panel of panels) panel.refit?.();
    }, 100);
  }, { signal });
  // An exercise's link opens its first step unless it names one.
  navigation.ask(page.exercise.range?.from ?? 1);
  return controller;
}
