// Panel: practice. The switch hides the step's answers (while <body> has
// the class "practice", the page's style hides what shows them) and this
// panel asks for them instead: R and Q of the step's table, the estimates,
// the chosen position and the machine's sequence after the insertion.
// Check marks each cell; a wrong one offers its derivation. Enter goes on in
// the order of the computation. The answers and the progress stay in the
// browser (practice-store.js).
//
// Every input carries data-cell (its key, see practice.js); after a check
// data-verdict "ok" or "wrong" (and aria-invalid when wrong), and a wrong
// cell's derivation is in an element with data-derivation-of = its key.

import { derivationOf, derivationText, explainStep } from "./derivation.js";
import { machineLinks } from "./derive.js";
import { byId } from "./dom.js";
import { DEFAULT_OPTIONS, askedRows, checkAnswers, practiceCells, progressKey, summarize, tableOrder } from "./practice.js";
import { openProgress, rememberMode, storedMode } from "./practice-store.js";

// Rows of the step's table shown at a time: a large instance's table comes
// in pages, so that a step stays quick.
export const PAGE_ROWS = 50;
// Typed answers are kept this long after the last key.
const SAVE_DELAY_MS = 400;

const td = (tr) => tr.appendChild(document.createElement("td"));

function setAttr(el, name, value) {
  if (value === null) {
    if (el.hasAttribute(name)) el.removeAttribute(name);
  } else if (el.getAttribute(name) !== value) {
    el.setAttribute(name, value);
  }
}

const setText = (el, text) => {
  text = String(text);
  if (el.textContent !== text) el.textContent = text;
};

