// Panel: practice. The switch hides the step's answers (while <body> has
// the class "practice", the page's style hides what shows them) and this
// panel asks for them instead (the cells of practice.js, in the parts of
// practice-parts.js). Check marks each cell; a wrong one offers its
// derivation. Enter goes on in the order of the computation. The answers
// and the progress stay in the browser (practice-store.js).
//
// The panel in parts a reader can name: the step practised and what was
// typed; the order of entry (Enter); checking and the verdicts; the
// derivations shown; the progress kept and summed up; the switch and the
// options.

import { derivationText } from "./derivation.js";
import { byId, setText } from "./dom.js";
import { cellDerivation, checkAnswers, practiceOptions, practiceStep, progressKey, summarize } from "./practice.js";
import { createCellInputs, derivationId } from "./practice-inputs.js";
import { createPracticeParts } from "./practice-parts.js";
import { openProgress, rememberMode, storedMode } from "./practice-store.js";
import { tabuListText } from "./search-data.js";
import { searchPracticeStep } from "./search-practice.js";
import { createSearchPracticeParts } from "./search-practice-parts.js";

// Typed answers are kept this long after the last key.
const SAVE_DELAY_MS = 400;

export function createPracticePanel(page) {
  const { replay, signal } = page;
  const panel = byId("practice-panel"), toggle = byId("practice-switch");
  const result = byId("practice-result"), hint = byId("practice-hint");
  const derivations = byId("practice-derivations"), derivationList = derivations.querySelector("ul");
  derivationList.replaceChildren();  // what a run started before left
  const progress = openProgress(progressKey(replay));
  let options = practiceOptions(progress.options);
  let on = false, view = null;

  // The step practised: its cells (practice.js), the answers typed and the
  // verdicts of its latest check; `dirty` until the answers are kept.
  let step = null, answers = null, verdicts = null, dirty = false;
  function startStep() {
    step = view.search ? searchPracticeStep(replay, view, options) : practiceStep(replay, view, options);
    const record = progress.records.get(view.t);
    answers = Object.assign(Object.create(null), record?.a);
    verdicts = Object.assign(Object.create(null), record?.v);
    dirty = false;
  }

  // Negative answers need a minus, which a phone's number pad may lack.
  const inputMode = replay.P.some((p, k) => k >= 1 && k <= replay.N && p < 0) ? "text" : "numeric";
  const cells = createCellInputs({ answerOf: (key) => answers[key], verdictOf: (key) => verdicts[key] }, inputMode);
  const parts = createPracticeParts(page, cells, () => showDerivations(), createSearchPracticeParts(page, cells, () => showDerivations()));

  // What only an insertion step shows, and the search iteration's part.
  const insertionOnly = ["practice-options", "practice-empty", "practice-sequence-heading", "practice-places-pager", "practice-sequence"].map(byId);
  insertionOnly.push(byId("practice-pos").parentNode, panel.querySelector("label[for=practice-pos]").parentNode);
  const searchPart = byId("practice-search-part");

  // A search iteration: what is given (the sequences, the tabu list, the
  // best so far), then its parts.
  function renderSearchStep() {
    const { t } = page.tr, v = view, { i, it } = v.search;
    setText(byId("practice-heading"), t("practice.search.heading", { i }));
    setText(byId("practice-search-given"), t("practice.search.given", { best: it.best }));
    setText(byId("practice-search-pi"), v.rows.slice(1).map((row, m) => "M" + (m + 1) + ": " + row.join(" ")).join("\n"));
    setText(byId("practice-search-tabu"), tabuListText(page.tr, it.tabu));
  }

  function renderStep() {
    const { t } = page.tr, v = view, s = v.step;
    for (const element of insertionOnly) element.hidden = !!v.search;
    searchPart.hidden = !v.search;
    if (v.search) {
      byId("practice-table-part").hidden = byId("practice-estimates-part").hidden = true;
      renderSearchStep();
      renderCells();
      return;
    }
    setText(byId("practice-heading"), t("practice.heading", { t: v.t }));
    byId("practice-table-part").hidden = byId("practice-estimates-part").hidden = !v.evaluated;
    setText(byId("practice-empty"), v.evaluated ? "" : t("practice.empty-machine", { machine: s.machine }));
    if (v.evaluated) setText(byId("practice-estimates-heading"), t("practice.part.estimates", { op: s.op, machine: s.machine }));
    setText(byId("practice-sequence-heading"), t("practice.part.sequence", { machine: s.machine }));
    renderCells();
  }

  function renderCells() {
    const v = view;
    cells.render(() => true, () => {
      for (const part of parts.of(v)) part.render(step);
    });
    const record = progress.records.get(v.t);
    setText(result, record?.solved !== undefined ? resultText(record) : "");
    showDerivations();
  }

  // The order of entry: Enter goes to the next cell (Shift+Enter back),
  // turning a part's page where the cell lies on another; after the last
  // comes the check.
  function focusCell(key) {
    for (const part of parts.of(view)) if (part.covers(key)) part.reveal(key);
    const input = cells.get(key);
    input?.focus();
    input?.select();
  }
  panel.addEventListener("keydown", (e) => {
    const key = e.target.dataset?.cell;
    if (e.key !== "Enter" || !key || !step) return;
    e.preventDefault();
    const next = step.cells[step.index.get(key) + (e.shiftKey ? -1 : 1)];
    if (next) focusCell(next.key);
    else if (!e.shiftKey) byId("practice-check").focus();
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
    saveSoon();
  }, { signal });

  // Checking: every cell asked is marked, a wrong one (an empty one too)
  // keeps the step from counting as solved.
  const resultText = (checked) => {
    const { t, count } = page.tr;
    const ok = checked.solved ? " " + t("practice.solved-step") : "";
    return t("practice.result", { cells: count(checked.cells, "practice.cells"), ok: checked.cells - checked.wrong, wrong: checked.wrong }) + ok;
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
  }
  byId("practice-check").onclick = () => step && check();

  // The derivations of the wrong cells shown, in the order of entry, and
  // under the check that of the wrong cell with the focus.
  const derivationOf = (key) => derivationText(cellDerivation(step, key), page.tr);
  function showDerivations() {
    const wrong = Object.keys(verdicts).filter((key) => verdicts[key] === "wrong" && cells.has(key));
    if (wrong.length > 0) wrong.sort((a, b) => step.index.get(a) - step.index.get(b));
    derivationList.replaceChildren(...wrong.map((key) => {
      const li = document.createElement("li");
      li.id = derivationId(key);
      li.dataset.derivationOf = key;
      li.textContent = derivationOf(key);
      return li;
    }));
    derivations.hidden = wrong.length === 0;
    setText(hint, "");
  }
  panel.addEventListener("focusin", (e) => {
    const key = e.target.dataset?.cell;
    setText(hint, key && verdicts?.[key] === "wrong" ? derivationOf(key) : "");
  }, { signal });

  // The progress: answers kept soon after typing, a check at once; the
  // summary of every step's latest check; reset.
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
    const { t, count } = page.tr, s = summarize(progress.records);
    setText(byId("practice-summary"), t("practice.summary", {
      solved: count(s.solved, "practice.solved"), steps: replay.PLACES ?? replay.STEPS, wrong: count(s.wrong, "practice.wrong"),
    }));
  }
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

  // The options asked (kept with the progress) and the switch (remembered).
  for (const radio of panel.querySelectorAll("input[type=radio]")) {
    const name = radio.name.replace("practice-", "");
    radio.checked = options[name] === radio.value;
    radio.onchange = () => {
      options = { ...options, [name]: radio.value };
      progress.setOptions(options);
      if (!on || !view) return;
      save();
      startStep();
      renderStep();
    };
  }
  function setOn(value) {
    on = value;
    document.body.classList.toggle("practice", on);
    toggle.setAttribute("aria-pressed", String(on));
    panel.hidden = !on;
    if (!on) {
      save();
      cells.render(() => true, () => {});
    }
    // The page shows the step again, this panel included.
    page.setPractising(on);
  }
  toggle.onclick = () => {
    setOn(!on);
    rememberMode(on);
  };
  setOn(storedMode());

  return {
    phase: "both",
    render(v) {
      view = v;
      if (!on) return;
      if (step?.t !== v.t) {
        save();
        startStep();
      }
      renderStep();
      showSummary();
    },
    retext() {
      if (on && view) showSummary();
    },
  };
}
