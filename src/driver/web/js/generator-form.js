// The generator's fields as the page reads them: the same choices as
// jobshop-generate's options (--jobs, --machines, --times LO-HI, and
// --seed S or --taillard TIME_SEED MACHINE_SEED). No DOM.

import { MAX_CODE_OPERATIONS } from "./instance-code.js";

const SEED_LIMIT = 2 ** 31 - 1; // seeds lie in 1 ... SEED_LIMIT - 1
// The page runs at most this many operations (jobshop-generate makes up to
// 2^24, which only the programs can take).
const MAX_OPERATIONS = MAX_CODE_OPERATIONS;
const INT32_MAX = 2 ** 31 - 1;

const whole = (text) => (/^\s*\d+\s*$/.test(text) ? Number(text) : NaN);

// { jobs, machines, times, seed } (the fields' texts) read as
//   { ok: true, jobs, machines, low, high, classSeed } or
//   { ok: true, jobs, machines, low, high, timeSeed, machineSeed }
// with classSeed null when the seed is left empty (to be drawn), or
//   { ok: false, field, key } naming the field and the message's key.
export function readGeneratorFields(fields) {
  const fail = (field, key) => ({ ok: false, field, key });
  const jobs = whole(fields.jobs), machines = whole(fields.machines);
  if (!(jobs >= 1 && jobs <= INT32_MAX)) return fail("jobs", "web.gen.bad-count");
  if (!(machines >= 1 && machines <= INT32_MAX)) return fail("machines", "web.gen.bad-count");
  if (jobs * machines > MAX_OPERATIONS) return fail("machines", "web.gen.too-many");
  const times = /^\s*(\d+)\s*-\s*(\d+)\s*$/.exec(fields.times);
  const low = times ? Number(times[1]) : NaN, high = times ? Number(times[2]) : NaN;
  if (!(low >= 1 && low <= high && high <= INT32_MAX)) return fail("times", "web.gen.bad-times");
  const seeds = fields.seed.trim() === "" ? [] : fields.seed.trim().split(/\s+/).map(whole);
  if (seeds.length > 2 || !seeds.every((s) => s >= 1 && s < SEED_LIMIT)) {
    return fail("seed", "web.gen.bad-seed");
  }
  const size = { ok: true, jobs, machines, low, high };
  if (seeds.length === 2) return { ...size, timeSeed: seeds[0], machineSeed: seeds[1] };
  return { ...size, classSeed: seeds.length ? seeds[0] : null };
}

// A seed drawn from `randomUint32` (a function giving a random 32-bit
// unsigned integer), uniform enough in 1 ... SEED_LIMIT - 1.
export function drawSeed(randomUint32) {
  return 1 + (randomUint32() % (SEED_LIMIT - 1));
}
