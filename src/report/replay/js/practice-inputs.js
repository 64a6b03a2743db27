// The inputs of the cells practice asks for, and what scripts rely on: an
// input of a cell asked carries data-cell (its key, practice.js), and no
// other input does; after a check it carries data-verdict "ok" or "wrong",
// a wrong one aria-invalid (and the class "blank" when it is empty), and
// one whose derivation is shown aria-describedby naming the element of its
// derivation (data-derivation-of). Inputs are made once and reused from
// step to step, and an attribute is written only when it changes, so that a
// step lays out little.

function setAttr(el, name, value) {
  if (value === null) {
    if (el.hasAttribute(name)) el.removeAttribute(name);
  } else if (el.getAttribute(name) !== value) {
    el.setAttribute(name, value);
  }
}

// The id of the element that holds the derivation of cell `key`.
export const derivationId = (key) => "derivation-" + key.replace(/:/g, "-");

// `state` gives the step's typed answers and verdicts: answerOf(key) (a
// text), verdictOf(key) ("ok", "wrong" or undefined), explained(key)
// (whether its derivation is shown).
export function createCellInputs(state, inputMode) {
  const bound = new Map();  // key -> the input holding that cell now
  let generation = 0;       // of the latest rendering; an input bound in it has input.generation equal

  function mark(input, key) {
    const verdict = state.verdictOf(key) || null;
    setAttr(input, "data-verdict", verdict);
    setAttr(input, "aria-invalid", verdict === "wrong" ? "true" : null);
    setAttr(input, "aria-describedby", state.explained(key) ? derivationId(key) : null);
    const blank = verdict === "wrong" && !(state.answerOf(key) ?? "").trim();
    if (input.classList.contains("blank") !== blank) input.classList.toggle("blank", blank);
  }

  return {
    make() {
      const input = document.createElement("input");
      input.type = "text";
      input.inputMode = inputMode;
      input.autocomplete = "off";
      input.spellcheck = false;
      return input;
    },
    // Puts cell `key` into `input`, during a rendering.
    bind(input, key, label) {
      input.generation = generation;
      if (input.dataset.cell !== key) input.dataset.cell = key;
      setAttr(input, "aria-label", label);
      const answer = state.answerOf(key) ?? "";
      if (input.value !== answer) input.value = answer;
      mark(input, key);
      bound.set(key, input);
    },
    // Renders the cells whose keys pass `which` afresh (`fill` binds them):
    // afterwards an input that holds none of them carries no data-cell.
    render(which, fill) {
      ++generation;
      fill();
      for (const [key, input] of bound) {
        if (!which(key) || (input.generation === generation && input.dataset.cell === key)) continue;
        bound.delete(key);
        if (input.generation === generation) continue;
        delete input.dataset.cell;
        for (const name of ["data-verdict", "aria-invalid", "aria-describedby"]) setAttr(input, name, null);
        input.classList.remove("blank");
      }
    },
    // The marks of every cell shown, after a check.
    markAll() {
      for (const [key, input] of bound) mark(input, key);
    },
    mark,
    get: (key) => bound.get(key),
    has: (key) => bound.has(key),
  };
}
