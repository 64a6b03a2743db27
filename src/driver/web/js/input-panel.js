// The input panel: the instance's text and where it comes from (typed, a
// file, a bundled instance, the generator), the loader's message in place,
// the run's status and the downloads. It keeps what it shows as keys and
// values, so a change of language redoes every text.

import { byId } from "../../../report/replay/js/dom.js";
import { createInstanceSource } from "./instance-source.js";

// A text area reads back its line ends as LF.
const asTextArea = (text) => text.replace(/\r\n?/g, "\n");

const DOWNLOADS = ["download-trace", "download-page", "download-instance", "copy-link"];

// `on` takes the panel's requests: run(), bundled(index), file(File),
// generate(fields), download(kind), copyLink(), edited().
export function createInputPanel(on) {
  const text = byId("instance-text");
  const bundled = byId("bundled");
  const source = createInstanceSource();
  const shownTexts = {}; // element id -> { key, vars } or null
  let tr = null;

  const render = (id) => {
    const el = byId(id), said = shownTexts[id];
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
