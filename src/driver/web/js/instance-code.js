// An instance as a short text for the address (#i=CODE), so that a teacher
// can hand out one exercise as a link, and for the instances bundled with
// the page. No DOM.
//
// An instance here is { name, jobs, machines, ops }: the name's bytes (a
// Uint8Array, any bytes), the two counts, and ops, an Int32Array holding the
// machine and the time of every operation in the program's order
// (M1, p1, M2, p2, ...). Every number may be any 32-bit integer; the counts
// are at least 0, as the program's loader requires.
//
// A code is the version, "1", followed by base64url (no padding) of a bit
// stream, most significant bit first:
//   varint  the name's length, then its bytes (8 bits each)
//   varint  jobs, machines
//   bit     1 when every job visits machines 1 ... m once each
//   varint  zigzag of the least time; 6 bits: the width w of a time;
//           then every time as (p - least) in w bits
//   the machines, job by job: for a job visiting each machine once, the
//           index of each machine among those the job has not visited yet,
//           in as few bits as that many choices need; otherwise the least
//           machine number and a width as for the times, then every M
// A varint is 7 bits at a time, least significant group first, each group
// after a bit that says whether more follow. Times of 1 ... 99 take 7 bits,
// a job of 20 machines some 9 bytes: a 20 x 20 instance is about 700
// characters.

const CODE_VERSION = "1";

// Decoding refuses more operations than a run of the page can replay, so a
// damaged or hostile link cannot ask for endless memory.
export const MAX_CODE_OPERATIONS = 1 << 20;
// Machines up to this count are written as the choices left to each job.
const MAX_PERMUTATION_MACHINES = 64;

const INT32_MIN = -(2 ** 31), INT32_MAX = 2 ** 31 - 1;
const BASE64URL = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

class BitWriter {
  constructor() {
    this.bytes = [];
    this.current = 0;
    this.filled = 0;
  }
  // `value` (0 <= value < 2^width, width <= 32) in `width` bits.
  bits(value, width) {
    while (width > 0) {
      const take = Math.min(width, 8 - this.filled);
      const shift = width - take;
      const part = Math.floor(value / 2 ** shift) % 2 ** take;
      this.current = this.current * 2 ** take + part;
      this.filled += take;
      width -= take;
      if (this.filled === 8) {
        this.bytes.push(this.current);
        this.current = 0;
        this.filled = 0;
      }
    }
  }
  varint(value) {
    do {
      const group = value % 128;
      value = Math.floor(value / 128);
      this.bits(value > 0 ? 1 : 0, 1);
      this.bits(group, 7);
    } while (value > 0);
  }
  finish() {
    if (this.filled > 0) this.bits(0, 8 - this.filled);
    return Uint8Array.from(this.bytes);
  }
}

class BitReader {
  constructor(bytes) {
    this.bytes = bytes;
    this.at = 0; // in bits
  }
  bits(width) {
    if (this.at + width > this.bytes.length * 8) throw new CodeError("the code ends too early");
    let value = 0;
    while (width > 0) {
      const byte = this.bytes[this.at >> 3];
      const offset = this.at & 7;
      const take = Math.min(width, 8 - offset);
      const part = (byte >> (8 - offset - take)) & ((1 << take) - 1);
      value = value * 2 ** take + part;
      this.at += take;
      width -= take;
    }
    return value;
  }
  // A varint of at most 5 groups (any 32-bit value).
  varint() {
    let value = 0;
    for (let group = 0; group < 5; ++group) {
      const more = this.bits(1);
      value += this.bits(7) * 2 ** (7 * group);
      if (!more) return value;
    }
    throw new CodeError("a number is too long");
  }
  // True when only the zero bits that complete the last byte are left.
  atEnd() {
    const left = this.bytes.length * 8 - this.at;
    return left < 8 && this.bits(left) === 0;
  }
}

// A code that is not one this page made: damaged, cut short, or of a newer
// version.
export class CodeError extends Error {}

const zigzag = (n) => (n >= 0 ? 2 * n : -2 * n - 1);
const unzigzag = (z) => (z % 2 === 0 ? z / 2 : -(z + 1) / 2);

// Bits that tell `count` choices apart (0 for one choice).
const bitsFor = (count) => (count <= 1 ? 0 : Math.ceil(Math.log2(count)));

// The least value and the width of (value - least) over every other entry
// of `ops` from `first` (0: machines, 1: times).
function spread(ops, first) {
  let low = Infinity, high = -Infinity;
  for (let i = first; i < ops.length; i += 2) {
    low = Math.min(low, ops[i]);
    high = Math.max(high, ops[i]);
  }
  if (low > high) return { low: 0, width: 0 };
  return { low, width: bitsFor(high - low + 1) };
}

// True when every job visits machines 1 ... m once each (so too without
// operations, at no cost however many jobs there are).
function isPermutationPerJob(instance) {
  const { jobs, machines, ops } = instance;
  if (machines > MAX_PERMUTATION_MACHINES) return false;
  if (machines === 0) return true;
  const seen = new Int32Array(machines + 1);
  for (let j = 0; j < jobs; ++j) {
    for (let k = 0; k < machines; ++k) {
      const m = ops[2 * (j * machines + k)];
      if (m < 1 || m > machines || seen[m] === j + 1) return false;
      seen[m] = j + 1;
    }
  }
  return true;
}