export function createPracticePanel(page) {
  const { replay, signal } = page, { N, M, P, NO, PO } = replay;
  const panel = byId("practice-panel"), toggle = byId("practice-switch");
  const tablePart = byId("practice-table-part"), tableBody = byId("practice-table").tBodies[0];
  const pager = byId("practice-pager"), rowsShown = byId("practice-rows-shown");
  const estimatesPart = byId("practice-estimates-part"), candidates = byId("practice-candidates");
  const sequence = byId("practice-sequence"), result = byId("practice-result"), hint = byId("practice-hint");
  const derivations = byId("practice-derivations"), derivationList = derivations.querySelector("ul");
  const summaryLine = byId("practice-summary"), storageNote = byId("practice-storage"), emptyNote = byId("practice-empty");
  // What a run started before left in the panel goes.
  for (const holder of [tableBody, candidates.tBodies[0], sequence, derivationList]) holder.replaceChildren();
  const progress = openProgress(progressKey(replay));
  let options = { ...DEFAULT_OPTIONS, ...progress.options };
  // Negative answers need a minus, which a phone's number pad may lack.
  const inputMode = P.some((p, k) => k >= 1 && k <= N && p < 0) ? "text" : "numeric";

  let on = false, view = null, step = null, rowPage = 0, saveTimer = 0;
  const inputs = new Map();  // key -> the input holding that cell now
  let generation = 0;        // of the latest rendering; an input bound in it has input.generation equal

  function makeInput() {
    const input = document.createElement("input");
    input.type = "text";
    input.inputMode = inputMode;
    input.autocomplete = "off";
    input.spellcheck = false;
    return input;
  }
  function bind(input, key, label) {
    input.generation = generation;
    if (input.dataset.cell !== key) input.dataset.cell = key;
    setAttr(input, "aria-label", label);
    const answer = step.answers[key] ?? "";
    if (input.value !== answer) input.value = answer;
    markInput(input, key);
    inputs.set(key, input);
  }
  // Renders the cells `which` (a test of keys) afresh: afterwards an input
  // that holds none of them carries no data-cell, so that a script finds
  // only the cells asked. Inputs are reused from step to step, and an
  // attribute written only when it changes, so a step lays out little.
  function rendering(which, render) {
    ++generation;
    render();
    for (const [key, input] of inputs) {
      if (!which(key) || (input.generation === generation && input.dataset.cell === key)) continue;
      inputs.delete(key);
      if (input.generation === generation) continue;
      delete input.dataset.cell;
      for (const name of ["data-verdict", "aria-invalid", "aria-describedby"]) setAttr(input, name, null);
    }
  }
  function markInput(input, key) {
    const verdict = step.verdicts[key] || null;
    setAttr(input, "data-verdict", verdict);
    setAttr(input, "aria-invalid", verdict === "wrong" ? "true" : null);
    setAttr(input, "aria-describedby", verdict === "wrong" ? "derivation-" + key.replace(":", "-") : null);
  }

  // The step's table: a pool of rows, each with the trace's columns and R
  // and Q as inputs (asked) or values (given).
  const tableRows = [];
  function tableRow(i) {
    while (tableRows.length <= i) {
      const tr = tableBody.appendChild(document.createElement("tr"));
      const cells = [];
      for (let c = 0; c < 9; ++c) cells.push(td(tr));
      tableRows.push({ tr, cells, inputs: [makeInput(), makeInput()] });
    }
    return tableRows[i];
  }
  function renderTable() {
    const { order, askedOps, links } = step;
    const R = view.before.R, Q = view.before.Q;
    const first = rowPage * PAGE_ROWS, end = Math.min(order.length, first + PAGE_ROWS);
    for (let i = 0; i < end - first; ++i) {
      const row = tableRow(i), k = order[first + i];
      row.tr.hidden = false;
      const cls = k === view.step.op ? "inserted" : "";
      if (row.tr.className !== cls) row.tr.className = cls;
      const values = [k, M[k], P[k], NO[k], PO[k], links.NM[k], links.PM[k]];
      for (let c = 0; c < 7; ++c) setText(row.cells[c], values[c]);
      ["R", "Q"].forEach((letter, j) => {
        const cell = row.cells[7 + j], key = letter + ":" + k, input = row.inputs[j];
        if (!askedOps || askedOps.has(k)) {
          if (input.parentNode !== cell) cell.replaceChildren(input);
          bind(input, key, letter + "[" + k + "]");
        } else {
          if (input.parentNode === cell) input.remove();
          setText(cell, (letter === "R" ? R : Q)[k]);
        }
      });
    }
    for (let i = end - first; i < tableRows.length; ++i) tableRows[i].tr.hidden = true;
    pager.hidden = order.length <= PAGE_ROWS;
    if (!pager.hidden) {
      setText(rowsShown, page.tr.t("practice.rows-page", { from: first + 1, to: end, n: order.length }));
      byId("practice-prev").disabled = rowPage === 0;
      byId("practice-next").disabled = end >= order.length;
    }
  }

  // The candidate positions: neighbours and p given, the terms and the
  // estimate asked.
  const candidateRows = [];
  function renderCandidates() {
    const { t } = page.tr, s = view.step, row = view.rowsBefore[s.machine], count = s.estimates.length;
    candidates.classList.toggle("sum-only", options.estimates !== "terms");
    while (candidateRows.length < count) {
      const tr = candidates.tBodies[0].appendChild(document.createElement("tr"));
      const cells = [];
      for (let c = 0; c < 7; ++c) cells.push(td(tr));
      const made = { tr, cells, head: makeInput(), tail: makeInput(), est: makeInput() };
      cells[3].append(made.head);
      cells[5].append(made.tail);
      cells[6].append(made.est);
      candidateRows.push(made);
    }
    candidateRows.forEach((r, i) => {
      r.tr.hidden = i >= count;
      if (i >= count) return;
      const b = i + 1;
      setText(r.cells[0], b);
      setText(r.cells[1], b >= 2 ? row[b - 2] : 0);
      setText(r.cells[2], b <= row.length ? row[b - 1] : 0);
      setText(r.cells[4], P[s.op]);
      if (options.estimates === "terms") {
        for (const part of ["head", "tail"]) bind(r[part], part + ":" + b, t("practice.label." + part, { b }));
      }
      bind(r.est, "est:" + b, t("practice.label.est", { b }));
    });
  }

  const seqInputs = [];
  function renderSequence() {
    const { t } = page.tr, count = view.rowsAfter[view.step.machine].length;
    while (seqInputs.length < count) {
      const label = sequence.appendChild(document.createElement("label"));
      const input = makeInput();
      label.append(seqInputs.length + 1 + ". ", input);
      seqInputs.push({ label, input });
    }
    seqInputs.forEach(({ label, input }, i) => {
      label.hidden = i >= count;
      if (i < count) bind(input, "seq:" + (i + 1), t("practice.label.seq", { i: i + 1 }));
    });
  }

  // The derivations of the wrong cells in view, in the order of entry.
  function renderDerivations() {
    const items = [];
    const wrong = Object.keys(step.verdicts).filter((key) => step.verdicts[key] === "wrong" && inputs.has(key));
    if (wrong.length > 0) wrong.sort((a, b) => step.index.get(a) - step.index.get(b));
    for (const key of wrong) {
      const li = document.createElement("li");
      li.id = "derivation-" + key.replace(":", "-");
      li.dataset.derivationOf = key;
      li.textContent = derivationText(derivationOf(step.explained, key), page.tr);
      items.push(li);
    }
    derivationList.replaceChildren(...items);
    derivations.hidden = items.length === 0;
    setText(hint, "");
  }

  function renderSummary() {
    const { t, count } = page.tr, s = summarize(progress.records);
    setText(summaryLine, t("practice.summary", {
      solved: count(s.solved, "practice.solved"), steps: replay.STEPS, wrong: count(s.wrong, "practice.wrong"),
    }));
  }

  function renderStep() {
    const { t } = page.tr, s = view.step;
    setText(byId("practice-heading"), t("practice.heading", { t: view.t }));
    tablePart.hidden = estimatesPart.hidden = !view.evaluated;
    setText(emptyNote, view.evaluated ? "" : t("practice.empty-machine", { machine: s.machine }));
    rendering(() => true, () => {
      if (view.evaluated) {
        setText(byId("practice-estimates-heading"), t("practice.part.estimates", { op: s.op, machine: s.machine }));
        renderTable();
        renderCandidates();
      }
      bind(byId("practice-pos"), "pos", t("practice.label.pos"));
      setText(byId("practice-sequence-heading"), t("practice.part.sequence", { machine: s.machine }));
      renderSequence();
    });
    const record = progress.records[view.t];
    setText(result, record?.solved !== undefined ? resultText(record) : "");
    renderDerivations();
  }

  // The practice of the step shown: the table's rows in order and those
  // asked, what was typed; its cells and their order of entry (thousands on
  // a large instance) only once needed.
  function startStep() {
    const v = view, o = options, order = tableOrder(replay, v);
    const rank = new Int32Array(N + 1);
    order.forEach((k, i) => { rank[k] = i; });
    const record = progress.records[v.t];
    let cells = null, index = null;
    step = {
      t: v.t, order, rank,
      askedOps: v.evaluated ? askedRows(replay, v.t, o.rows) : null,
      links: v.evaluated ? machineLinks(N, v.rowsBefore) : null,
      explained: explainStep(replay, v),
      answers: { ...record?.a },
      verdicts: { ...record?.v },
      dirty: false,
      get cells() { return cells || (cells = practiceCells(replay, v, o, order)); },
      get index() { return index || (index = new Map(this.cells.map((c, i) => [c.key, i]))); },
    };
    rowPage = 0;
  }

  function save() {
    clearTimeout(saveTimer);
    saveTimer = 0;
    if (!step?.dirty) return;
    step.dirty = false;
    const record = progress.records[step.t] || {};
    const ok = progress.save(step.t, { ...record, a: step.answers, v: step.verdicts });
    setText(storageNote, ok ? "" : page.tr.t("practice.storage-failed"));
  }
  const saveSoon = () => {
    clearTimeout(saveTimer);
    saveTimer = setTimeout(save, SAVE_DELAY_MS);
  };

  const resultText = (checked) => {
    const { t, count } = page.tr;
    const ok = checked.solved ? " " + t("practice.solved-step") : "";
    return t("practice.result", { cells: count(checked.cells, "practice.cells"), ok: checked.cells - checked.wrong, wrong: checked.wrong }) + ok;
  };

  function check() {
    const checked = { ...checkAnswers(step.cells, step.answers), cells: step.cells.length };
    step.verdicts = checked.verdicts;
    step.dirty = false;
    const ok = progress.save(step.t, { a: step.answers, v: step.verdicts, solved: checked.solved, wrong: checked.wrong, cells: checked.cells });
    setText(storageNote, ok ? "" : page.tr.t("practice.storage-failed"));
    for (const [key, input] of inputs) markInput(input, key);
    setText(result, resultText(checked));
    renderDerivations();
    renderSummary();
  }

  // Enter goes to the next cell in the order of entry (Shift+Enter back),
  // turning the table's page where the cell lies on another; after the last
  // comes the check.
  function focusCell(key) {
    if (key[0] === "R" || key[0] === "Q") {
      const p = Math.floor(step.rank[Number(key.slice(2))] / PAGE_ROWS);
      if (p !== rowPage) focusRows(p);
    }
    const input = inputs.get(key);
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
    step.answers[key] = e.target.value;
    step.dirty = true;
    if (step.verdicts[key]) {
      delete step.verdicts[key];
      markInput(e.target, key);
    }
    saveSoon();
  }, { signal });
  // A wrong cell's derivation shows under the check while the cell has the focus.
  panel.addEventListener("focusin", (e) => {
    const key = e.target.dataset?.cell;
    setText(hint, key && step?.verdicts[key] === "wrong" ? derivationText(derivationOf(step.explained, key), page.tr) : "");
  }, { signal });

  byId("practice-check").onclick = () => step && check();
  byId("practice-prev").onclick = () => focusRows(rowPage - 1);
  byId("practice-next").onclick = () => focusRows(rowPage + 1);
  function focusRows(p) {
    rowPage = p;
    rendering((key) => key[0] === "R" || key[0] === "Q", renderTable);
    renderDerivations();
  }
  byId("practice-reset").onclick = () => {
    if (!window.confirm(page.tr.t("practice.reset-confirm"))) return;
    clearTimeout(saveTimer);
    const ok = progress.reset();
    setText(storageNote, ok ? "" : page.tr.t("practice.storage-failed"));
    renderSummary();
    if (on && view) {
      startStep();
      renderStep();
    }
  };
  for (const radio of panel.querySelectorAll("input[type=radio]")) {
    radio.checked = options[radio.name.replace("practice-", "")] === radio.value;
    radio.onchange = () => {
      options = { ...options, [radio.name.replace("practice-", "")]: radio.value };
      progress.setOptions(options);
      if (on && view) {
        save();
        startStep();
        renderStep();
      }
    };
  }

  function setOn(value) {
    on = value;
    document.body.classList.toggle("practice", on);
    toggle.setAttribute("aria-pressed", String(on));
    panel.hidden = !on;
    if (!on) {
      save();
      rendering(() => true, () => {});
    }
    // The page shows the step again, this panel included.
    page.setPractising(on);
  }
  toggle.onclick = () => {
    setOn(!on);
    rememberMode(on);
  };
  signal.addEventListener("abort", save);
  window.addEventListener("pagehide", save, { signal });
  setOn(storedMode());

  return {
    render(v) {
      view = v;
      if (!on) return;
      if (step?.t !== v.t) {
        save();
        startStep();
      }
      renderStep();
      renderSummary();
    },
    retext() {
      if (on && view) renderSummary();
    },
  };
}
