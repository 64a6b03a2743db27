// The web edition: an instance from the input panel runs in the program's
// own core (WebAssembly, core.js), and the replay page's modules show the
// run (startReplay), as the page jobshop-replay writes would.
//
// <body data-state> tells scripts and tests where the page is: "loading"
// (the core is being made), "idle" (nothing run yet), "running", "ready"
// (a run's replay is shown) or "error" (the instance was refused, its
// message shown; nothing can be downloaded).

import { startReplay } from "../../../report/replay/js/app.js";
import { byId, copyText, download } from "../../../report/replay/js/dom.js";
import { localOnly, withoutExercise } from "../../../report/replay/js/exercise-link.js";
import { chooseLanguage, makeTranslator } from "../../../report/replay/js/lang.js";
import { applyTexts, rememberLanguage, storedLanguage } from "../../../report/replay/js/lang-dom.js";
import { decodeReplay, parseReplayData } from "../../../report/replay/js/replay-data.js";
import { createStepper } from "../../../report/replay/js/stepping.js";
import { pageStrings } from "../../../report/replay/js/strings.js";
import { formatAddress, readAddress } from "./address.js";
import { createCore } from "./core.js";
import { drawSeed, readGeneratorFields } from "./generator-form.js";
import { createInputPanel } from "./input-panel.js";
import { nameText } from "./instance-source.js";
import { decodeInstance, encodeInstance, programText } from "./instance-code.js";
import { estimateTraceBytes } from "./trace-size.js";
import { webStrings } from "./web-strings.js";
// The search on the instance shown.
import { searchStrings } from "../../../report/replay/js/search-strings.js";
import { createWebSearch } from "./web-search.js";
import { webSearchStrings } from "./web-search-strings.js";

// As jobshop-convert reads: far above any instance's text.
const MAX_FILE_BYTES = 64 << 20;
// Longer codes stay out of the address: links that long are not handed out,
// and some browsers refuse them.
const MAX_ADDRESS_CODE = 100000;
const TRACE_SUFFIX = "_krok_po_kroku.txt";
const PAGE_SUFFIX = "_krok_po_kroku.html";
// A download larger than this is handed to the browser only once the
// person knows its size and that the program writes it without the
// browser's limits: Chromium cancelled a 520 MB file made by a page
// without a word (the page cannot see it), when 166 MB ones went through
// again and again.
const LARGE_DOWNLOAD_BYTES = 256 * 2 ** 20;

// The benchmark instances bundled with the page, [name, jobs, machines,
// code] each (tools/bundle-instances.mjs).
function readBundled() {
  const element = byId("bundled-instances");
  try {
    return element ? JSON.parse(element.textContent) : [];
  } catch (e) {
    return [];
  }
}
const bundledInstances = readBundled();

// Warmed up before its first use (core.js), so a large first run or trace
// does not run long in the browser's quick first code.
const makeCore = () => createCore(globalThis.JobshopCore).then((ready) => {
  ready.warmUp();
  return ready;
});
let core = makeCore();
let lang = chooseLanguage(location.search, storedLanguage());
const pageTables = () => [pageStrings, webStrings, searchStrings, webSearchStrings];
// The replay brings its own tables (searchStrings among them).
const replayTables = [webStrings, webSearchStrings];
let tr = makeTranslator(lang, pageTables());
let replay = null; // the replay shown, from startReplay
let optimum = null; // the optimum of the run shown, once known
// The run shown: its bytes (in the program's format) and the text it came
// from, the instance's name as text, its code.
let shown = null;
// The name of the file the text came from: messages name it, and it names
// the instances of a format that leaves them unnamed (as jobshop-convert
// does). Text typed in stands for input.txt.
let sourceFile = "input.txt";
let runs = 0; // a newer run makes an older one give up

const setState = (state) => {
  document.body.dataset.state = state;
};

// The step in the address beside the instance's code (startReplay's hook).
const address = {
  read: () => readAddress(location.hash).step ?? "",
  write(t) {
    const wanted = formatAddress({ code: shown ? shown.code : null, step: t });
    if (location.hash !== wanted) history.replaceState(null, "", wanted || location.pathname + location.search);
  },
  format: (t) => formatAddress({ code: shown ? shown.code : null, step: t }),
};

// The text in the box, read in any format.
const runText = () => run(panel.instanceBytes(), null, { read: true });

// The exercise the address's query names (?practice&ask=...&steps=...,
// a roster's link) belongs to the instance of the address's code: a run of
// another instance takes it out of the address and practises as the
// student chooses.
let exerciseCode = readAddress(location.hash).code;
const NO_EXERCISE = { practice: false, ask: null, range: null, problems: [] };
function exerciseFor(code) {
  if (code && code === exerciseCode) return undefined;
  exerciseCode = null;
  const search = withoutExercise(location.search);
  if (search !== location.search) history.replaceState(null, "", location.pathname + search + location.hash);
  return NO_EXERCISE;
}