// Walks the positions of every job that visits each machine once, with the
// machines it has not visited yet (`left`, increasing): `choose(left, at)`
// gives the index in `left` of the machine of ops[at]. Jobs without
// operations make no choice.
function walkChoices(jobs, machines, choose) {
  if (machines === 0) return;
  const left = [];
  for (let j = 0; j < jobs; ++j) {
    left.length = 0;
    for (let m = 1; m <= machines; ++m) left.push(m);
    for (let k = 0; k < machines; ++k) left.splice(choose(left, 2 * (j * machines + k)), 1);
  }
}

function toBase64url(bytes) {
  let out = "";
  for (let i = 0; i < bytes.length; i += 3) {
    const n = (bytes[i] << 16) | ((bytes[i + 1] ?? 0) << 8) | (bytes[i + 2] ?? 0);
    const chars = Math.ceil(((Math.min(3, bytes.length - i)) * 8) / 6);
    for (let c = 0; c < chars; ++c) out += BASE64URL[(n >> (18 - 6 * c)) & 63];
  }
  return out;
}

function fromBase64url(text) {
  if (text.length % 4 === 1) throw new CodeError("the code's length is not one of base64");
  const bytes = new Uint8Array(Math.floor((text.length * 6) / 8));
  let acc = 0, filled = 0, at = 0;
  for (const ch of text) {
    const value = BASE64URL.indexOf(ch);
    if (value < 0) throw new CodeError("the code holds a character base64url has not");
    acc = ((acc << 6) | value) & 0xffffff;
    filled += 6;
    if (filled >= 8) {
      filled -= 8;
      bytes[at++] = (acc >> filled) & 255;
    }
  }
  return bytes;
}

export function encodeInstance(instance) {
  const { name, jobs, machines, ops } = instance;
  if (!(jobs >= 0 && machines >= 0) || ops.length !== 2 * jobs * machines) {
    throw new RangeError("not an instance: counts below 0 or operations missing");
  }
  const w = new BitWriter();
  w.varint(name.length);
  for (const byte of name) w.bits(byte, 8);
  w.varint(jobs);
  w.varint(machines);
  const permutation = isPermutationPerJob(instance);
  w.bits(permutation ? 1 : 0, 1);
  const times = spread(ops, 1);
  w.varint(zigzag(times.low));
  w.bits(times.width, 6);
  for (let i = 1; i < ops.length; i += 2) w.bits(ops[i] - times.low, times.width);
  if (permutation) {
    walkChoices(jobs, machines, (left, at) => {
      const index = left.indexOf(ops[at]);
      w.bits(index, bitsFor(left.length));
      return index;
    });
  } else {
    const spreadM = spread(ops, 0);
    w.varint(zigzag(spreadM.low));
    w.bits(spreadM.width, 6);
    for (let i = 0; i < ops.length; i += 2) w.bits(ops[i] - spreadM.low, spreadM.width);
  }
  return CODE_VERSION + toBase64url(w.finish());
}

// The instance of `code`, or a CodeError saying why there is none.
export function decodeInstance(code) {
  if (typeof code !== "string" || code[0] !== CODE_VERSION) {
    throw new CodeError("not a code of version " + CODE_VERSION);
  }
  const r = new BitReader(fromBase64url(code.slice(1)));
  const nameLength = r.varint();
  if (nameLength * 8 > r.bytes.length * 8 - r.at) throw new CodeError("the code ends too early");
  const name = new Uint8Array(nameLength);
  for (let i = 0; i < nameLength; ++i) name[i] = r.bits(8);
  const jobs = r.varint();
  const machines = r.varint();
  if (jobs > INT32_MAX || machines > INT32_MAX) throw new CodeError("a count beyond 32 bits");
  if (jobs * machines > MAX_CODE_OPERATIONS) throw new CodeError("too many operations");
  const ops = new Int32Array(2 * jobs * machines);
  const permutation = r.bits(1) === 1;
  const readSpread = () => {
    const low = unzigzag(r.varint());
    const width = r.bits(6);
    if (width > 32) throw new CodeError("a width beyond 32 bits");
    return { low, width };
  };
  // Ops is an Int32Array, which would wrap a number beyond 32 bits.
  const take = (from, i) => {
    const value = from.low + r.bits(from.width);
    if (value < INT32_MIN || value > INT32_MAX) throw new CodeError("a number beyond 32 bits");
    ops[i] = value;
  };
  const times = readSpread();
  for (let i = 1; i < ops.length; i += 2) take(times, i);
  if (permutation) {
    walkChoices(jobs, machines, (left, at) => {
      const index = r.bits(bitsFor(left.length));
      if (index >= left.length) throw new CodeError("a machine beyond the job's");
      ops[at] = left[index];
      return index;
    });
  } else {
    const spreadM = readSpread();
    for (let i = 0; i < ops.length; i += 2) take(spreadM, i);
  }
  if (!r.atEnd()) throw new CodeError("the code goes on after the instance");
  return { name, jobs, machines, ops };
}

// The instance as the program's input file, byte for byte as
// jobshop-generate and jobshop-convert write it: the name, "n m", then one
// line per job of "machine time" pairs. Without operations it is the name
// and the counts alone (the program reads no more of it), however many jobs.
export function programText(instance) {
  const { name, jobs, machines, ops } = instance;
  const lines = [`\n${jobs} ${machines}\n`];
  for (let j = 0; j < jobs && machines > 0; ++j) {
    const pairs = [];
    for (let k = 0; k < machines; ++k) {
      const at = 2 * (j * machines + k);
      pairs.push(ops[at] + " " + ops[at + 1]);
    }
    lines.push(pairs.join(" ") + "\n");
  }
  const rest = new TextEncoder().encode(lines.join(""));
  const bytes = new Uint8Array(name.length + rest.length);
  bytes.set(name);
  bytes.set(rest, name.length);
  return bytes;
}
