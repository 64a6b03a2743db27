// The program's core compiled to WebAssembly (src/driver/web/WebCore.cpp)
// behind a small interface. Needs no DOM: node's tests load the same module.
//
// Bytes from the core are views into its memory that its next call may
// move or overwrite, so every answer is copied out at once: into arrays and
// strings, the trace and the page into parts for a Blob, never one string.
//
// The trace's parts are arrays, not a Blob each: Chromium frees a Blob's
// bytes only once the page's Blob object is garbage collected, which
// nothing prompts while the page's own memory stays small, so the fourth
// download of ta71's trace in one page failed. Arrays count as the page's
// memory, and their collection takes the Blobs made from them along.

// Chunks of the trace handed over at a time: a few large ones cost no more
// than one, and the core keeps only one.
const TRACE_CHUNK = 8 << 20;

// What the core answers when the last run was refused (WebCore.cpp).
const NO_RUN = 3;

// A call into a core that has failed (out of memory, most likely): the
// module is left in an unknown state, so the page makes a new one.
class CoreFailure extends Error {}

// `factory` is the module's factory (JobshopCore, from emscripten's
// -sMODULARIZE output); resolves to the core's interface.
export async function createCore(factory) {
  const module = await factory();
  let broken = false;
  const call = (fn) => {
    if (broken) throw new CoreFailure("the core failed earlier");
    try {
      return fn();
    } catch (e) {
      broken = true;
      throw new CoreFailure(String(e && e.message ? e.message : e));
    }
  };
  const view = () => {
    const at = module._web_view_data() >>> 0;
    return module.HEAPU8.subarray(at, at + (module._web_view_size() >>> 0));
  };
  const decoder = new TextDecoder();

  return {
    // Runs the instance's bytes as jobshop-insert would (loading, insertion
    // order) and records its replay as jobshop-replay does:
    //   { ok: true, json } (the replay data's text), or
    //   { ok: false, message, line } with the program's own message and the
    //   line it names (0: none).
    run(bytes) {
      return call(() => {
        // Room first: making it may grow the memory, which replaces HEAPU8.
        const at = module._web_input(bytes.length) >>> 0;
        module.HEAPU8.set(bytes, at);
        const status = module._web_run();
        const text = decoder.decode(view());
        if (status === 0) return { ok: true, json: text };
        return { ok: false, message: text, line: status === 1 ? module._web_line() : 0 };
      });
    },

    // The last run's instance (see instance-code.js).
    instance() {
      return call(() => {
        module._web_instance_name();
        const name = view().slice();
        module._web_instance_numbers();
        const v = view();
        const numbers = new Int32Array(v.slice().buffer);
        return { name, jobs: numbers[0], machines: numbers[1], ops: numbers.slice(2) };
      });
    },

    // The last run's whole trace, as jobshop-insert writes it, in parts
    // (Uint8Arrays) for a Blob; null when the last run was refused.
    traceParts(chunkSize = TRACE_CHUNK) {
      return call(() => {
        const parts = [];
        module.onTraceChunk = (at, size) => {
          at >>>= 0;
          parts.push(module.HEAPU8.slice(at, at + (size >>> 0)));
        };
        const status = module._web_trace(chunkSize);
        module.onTraceChunk = null;
        if (status === NO_RUN) return null;
        if (status !== 0) throw new CoreFailure(decoder.decode(view()));
        return parts;
      });
    },

    // The last run's replay page, as jobshop-replay writes it, in parts for
    // a Blob; null when the last run was refused.
    pageParts() {
      return call(() => {
        const parts = [];
        for (let i = 0; i < 3; ++i) {
          if (module._web_page_piece(i) === NO_RUN) return null;
          parts.push(view().slice());
        }
        return parts;
      });
    },

    // Runs a small instance through the core once, so that the browser has
    // optimized its code before the first real run (see WebCore.cpp).
    warmUp() {
      call(() => module._web_warm_up());
    },

    // The instance jobshop-generate makes (its text's bytes), from a class
    // seed or from Taillard's two seeds; null for arguments it refuses.
    generate({ jobs, machines, low, high, classSeed, timeSeed, machineSeed }) {
      return call(() => {
        const status = classSeed !== undefined && classSeed !== null
          ? module._web_generate_class(jobs, machines, low, high, classSeed)
          : module._web_generate(jobs, machines, low, high, timeSeed, machineSeed);
        return status === 0 ? view().slice() : null;
      });
    },
  };
}
