// The input panel: the instance's text and where it comes from (typed, a
// file, a bundled instance, the generator), the format it is read in and
// the instance of a file of several, the loader's message in place, the
// run's status and the downloads. It keeps what it shows as keys and
// values (or a text for each language), so a change of language redoes
// every text.

import { byId } from "../../../report/replay/js/dom.js";
import { createInstanceSource } from "./instance-source.js";

// A text area reads back its line ends as LF.
const asTextArea = (text) => text.replace(/\r\n?/g, "\n");

const DOWNLOADS = ["download-trace", "download-page", "download-instance", "copy-link"];

// What a conversion says it read, by format (the standard layout without
// `instance` lines is JSPLIB's).
const READ_KEYS = {
  standard: "web.reading.read.standard",
  jsplib: "web.reading.read.jsplib",
  taillard: "web.reading.read.taillard",
  fjsp: "web.reading.read.fjsp",
};

// `on` takes the panel's requests: run(), bundled(index), file(File),
// generate(fields), download(kind), copyLink(), edited(), reread() (the
// format, instance or name to read the text with changed), replaceText().
export function createInputPanel(on) {
  const text = byId("instance-text");
  const bundled = byId("bundled");
  const source = createInstanceSource();
  const shownTexts = {}; // element id -> { key, vars } or null
  let tr = null;

  // `said` is { key, vars }, { raw }, or { byLang: { pl: said, en: said } }.
  const render = (id) => {
    const el = byId(id);
    const said = shownTexts[id]?.byLang ? shownTexts[id].byLang[tr?.lang] : shownTexts[id];
    el.textContent = said && tr ? (said.raw ?? tr.t(said.key, said.vars)) : "";
    if (el.getAttribute("role") === "alert") el.classList.toggle("hidden", !said);
  };
  const say = (id, said) => {
    shownTexts[id] = said;
    render(id);
  };

  byId("run").addEventListener("click", () => on.run());
  bundled.addEventListener("change", () => {
    if (bundled.value !== "") on.bundled(Number(bundled.value));
  });
  byId("open-file").addEventListener("change", (e) => {
    const file = e.target.files[0];
    e.target.value = ""; // the same file can be opened again
    if (file) on.file(file);
  });
  byId("generate").addEventListener("click", () => on.generate({
    jobs: byId("gen-jobs").value, machines: byId("gen-machines").value,
    times: byId("gen-times").value, seed: byId("gen-seed").value,
  }));
  text.addEventListener("input", () => {
    bundled.value = "";
    text.removeAttribute("aria-invalid");
    on.edited();
  });
  for (const id of ["reading-format", "reading-instance", "reading-name"]) {
    byId(id).addEventListener("change", () => on.reread());
  }
  byId("reading-replace").addEventListener("click", () => on.replaceText());
  byId("download-trace").addEventListener("click", () => on.download("trace"));
  byId("download-page").addEventListener("click", () => on.download("page"));
  byId("download-instance").addEventListener("click", () => on.download("instance"));
  byId("copy-link").addEventListener("click", () => on.copyLink());

  // Selects line `line` (from 1) of the text and scrolls it into view.
  const markLine = (line) => {
    const value = text.value;
    let start = 0;
    for (let l = 1; l < line && start >= 0; ++l) {
      start = value.indexOf("\n", start);
      if (start >= 0) ++start;
    }
    if (start < 0) start = value.length;
    const end = value.indexOf("\n", start);
    text.setSelectionRange(start, end < 0 ? value.length : end);
    const lineHeight = parseFloat(getComputedStyle(text).lineHeight) || 18;
    text.scrollTop = Math.max(0, (line - 2) * lineHeight);
  };

  return {
    setTranslator(newTr) {
      tr = newTr;
      for (const id of Object.keys(shownTexts)) render(id);
      for (const option of bundled.querySelectorAll("option[data-name]")) {
        option.textContent = tr.t("web.bundled.option", {
          name: option.dataset.name, jobs: option.dataset.jobs, machines: option.dataset.machines,
        });
      }
      byId("gen-seed").placeholder = tr.t("web.gen.seed.placeholder");
      byId("reading-name").placeholder = tr.t("web.reading.name.placeholder");
    },

    // [name, jobs, machines, code] entries, grouped by family (ft, la, ...).
    fillBundled(list) {
      const groups = new Map();
      list.forEach(([name, jobs, machines], index) => {
        const family = /^[a-z]*/.exec(name)[0] || name;
        if (!groups.has(family)) {
          const group = document.createElement("optgroup");
          group.label = family;
          groups.set(family, group);
          bundled.append(group);
        }
        const option = document.createElement("option");
        option.value = String(index);
        Object.assign(option.dataset, { name, jobs, machines });
        groups.get(family).append(option);
      });
    },
    selectBundled(index) {
      bundled.value = index === null ? "" : String(index);
    },

    // Shows an instance that came as bytes; false when its text cannot
    // hold them exactly (they still run as long as it is not edited).
    setInstance(bytes) {
      const { text: shown, exact } = source.set(bytes, asTextArea);
      text.value = shown;
      text.removeAttribute("aria-invalid");
      return exact;
    },
    instanceBytes: () => source.bytesFor(text.value),
    text: () => text.value,

    // The loader's message in place: `said` is { key, vars } or { raw };
    // `line` (from 1) is marked in the text; a notice is not an error.
    showMessage(said, { line = 0, notice = false } = {}) {
      say("input-message", said);
      byId("input-message").classList.toggle("notice", notice);
      if (said && !notice) text.setAttribute("aria-invalid", "true");
      if (line > 0) markLine(line);
    },
    clearMessage() {
      say("input-message", null);
      text.removeAttribute("aria-invalid");
    },
    // How to read the text: { format (null: detected), index, name }.
    readingChoice: () => ({
      format: byId("reading-format").value || null,
      index: Math.max(0, byId("reading-instance").selectedIndex),
      name: byId("reading-name").value,
    }),
    // Back to detecting the format of the first instance, under its own
    // name: for a text from elsewhere.
    resetReading() {
      byId("reading-format").value = "";
      byId("reading-instance").replaceChildren();
      byId("reading-name").value = "";
      this.showReading(null);
    },
    // What reading the text gave (core.js's read; null: nothing): the
    // instances of a file of several to choose from, the name for a format
    // that has none of its own, and what was converted from which format.
    showReading(reading) {
      const several = reading !== null && reading.names.length > 1;
      if (several) {
        const choice = byId("reading-instance");
        choice.replaceChildren(...reading.names.map((name, k) => {
          const option = document.createElement("option");
          option.textContent = `${k + 1}. ${name}`;
          return option;
        }));
        choice.selectedIndex = reading.index;
      }
      byId("reading-instance-choice").classList.toggle("hidden", !several);
      const foreign = reading !== null && reading.format !== "program";
      byId("reading-name-choice").classList.toggle("hidden", !foreign && !byId("reading-name").value);
      const converted = reading?.kind === "converted";
      const format = reading?.format === "standard" && !reading.introduced ? "jsplib" : reading?.format;
      say("reading-said", converted ? { key: READ_KEYS[format] } : null);
      say("reading-count", converted && several
        ? { key: "web.reading.count", vars: { n: reading.names.length, name: reading.names[reading.index] } } : null);
      byId("reading-notice").classList.toggle("hidden", !converted);
    },
    showGeneratorMessage(said, field) {
      say("generator-message", said);
      if (field) byId("gen-" + field).focus();
    },
    setSeed(value) {
      byId("gen-seed").value = value;
    },
    setStatus: (said) => say("run-status", said),
    setDownloadStatus: (said) => say("download-status", said),
    enableDownloads(enabled) {
      for (const id of DOWNLOADS) byId(id).disabled = !enabled;
    },
  };
}
