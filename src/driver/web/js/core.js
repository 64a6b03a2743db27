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

// The formats in the core's order (formats/Formats.h), and its readings'
// outcomes (WebCore.cpp's web_read).
export const FORMATS = ["standard", "taillard", "fjsp", "program"];
const READINGS = ["program", "converted", "refused"];

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
  const encoder = new TextEncoder();
  // Copies bytes into room the core makes for them (which may grow the
  // memory, replacing HEAPU8).
  const put = (bytes, makeRoom) => {
    const at = makeRoom(bytes.length) >>> 0;
    module.HEAPU8.set(bytes, at);
  };
  const numbers = () => new Int32Array(view().slice().buffer);

  return {
    // Runs the instance's bytes as jobshop-insert would (loading, insertion
    // order) and records its replay as jobshop-replay does:
    //   { ok: true, json } (the replay data's text), or
    //   { ok: false, message, english, line } with the program's own
    //   message, the tools' English words for it and the line it names (0:
    //   none).
    run(bytes) {
      return call(() => {
        put(bytes, module._web_input);
        const status = module._web_run();
        const text = decoder.decode(view());
        if (status === 0) return { ok: true, json: text };
        const line = status === 1 ? module._web_line() : 0;
        module._web_english();
        return { ok: false, message: text, english: decoder.decode(view()), line };
      });
    },

    // Reads the bytes as jobshop-convert reads a file called `file`: in
    // `format` (one of FORMATS; null: detected), instance `index` (from 0),
    // named `name` (empty: the file's own). Answers { kind, format,
    // introduced, names, index } and, by kind:
    //   "program": the program's own format, to be run as it is;
    //   "converted": `bytes`, the instance in the program's format;
    //   "refused": `english` and `polish` say why, at `line` (0: none).
    read(bytes, { format = null, index = 0, file = "input.txt", name = "" } = {}) {
      return call(() => {
        put(encoder.encode(file), (size) => module._web_reading_name(0, size));
        put(encoder.encode(name), (size) => module._web_reading_name(1, size));
        put(bytes, module._web_input);
        const outcome = READINGS[module._web_read(FORMATS.indexOf(format), index)];
        const text = view().slice();
        module._web_reading_numbers();
        const [formatRead, introduced, count, indexRead, line] = numbers();
        const names = [];
        for (let k = 0; k < count; ++k) {
          module._web_reading_instance(k);
          names.push(decoder.decode(view()));
        }
        const reading = { kind: outcome, format: FORMATS[formatRead], introduced: introduced === 1, names, index: indexRead };
        if (outcome === "converted") return { ...reading, bytes: text };
        if (outcome !== "refused") return reading;
        module._web_english();
        return { ...reading, polish: decoder.decode(text), english: decoder.decode(view()), line };
      });
    },

    // The last run's instance (see instance-code.js).
    instance() {
      return call(() => {
        module._web_instance_name();
        const name = view().slice();
        module._web_instance_numbers();
        const all = numbers();
        return { name, jobs: all[0], machines: all[1], ops: all.slice(2) };
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
