// The search's calls into the core (WebCore.cpp): improving the schedule,
// its trace, schedule and page, and the optimum. No DOM; node's tests call
// them on the module, and the page's worker (search-worker.js) runs this
// function's own text, so it names nothing outside itself.
//
// Every call works on the instance the module was last given to run
// (load); bytes that come back are copied out at once.

// `module` is the core's module (JobshopCore(), resolved).
export function searchCalls(module) {
  const decoder = new TextDecoder();
  const view = () => {
    const at = module._web_view_data() >>> 0;
    return module.HEAPU8.subarray(at, at + (module._web_view_size() >>> 0));
  };
  // A refused call leaves the program's message in the view, and its
  // English for web_english.
  const refused = () => {
    const message = decoder.decode(view());
    module._web_english();
    return { ok: false, message, english: decoder.decode(view()) };
  };
  const pieces = (count, call) => {
    const parts = [];
    for (let i = 0; i < count; ++i) {
      if (call(i) !== 0) return refused();
      parts.push(view().slice());
    }
    return { ok: true, parts };
  };
  return {
    // Runs the instance's bytes as core.js's run does: null, or the
    // program's message refusing it.
    load(bytes) {
      const at = module._web_input(bytes.length) >>> 0;
      module.HEAPU8.set(bytes, at);
      return module._web_run() === 0 ? null : decoder.decode(view());
    },
    // Improves the schedule as jobshop-improve does: at most `iterations`
    // iterations and `seconds` seconds (null: no limit), the seed as a
    // decimal text; onProgress(iteration, cmax, best) now and then.
    // { ok, json (jobshop-improve --json's data), iterations (the limit
    // that repeats the run with its seed) } or { ok: false, message,
    // english }.
    improve({ iterations = null, seconds = null, seed = "1" }, onProgress) {
      module.onSearchProgress = onProgress || (() => {});
      const s = BigInt(seed);
      const status = module._web_improve(iterations ?? -1, seconds ?? 0, Number(s >> 32n), Number(s & 0xffffffffn));
      module.onSearchProgress = null;
      if (status !== 0) return refused();
      return { ok: true, json: decoder.decode(view()), iterations: module._web_improve_iterations() };
    },
    // The last search's trace, as jobshop-improve -o writes it with its
    // seed and `iterations`: { ok, parts } or { ok: false, message }.
    trace() {
      const parts = [];
      module.onTraceChunk = (at, size) => {
        at >>>= 0;
        parts.push(module.HEAPU8.slice(at, at + (size >>> 0)));
      };
      const status = module._web_improve_trace();
      module.onTraceChunk = null;
      return status === 0 ? { ok: true, parts } : refused();
    },
    // The last search's best schedule (--schedule) and its page (--page).
    schedule: () => pieces(1, () => module._web_improve_schedule()),
    page: () => pieces(3, (i) => module._web_improve_page_piece(i)),
    // The optimum as --exact finds it, within `nodes` and `seconds`:
    // { ok, json } (jobshop-improve's data with "exact").
    optimum({ nodes, seconds }) {
      return module._web_optimum(nodes, seconds) === 0 ? { ok: true, json: decoder.decode(view()) } : refused();
    },
  };
}