const panel = createInputPanel({
  run: runText,
  reread: runText,
  replaceText,
  bundled: (index) => openCode(bundledInstances[index][3], null, index),
  file: openFile,
  generate,
  download: save,
  copyLink,
  edited() {
    if (shown) panel.setStatus({ key: shown.text === panel.text() ? "web.state.ready" : "web.state.changed", vars: { name: shown.name } });
  },
});

// The search's panel; a search's iterations follow the steps in the replay.
const search = createWebSearch({
  translator: () => tr,
  searched(data) {
    if (!shown) return;
    replay = startReplay({ ...shown.data, search: data }, { lang, strings: replayTables, address, optimum, exercise: exerciseFor(shown.code) });
  },
  optimum(facts) {
    optimum = facts;
    if (replay) replay.setOptimum(facts);
  },
});

function setLanguage(newLang) {
  lang = newLang;
  tr = makeTranslator(lang, pageTables());
  // A replay shown retexts the whole page itself.
  applyTexts(replay ? byId("input-panel") : document, tr);
  panel.setTranslator(tr);
  search.retext();
}

// Stops the replay shown, if any; nothing of it can be downloaded.
function dropRun() {
  if (replay) replay.stop();
  replay = null;
  shown = null;
  optimum = null;
  search.dropped();
  panel.enableDownloads(false);
  document.body.classList.add("no-replay");
  applyTexts(document, tr);
}

function refuse(said, options) {
  dropRun();
  panel.showMessage(said, options);
  panel.setStatus(null);
  setState("error");
}

// The core failed (it ran out of memory, most likely) and is made anew.
function coreFailed() {
  core = makeCore();
  refuse({ key: "web.error.memory" });
}

const nextFrame = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));

// The refusal of a run in the page's languages: the program's own message
// in Polish (with its line), the tools' words in English.
function runRefusal(result) {
  const polish = result.line > 0
    ? { key: "web.error.line", vars: { line: result.line, message: result.message.trim() } }
    : { raw: result.message.trim() };
  return { byLang: { pl: polish, en: { raw: result.english } } };
}

// Runs the bytes as jobshop-insert runs input.txt. With `read`, they are
// read first as jobshop-convert reads a file (the panel's format, instance
// and name): another format's instance runs converted to the program's.
async function run(bytes, step = null, { read = false } = {}) {
  const ticket = ++runs;
  setState("running");
  panel.clearMessage();
  panel.setStatus({ key: "web.state.running" });
  let ready;
  try {
    ready = await core;
  } catch (e) {
    coreFailed();
    return;
  }
  await nextFrame(); // the status shows before the work
  if (ticket !== runs) return;
  let result, instance, reading = null, runBytes = bytes;
  try {
    if (read) {
      reading = ready.read(bytes, { ...panel.readingChoice(), file: sourceFile });
      if (reading.kind === "converted") runBytes = reading.bytes;
    }
    if (reading?.kind !== "refused") {
      result = ready.run(runBytes);
      if (result.ok) instance = ready.instance();
    }
  } catch (e) {
    coreFailed();
    return;
  }
  if (read) panel.showReading(reading);
  if (reading?.kind === "refused") {
    refuse({ byLang: { pl: { raw: reading.polish }, en: { raw: reading.english } } }, { line: reading.line });
    return;
  }
  if (!result.ok) {
    refuse(runRefusal(result), { line: result.line });
    return;
  }
  // A code takes at least a bit an operation: past MAX_ADDRESS_CODE
  // operations it is not even made.
  const code = instance.jobs * instance.machines <= MAX_ADDRESS_CODE ? encodeInstance(instance) : "";
  const name = nameText(instance.name);
  const data = parseReplayData(result.json);
  shown = { bytes: runBytes, text: panel.text(), name, data, code: code && code.length <= MAX_ADDRESS_CODE ? code : null };
  history.replaceState(null, "", formatAddress({ code: shown.code, step }) || location.pathname + location.search);
  document.body.classList.remove("no-replay");
  optimum = null;
  replay = startReplay(data, { lang, strings: replayTables, address, exercise: exerciseFor(shown.code) });
  search.shown(shown.bytes, name, instance.jobs * instance.machines);
  panel.enableDownloads(true);
  panel.setDownloadStatus(null);
  panel.setStatus({ key: "web.state.ready", vars: { name } });
  setState("ready");
}

// Shows and runs an instance that came as bytes from `file` (a file opened,
// read as it reads; else one in the program's format).
function runBytes(bytes, step = null, file = null) {
  sourceFile = file ?? "input.txt";
  panel.resetReading();
  const exact = panel.setInstance(bytes);
  const running = run(bytes, step, { read: file !== null }); // clears the message before it waits
  if (!exact) panel.showMessage({ key: "web.error.not-utf8" }, { notice: true });
  return running;
}

// Puts the converted instance that runs into the text box in place of the
// text it was converted from.
function replaceText() {
  if (!shown) return;
  panel.resetReading();
  panel.setInstance(shown.bytes);
  shown.text = panel.text();
}

function openCode(code, step, bundledIndex = null) {
  let bytes;
  try {
    bytes = programText(decodeInstance(code));
  } catch (e) {
    refuse({ key: "web.error.link" });
    return;
  }
  panel.selectBundled(bundledIndex);
  runBytes(bytes, step);
}

