// Panel: practice. The switch hides the step's answers (while <body> has
// the class "practice", the page's style hides what shows them) and this
// panel asks for them instead (the cells of practice.js, in the parts of
// practice-parts.js), as much as the student or the page's address asks
// (exercise-link.js). Check marks each cell; a wrong number offers its
// derivation, an empty cell keeps its answer until "show answers". Enter
// and Tab go on in the order of the computation. The answers and the
// progress stay in the browser (practice-store.js).
//
// The panel in parts a reader can name: the exercise (words, steps, link);
// the step practised and what was typed; the order of entry (Enter, Tab)
// and the focus; checking and the verdicts; the derivations shown; the
// progress kept and summed up; the switch and the options.

import { ASK_WORDS } from "./ask.js";
import { derivationText } from "./derivation.js";
import { byId, copyText, setText } from "./dom.js";
import { exerciseQuery, localOnly } from "./exercise-link.js";
import { askingSteps, cellAnswerState, cellDerivation, checkAnswers, practiceOptions, practiceStep, progressKey, storedOptions, summarize } from "./practice.js";
import { createCellInputs, derivationId } from "./practice-inputs.js";
import { createPracticeParts } from "./practice-parts.js";
import { openProgress, rememberMode, storedMode } from "./practice-store.js";
import { searchAskingPlaces, searchPracticeStep } from "./search-practice.js";
import { createSearchPracticeParts } from "./search-practice-parts.js";

// Typed answers are kept this long after the last key.
const SAVE_DELAY_MS = 400;

