// The web edition's search: improving the schedule of the instance shown,
// in a worker (search-worker.js) so that the page stays responsive, with a
// limit in seconds or iterations and a seed; its progress, its course as a
// plot, the downloads of its trace, schedule and page (jobshop-improve's
// bytes), and its iterations handed to the replay. For an instance of
// exercise size the optimum, computed in the same worker.
//
// <body data-search> tells scripts and tests where it is: "idle", "running",
// "ready" (a search's result is shown) or "error".

import { byId, download, setText } from "../../../report/replay/js/dom.js";
import { drawHistoryPlot } from "../../../report/replay/js/search-panel.js";
import { workerSource } from "./search-worker.js";

// Instances of up to this many operations get their optimum, within these
// limits (some 200,000 nodes a second here): exercise sizes are proven,
// 10 x 10 ones often not.
const OPTIMUM_OPS = 100, OPTIMUM_NODES = 1000000, OPTIMUM_SECONDS = 3;
const MAX_SECONDS = 3600, MAX_ITERATIONS = 1e9, MAX_SEED = 2n ** 64n - 1n;
// As for the page's own downloads (web-app.js).
const LARGE_DOWNLOAD_BYTES = 256 * 2 ** 20;

// The limit and the seed typed: { iterations, seconds, seed } or { key }
// naming what is wrong.
export function readSearchFields(limitText, unit, seedText) {
  const limit = String(limitText).trim(), seed = String(seedText).trim();
  const args = { iterations: null, seconds: null, seed };
  if (unit === "seconds") {
    const s = /^\d+([.,]\d*)?$|^[.,]\d+$/.test(limit) ? Number(limit.replace(",", ".")) : NaN;
    if (!(s > 0 && s <= MAX_SECONDS)) return { key: "web.search.bad-seconds" };
    args.seconds = s;
  } else {
    const n = /^\d+$/.test(limit) ? Number(limit) : NaN;
    if (!(n >= 0 && n <= MAX_ITERATIONS)) return { key: "web.search.bad-iterations" };
    args.iterations = n;
  }
  if (!/^\d+$/.test(seed) || BigInt(seed) > MAX_SEED) return { key: "web.search.bad-seed" };
  args.seed = BigInt(seed).toString();
  return args;
}

// A worker with the core, made when first asked: call(type, args) answers
// a request; stop() ends it (and what it was doing), the next call makes a
// new one.
function createWorkerClient(coreText) {
  let worker = null, next = 0, onProgress = null;
  const pending = new Map();
  const failAll = (error) => {
    for (const p of pending.values()) p.reject(error);
    pending.clear();
  };
  const make = () => {
    const url = URL.createObjectURL(new Blob([workerSource(coreText)], { type: "text/javascript" }));
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = ({ data }) => {
      if (data.progress) {
        onProgress?.(data.progress);
        return;
      }
      const p = pending.get(data.id);
      pending.delete(data.id);
      p?.resolve(data.answer);
    };
    worker.onerror = (e) => {
      e.preventDefault();
      worker.terminate();
      worker = null;
      failAll(new Error(e.message || "worker"));
    };
  };
  return {
    call(type, args) {
      if (!worker) make();
      const id = ++next;
      return new Promise((resolve, reject) => {
        pending.set(id, { resolve, reject });
        worker.postMessage({ id, type, args });
      });
    },
    stop() {
      worker?.terminate();
      worker = null;
      failAll(new Error("stopped"));
    },
    get fresh() { return worker === null; },
    set progress(f) { onProgress = f; },
  };
}

