// An exercise in a page's address: "?practice&ask=links,uv&steps=3-6"
// opens practice mode asking those parts (ask.js) on those steps. The
// roster of jobshop-class links every variant this way. No DOM.

import { parseAsk } from "./ask.js";

const EXERCISE_KEYS = ["practice", "ask", "steps", "lang"];

// The query's parameters as they are written: [key, value] ("" for none).
// Commas stay as the roster writes them; a value escaped by the browser or
// a mail program (%2C) reads the same.
function queryParts(search) {
  return String(search || "").replace(/^\?/, "").split("&").filter((part) => part !== "").map((part) => {
    const at = part.indexOf("=");
    const key = at < 0 ? part : part.slice(0, at), value = at < 0 ? "" : part.slice(at + 1);
    let decoded = value;
    try {
      decoded = decodeURIComponent(value.replace(/\+/g, " "));
    } catch (e) {
      // Left as written: the words then name no part, which is told.
    }
    return [key, decoded, part];
  });
}

// What the address asks of a replay of `steps` steps:
//   practice   whether it opens practice mode
//   ask        the words asked, or null for the page's own choice
//   range      { from, to } of the exercise, or null for every step
//   problems   what the address gets wrong, as text keys and their values,
//              for the page to say; the part is then left to the page
export function readExercise(search, steps) {
  const exercise = { practice: false, ask: null, range: null, problems: [] };
  for (const [key, value] of queryParts(search)) {
    if (key === "practice") {
      exercise.practice = true;
    } else if (key === "ask") {
      const parsed = parseAsk(value);
      if (parsed.words) exercise.ask = parsed.words;
      else exercise.problems.push({ key: "practice.link.bad-ask", vars: { ask: value } });
    } else if (key === "steps") {
      const m = /^(\d{1,9})-(\d{1,9})$/.exec(value.trim());
      const from = m ? Number(m[1]) : 0, to = m ? Number(m[2]) : 0;
      if (from >= 1 && from <= to && to <= steps) exercise.range = { from, to };
      else exercise.problems.push({ key: "practice.link.bad-steps", vars: { steps: value, n: steps } });
    }
  }
  return exercise;
}

// The query of an exercise: `search` (the page's own query) without what
// an exercise says, then practice, the words, the steps (when a range is
// set) and the language (when given), as the roster writes them.
export function exerciseQuery(search, { ask, range, lang }) {
  const kept = queryParts(search).filter(([key]) => !EXERCISE_KEYS.includes(key)).map(([, , part]) => part);
  kept.push("practice", "ask=" + ask.join(","));
  if (range) kept.push("steps=" + range.from + "-" + range.to);
  if (lang) kept.push("lang=" + lang);
  return "?" + kept.join("&");
}

// `search` without what an exercise says (its language stays).
export function withoutExercise(search) {
  const kept = queryParts(search).filter(([key]) => key === "lang" || !EXERCISE_KEYS.includes(key)).map(([, , part]) => part);
  return kept.length > 0 ? "?" + kept.join("&") : "";
}

// Whether a link to this page reaches only this computer.
export const localOnly = (protocol) => protocol === "file:";
