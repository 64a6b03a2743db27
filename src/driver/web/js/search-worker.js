// The worker the search runs in, so that the page stays responsive: the
// core's own script (a second module, apart from the page's) and
// searchCalls, joined into one script for a Blob. No DOM.

import { searchCalls } from "./search-core.js";

// The worker's start, run as its own text: answers each { id, type, args }
// with { id, answer } (the parts of an answer handed over, not copied), and
// the search's progress as { progress }.
function workerMain() {
  const calls = JobshopCore().then((module) => searchCalls(module));
  onmessage = async ({ data }) => {
    const { id, type, args } = data;
    let answer;
    try {
      const c = await calls;
      if (type === "load") answer = { ok: true, message: c.load(args.bytes) };
      else if (type === "improve") answer = c.improve(args, (iteration, cmax, best) => postMessage({ progress: { iteration, cmax, best } }));
      else answer = c[type](args || {});
    } catch (e) {
      answer = { ok: false, failed: String((e && e.message) || e) };
    }
    postMessage({ id, answer }, answer.parts ? answer.parts.map((part) => part.buffer) : []);
  };
}

// The worker's script, from the core's script text.
export const workerSource = (coreText) =>
  coreText + "\nconst searchCalls = " + searchCalls.toString() + ";\n(" + workerMain.toString() + ")();\n";