export function createPracticePanel(page) {
  const { replay, signal, exercise } = page;
  const panel = byId("practice-panel"), toggle = byId("practice-switch");
  const result = byId("practice-result"), hint = byId("practice-hint");
  const derivations = byId("practice-derivations"), derivationList = derivations.querySelector("ul");
  const nextStepButton = byId("practice-next-step");
  derivationList.replaceChildren();  // what a run started before left
  const progress = openProgress(progressKey(replay));
  // The address's words and steps win over the ones kept; the student's
  // own changes are kept.
  let options = practiceOptions(progress.options);
  if (exercise.ask) options.ask = exercise.ask;
  options.range = exercise.range;
  let on = false, view = null;

  // The exercise: the steps that ask something (the progress counts them),
  // the note on its steps and on what the address got wrong.
  let asking = [], askingSet = new Set();
  function followOptions() {
    asking = [...askingSteps(replay, options), ...searchAskingPlaces(replay, options)];
    askingSet = new Set(asking);
  }
  followOptions();
  const exerciseNote = () => {
    const { t } = page.tr, range = options.range;
    const lines = exercise.problems.map((p) => t(p.key, p.vars));
    if (range) lines.push(t("practice.range", range));
    setText(byId("practice-exercise"), lines.join(" "));
  };

  // The step practised: its cells (practice.js), the answers typed and the
  // verdicts of its latest check; `dirty` until the answers are kept;
  // `revealed` once the student asked for the answers.
  let step = null, answers = null, verdicts = null, dirty = false, revealed = false;
  function startStep() {
    step = view.search ? searchPracticeStep(replay, view, options) : practiceStep(replay, view, options);
    const record = progress.records.get(view.t);
    answers = Object.assign(Object.create(null), record?.a);
    verdicts = Object.assign(Object.create(null), record?.v);
    dirty = false;
    revealed = false;
  }

  // A cell's derivation is shown where it gives away no more than the
  // student asked for: for a wrong number typed, or every cell not right
  // once the answers are asked for.
  const stateOf = (key) => cellAnswerState(step, key, answers[key]);
  const explained = (key) => verdicts[key] !== "ok" && (revealed ? step.index.has(key) : verdicts[key] === "wrong" && stateOf(key) === "number");
  // Negative answers need a minus, which a phone's number pad may lack.
  const inputMode = replay.P.some((p, k) => k >= 1 && k <= replay.N && p < 0) ? "text" : "numeric";
  const cells = createCellInputs({
    answerOf: (key) => answers[key], verdictOf: (key) => verdicts[key], explained,
  }, inputMode);
  const turned = () => showDerivations();
  const parts = createPracticeParts(page, cells, turned, createSearchPracticeParts(page, cells, turned));

  // Why a step asks nothing, or "".
  function emptyNote(v) {
    const { t } = page.tr, range = options.range;
    if (range && (v.t < range.from || v.t > range.to)) return t("practice.outside", { t: v.t, ...range });
    if (step.asks) return "";
    return v.evaluated ? t("practice.nothing") : t("practice.empty-machine", { machine: v.step.machine });
  }

  // The machine sequences before the step, while their box is open.
  const before = byId("practice-before");
  function showBefore() {
    setText(byId("practice-before-heading"), page.tr.t(view.search ? "practice.search.before" : "practice.before"));
    if (!before.open) return;
    const lines = [];
    for (let i = 1; i < view.rowsBefore.length; ++i) lines.push("M" + i + ": " + view.rowsBefore[i].join(" "));
    setText(byId("practice-before-list"), lines.join("\n"));
  }
  before.addEventListener("toggle", () => view && showBefore(), { signal });

  function renderStep() {
    const { t } = page.tr, v = view, s = v.step;
    setText(byId("practice-heading"), v.search ? t("practice.search.heading", { i: v.search.i }) : t("practice.heading", { t: v.t }));
    // What the student asks of the insertion's steps, and the search's intro.
    byId("practice-options").hidden = !!v.search;
    byId("practice-search-intro").hidden = !v.search;
    const shown = parts.of(step);
    for (const part of parts.all) part.section.hidden = !shown.includes(part);
    setText(byId("practice-empty"), emptyNote(v));
    setText(byId("practice-estimates-heading"), t("practice.part.estimates", { op: s.op, machine: s.machine }));
    setText(byId("practice-sequence-heading"), t("practice.part.sequence", { machine: s.machine }));
    setText(byId("practice-cmax-heading"), t("practice.part.cmax", { t: v.t }));
    cells.render(() => true, () => {
      for (const part of shown) part.render(step);
    });
    const record = progress.records.get(v.t);
    setText(result, record?.solved !== undefined ? resultText(record) : "");
    byId("practice-check").disabled = byId("practice-show").disabled = !step.asks;
    nextStepButton.disabled = nextAsking() === 0;
    showBefore();
    showDerivations();
  }

  // The order of entry: Enter and Tab go to the next cell (with Shift
  // back), turning a part's page where the cell lies on another; after the
  // last comes the check. Shift+Tab at the first cell leaves the cells.
  function focusCell(key) {
    for (const part of parts.of(step)) if (part.covers(key)) part.reveal(key);
    const input = cells.get(key);
    input?.focus();
    input?.select();
  }
  panel.addEventListener("keydown", (e) => {
    const key = e.target.dataset?.cell;
    if ((e.key !== "Enter" && e.key !== "Tab") || e.altKey || e.ctrlKey || e.metaKey || !key || !step?.index.has(key)) return;
    const next = step.cells[step.index.get(key) + (e.shiftKey ? -1 : 1)];
    if (next) focusCell(next.key);
    else if (!e.shiftKey) byId("practice-check").focus();
    else if (e.key === "Tab") return;
    e.preventDefault();
  }, { signal });
  panel.addEventListener("input", (e) => {
    const key = e.target.dataset?.cell;
    if (!key || !step) return;
    answers[key] = e.target.value;
    dirty = true;
    if (verdicts[key]) {
      delete verdicts[key];
      cells.mark(e.target, key);
    }
    showHint(key);
    saveSoon();
  }, { signal });
  // The next step of the exercise that asks something, or 0.
  const nextAsking = () => asking.find((t) => t > view.t) ?? 0;
  // Moving on from the panel puts the focus on the new step's first cell.
  let focusFirst = false;
  nextStepButton.onclick = () => {
    const t = nextAsking();
    if (!t) return;
    focusFirst = true;
    page.show(t);
  };

  // Checking: every cell asked is marked, a wrong one (an empty one too)
  // keeps the step from counting as solved; the focus goes to the first
  // cell that is not right, or on to the next step.
  const resultText = (checked) => {
    const { t, count } = page.tr;
    let empty = 0, unreadable = 0;
    for (const [key, verdict] of Object.entries(checked.v || verdicts)) {
      if (verdict !== "wrong") continue;
      const state = stateOf(key);
      if (state === "empty") ++empty;
      else if (state === "unreadable") ++unreadable;
    }
    const notes = [t("practice.result", { cells: count(checked.cells, "practice.cells"), ok: checked.cells - checked.wrong, wrong: checked.wrong })];
    if (checked.solved) notes.push(t("practice.solved-step"));
    if (empty) notes.push(t("practice.empty-note", { empty: count(empty, "practice.empty") }));
    if (unreadable) notes.push(t("practice.unreadable-note", { unreadable: count(unreadable, "practice.unreadable") }));
    return notes.join(" ");
  };
  function check() {
    const checked = { ...checkAnswers(step.cells, answers), cells: step.cells.length };
    verdicts = checked.verdicts;
    dirty = false;
    keep(progress.save(step.t, { a: answers, v: verdicts, solved: checked.solved, wrong: checked.wrong, cells: checked.cells }));
    cells.markAll();
    setText(result, resultText(checked));
    showDerivations();
    showSummary();
    const first = step.cells.find((c) => verdicts[c.key] !== "ok");
    if (first) focusCell(first.key);
    else if (!nextStepButton.disabled) nextStepButton.focus();
  }
  byId("practice-check").onclick = () => step?.asks && check();
  byId("practice-show").onclick = () => {
    if (!step) return;
    revealed = true;
    cells.markAll();
    showDerivations();
    derivations.open = true;
  };

  // The derivations shown, in the order of entry, and under the check that
  // of the cell with the focus, or the reminder that answers are whole
  // numbers.
  const derivationOf = (key) => derivationText(cellDerivation(step, key), page.tr);
  function showDerivations() {
    const keys = (revealed ? step.cells.map((c) => c.key) : Object.keys(verdicts)).filter((key) => explained(key) && cells.has(key));
    if (!revealed && keys.length > 0) keys.sort((a, b) => step.index.get(a) - step.index.get(b));
    derivationList.replaceChildren(...keys.map((key) => {
      const li = document.createElement("li");
      li.id = derivationId(key);
      li.dataset.derivationOf = key;
      li.textContent = derivationOf(key);
      return li;
    }));
    derivations.hidden = keys.length === 0;
    const focused = document.activeElement?.dataset?.cell;
    showHint(focused && panel.contains(document.activeElement) ? focused : null);
  }
  function showHint(key) {
    let text = "";
    if (key && step?.index.has(key)) {
      if (stateOf(key) === "unreadable") text = page.tr.t("practice.whole-numbers");
      else if (explained(key)) text = derivationOf(key);
    }
    setText(hint, text);
  }
  panel.addEventListener("focusin", (e) => showHint(e.target.dataset?.cell ?? null), { signal });

  // The progress: answers kept soon after typing, a check at once; the
  // summary of the latest checks of the steps that ask something; reset.
  const storageNote = byId("practice-storage");
  const keep = (ok) => setText(storageNote, ok ? "" : page.tr.t("practice.storage-failed"));
  let saveTimer = 0;
  function save() {
    clearTimeout(saveTimer);
    saveTimer = 0;
    if (!dirty) return;
    dirty = false;
    keep(progress.save(step.t, { ...progress.records.get(step.t), a: answers, v: verdicts }));
  }
  const saveSoon = () => {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(save, SAVE_DELAY_MS);
  };
  function showSummary() {
    const { t, count } = page.tr, s = summarize(progress.records, askingSet);
    setText(byId("practice-summary"), t("practice.summary", {
      solved: count(s.solved, "practice.solved"), steps: asking.length, wrong: count(s.wrong, "practice.wrong"),
    }));
    const solved = asking.filter((u) => progress.records.get(u)?.solved);
    setText(byId("practice-solved"), solved.length > 0 ? t("practice.solved-list", { steps: solved.join(", ") }) : "");
    const marked = on ? solved : [];
    if (marked.join() !== markedSolved) page.markSolved(marked);
    markedSolved = marked.join();
  }
  let markedSolved = "";
  byId("practice-reset").onclick = () => {
    if (!window.confirm(page.tr.t("practice.reset-confirm"))) return;
    clearTimeout(saveTimer);
    keep(progress.reset());
    showSummary();
    if (on && view) {
      startStep();
      renderStep();
    }
  };
  signal.addEventListener("abort", save);
  window.addEventListener("pagehide", save, { signal });

  // A link to this exercise: the page's address with the words and steps
  // asked, the language where it is not the default.
  const linkStatus = byId("practice-link-status");
  byId("practice-link-local").hidden = !localOnly(location.protocol);
  byId("practice-link").onclick = async () => {
    const { t } = page.tr;
    if (options.ask.length === 0) {
      setText(linkStatus, t("practice.link.no-words"));
      return;
    }
    const url = practiceLink();
    setText(linkStatus, (await copyText(url)) ? t("practice.link.copied") : t("practice.link.failed", { url }));
  };
  function practiceLink() {
    const lang = page.tr.lang !== "pl" || new URLSearchParams(location.search).has("lang") ? page.tr.lang : "";
    const query = exerciseQuery(location.search, { ask: options.ask, range: options.range, lang });
    return location.href.split(/[?#]/)[0] + query + page.addressOf(page.current() || 1);
  }
  page.practiceLink = () => (on && options.ask.length > 0 ? practiceLink() : null);

  // The options asked (kept with the progress) and the switch (remembered).
  const askBoxes = [...panel.querySelectorAll("input[name=practice-ask]")];
  const rowRadios = [...panel.querySelectorAll("input[name=practice-rows]")];
  const showOptions = () => {
    for (const box of askBoxes) box.checked = options.ask.includes(box.value);
    for (const radio of rowRadios) radio.checked = options.rows === radio.value;
  };
  const changeOptions = (changed) => {
    options = { ...options, ...changed };
    progress.setOptions(storedOptions(options));
    followOptions();
    showSummary();
    if (!on || !view) return;
    save();
    startStep();
    renderStep();
  };
  for (const box of askBoxes) box.onchange = () => changeOptions({ ask: ASK_WORDS.filter((w) => askBoxes.some((b) => b.checked && b.value === w)) });
  for (const radio of rowRadios) radio.onchange = () => changeOptions({ rows: radio.value });
  showOptions();
  function setOn(value) {
    on = value;
    document.body.classList.toggle("practice", on);
    toggle.setAttribute("aria-pressed", String(on));
    panel.hidden = !on;
    if (!on) {
      save();
      cells.render(() => true, () => {});
    }
    showSummary();
    // The page shows the step again, this panel included.
    page.setPractising(on);
  }
  toggle.onclick = () => {
    setOn(!on);
    rememberMode(on);
  };
  exerciseNote();
  setOn(exercise.practice || storedMode());

  return {
    phase: "both",
    render(v) {
      const moved = step?.t !== v.t;
      view = v;
      if (!on) return;
      const focused = moved && (focusFirst || panel.contains(document.activeElement));
      focusFirst = false;
      if (moved) {
        save();
        startStep();
      }
      renderStep();
      showSummary();
      if (focused) {
        if (step.asks) focusCell(step.cells[0].key);
        else if (!nextStepButton.disabled) nextStepButton.focus();
      }
    },
    retext() {
      exerciseNote();
      if (on && view) showSummary();
    },
  };
}