// hooks: translator() (the page's texts), searched(data) (the search's
// data for the replay), optimum(facts) (the optimum for the replay's
// header; search-data.js's optimumText form).
export function createWebSearch(hooks) {
  const client = createWorkerClient(byId("jobshop-core-script").textContent);
  const status = byId("web-search-status"), plot = byId("web-search-plot"), command = byId("web-search-command");
  const downloadStatus = byId("web-search-download-status");
  const runButton = byId("web-search-run"), stopButton = byId("web-search-stop");
  const downloads = ["download-search-trace", "download-search-schedule", "download-search-page"].map(byId);
  // The instance shown ({ bytes, name, token }), the token of the one the
  // worker has, and the shown search's result.
  let shown = null, loaded = 0, tokens = 0, result = null, said = null;
  const tr = () => hooks.translator();
  const setState = (state) => { document.body.dataset.search = state; };
  // A refusal of the core's in the page's language, or what failed.
  const refusal = (answer) => ((tr().lang === "en" ? answer.english : answer.message) || answer.message || answer.failed || "").trim();
  const say = (key, vars) => {
    said = key ? { key, vars } : null;
    setText(status, key ? tr().t(key, vars) : "");
  };

  // The worker runs what the page runs; a stopped worker starts empty.
  async function load() {
    if (client.fresh) loaded = 0;
    if (loaded === shown.token) return null;
    const token = shown.token, answer = await client.call("load", { bytes: shown.bytes });
    loaded = token;
    return answer.message;
  }

  function drawPlot() {
    plot.replaceChildren();
    if (result) drawHistoryPlot(plot, result.data.history, tr());
  }
  function showResult() {
    const { t, count } = tr(), d = result.data;
    setText(status, t("search.summary", { iterations: count(d.iterations, "count.iterations"), best: d.cmax, at: d.bestIteration, stop: t("search.stop." + d.stop) }));
    setText(command, t("web.search.command", { iterations: result.iterations, seed: result.seed }));
    drawPlot();
  }

  async function improve() {
    const fields = readSearchFields(byId("web-search-limit").value, byId("web-search-unit").value, byId("web-search-seed").value);
    if (fields.key) {
      say(fields.key);
      return;
    }
    const token = shown.token;
    result = null;
    drawPlot();
    setText(command, "");
    setText(downloadStatus, "");
    for (const b of downloads) b.disabled = true;
    runButton.disabled = true;
    stopButton.disabled = false;
    setState("running");
    say("web.search.running");
    client.progress = (p) => token === shown?.token && say("web.search.progress", p);
    let answer;
    try {
      const refused = await load();
      answer = refused ? { ok: false, message: refused } : await client.call("improve", fields);
    } catch (e) {
      answer = null;
    }
    client.progress = null;
    if (token !== shown?.token) return;
    stopButton.disabled = true;
    runButton.disabled = false;
    if (!answer) {
      say("web.search.stopped");
      setState("idle");
      return;
    }
    if (!answer.ok) {
      say("web.search.failed", { message: refusal(answer) });
      setState("error");
      return;
    }
    result = { data: JSON.parse(answer.json), iterations: answer.iterations, seed: fields.seed };
    said = null;
    showResult();
    for (const b of downloads) b.disabled = false;
    setState("ready");
    hooks.searched(result.data);
  }

  // A download of the search's files, made in the worker.
  async function save(kind) {
    if (!result) return;
    const token = shown.token, name = shown.name;
    const files = { trace: [name + "_tabu_krok_po_kroku.txt", "text/plain"], schedule: [name + "_harmonogram.txt", "text/plain"],
      page: [name + "_krok_po_kroku.html", "text/html"] };
    setText(downloadStatus, tr().t("web.state.saving"));
    let answer;
    try {
      answer = await client.call(kind);
    } catch (e) {
      answer = null;
    }
    if (token !== shown?.token) return;
    if (!answer || !answer.ok) {
      setText(downloadStatus, answer ? refusal(answer) : tr().t("web.search.stopped"));
      return;
    }
    const [file, type] = files[kind], size = answer.parts.reduce((sum, part) => sum + part.length, 0);
    if (size > LARGE_DOWNLOAD_BYTES && !window.confirm(tr().t("web.download.large", { file, mb: Math.round(size / 1e6), program: "jobshop-improve" }))) {
      setText(downloadStatus, "");
      return;
    }
    download(file, new Blob(answer.parts, { type }));
    setText(downloadStatus, "");
  }

  // The optimum of a small instance, as soon as it is shown.
  async function optimum() {
    const token = shown.token;
    let answer;
    try {
      const refused = await load();
      answer = refused ? null : await client.call("optimum", { nodes: OPTIMUM_NODES, seconds: OPTIMUM_SECONDS });
    } catch (e) {
      answer = null;
    }
    if (token !== shown?.token || !answer || !answer.ok) return;
    const d = JSON.parse(answer.json);
    hooks.optimum({ insertion: d.insertion, best: d.cmax, lowerBound: d.lowerBound, exact: d.exact });
  }

  runButton.onclick = () => shown && improve();
  stopButton.onclick = () => client.stop();
  downloads[0].onclick = () => save("trace");
  downloads[1].onclick = () => save("schedule");
  downloads[2].onclick = () => save("page");

  return {
    // A run is shown: its bytes, its name as text and its operations.
    shown(bytes, name, operations) {
      shown = { bytes, name, token: ++tokens };
      result = null;
      drawPlot();
      say(null);
      setText(command, "");
      setText(downloadStatus, "");
      for (const b of downloads) b.disabled = true;
      runButton.disabled = false;
      stopButton.disabled = true;
      // A search of the run before goes on in vain: it is ended.
      if (document.body.dataset.search === "running") client.stop();
      setState("idle");
      if (operations > 0 && operations <= OPTIMUM_OPS) optimum();
    },
    // No run is shown.
    dropped() {
      shown = null;
      if (document.body.dataset.search === "running") client.stop();
      runButton.disabled = stopButton.disabled = true;
      for (const b of downloads) b.disabled = true;
      setState("idle");
    },
    retext() {
      if (said) say(said.key, said.vars);
      else if (result) showResult();
    },
  };
}