// Opening a file and generating take a moment before the run starts; the
// page is "running" from the request on, so no one reads the state of the
// run before as this one's.
async function openFile(file) {
  panel.selectBundled(null);
  setState("running");
  if (file.size > MAX_FILE_BYTES) {
    refuse({ key: "web.error.file-size", vars: { name: file.name } });
    return;
  }
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (e) {
    refuse({ key: "web.error.file-read", vars: { name: file.name } });
    return;
  }
  runBytes(bytes, null, file.name);
}

async function generate(fields) {
  const read = readGeneratorFields(fields);
  if (!read.ok) {
    panel.showGeneratorMessage({ key: read.key }, read.field);
    return;
  }
  panel.showGeneratorMessage(null);
  setState("running");
  if (read.classSeed === null && read.timeSeed === undefined) {
    read.classSeed = drawSeed(() => crypto.getRandomValues(new Uint32Array(1))[0]);
    panel.setSeed(String(read.classSeed));
  }
  let bytes;
  try {
    bytes = (await core).generate(read);
  } catch (e) {
    coreFailed();
    return;
  }
  panel.selectBundled(null);
  runBytes(bytes);
}

// The trace's size, estimated from the run's replay before it is made.
function traceSize(data) {
  const decoded = decodeReplay(data);
  const final = decoded.STEPS > 0 ? createStepper(decoded).view(decoded.STEPS).after : { R: [], Q: [] };
  return estimateTraceBytes(decoded, final);
}

// Whether a file of `size` bytes goes to the browser: at once when it is
// not large, else only when the person, told its size and the program that
// writes it without the browser's limits, still wants it. Returns what the
// download status says once the file is handed over (null: nothing), or
// false for no download.
function askToDownload(file, size, program) {
  if (size <= LARGE_DOWNLOAD_BYTES) return null;
  const vars = { file, mb: Math.round(size / 1e6), program };
  if (window.confirm(tr.t("web.download.large", vars))) return { key: "web.download.large-given", vars };
  panel.setDownloadStatus({ key: "web.download.large-declined", vars });
  return false;
}

async function save(kind) {
  if (!shown) return;
  const { name } = shown;
  if (kind === "instance") {
    download("input.txt", new Blob([shown.bytes], { type: "text/plain" }));
    return;
  }
  const file = name + (kind === "trace" ? TRACE_SUFFIX : PAGE_SUFFIX);
  // The trace's size is estimated before it is made; the page's is known
  // once its pieces are out of the core.
  const told = kind === "trace" ? askToDownload(file, traceSize(shown.data), "jobshop-insert") : null;
  if (told === false) return;
  panel.setDownloadStatus({ key: "web.state.saving" });
  try {
    const ready = await core;
    if (kind === "trace") {
      // Marks for bench/web-perf.mjs: what the page does apart from the
      // browser's saving.
      performance.mark("trace-start");
      const trace = new Blob(ready.traceParts(), { type: "text/plain" });
      performance.mark("trace-made");
      download(file, trace);
      panel.setDownloadStatus(told);
    } else {
      const parts = ready.pageParts();
      const pageTold = askToDownload(file, parts.reduce((sum, part) => sum + part.length, 0), "jobshop-replay");
      if (pageTold === false) return;
      download(file, new Blob(parts, { type: "text/html" }));
      panel.setDownloadStatus(pageTold);
    }
  } catch (e) {
    coreFailed();
  }
}

// The link to the instance, or in practice to the exercise practised; a
// page opened from a file says that its links reach this computer only.
async function copyLink() {
  const practice = replay?.practiceLink() ?? null;
  const copied = await copyText(practice ?? location.href);
  const key = (practice ? "web.copied-practice" : "web.copied") + (localOnly(location.protocol) ? "-local" : "");
  panel.setDownloadStatus({ key: copied ? key : "web.copy-failed" });
}

// Start: the texts, the bundled instances, and the instance of the address
// (a link handed out) or ft06 to begin with.
panel.fillBundled(bundledInstances);
setLanguage(lang);
byId("language").value = lang;
byId("language").addEventListener("change", (e) => {
  rememberLanguage(e.target.value);
  setLanguage(e.target.value);
});
// Another instance's link in the address replaces the run shown at once, so
// nothing of the old one writes the address meanwhile. (This listener comes
// before the replay's own.)
window.addEventListener("hashchange", () => {
  const { code, step } = readAddress(location.hash);
  if (code && (!shown || code !== shown.code)) {
    dropRun();
    openCode(code, step);
  }
});
const opened = readAddress(location.hash);
if (opened.code) {
  openCode(opened.code, opened.step);
} else {
  const ft06 = bundledInstances.findIndex(([name]) => name === "ft06");
  if (ft06 >= 0) panel.setInstance(programText(decodeInstance(bundledInstances[ft06][3])));
  panel.setStatus({ key: "web.state.loading" });
  core.then(() => {
    if (document.body.dataset.state === "loading") {
      setState("idle");
      panel.setStatus(null);
    }
  }, coreFailed);
}
