// Going from step to step: the buttons, the slider, the typed step number,
// the keys and the address, which follows the step shown.

import { byId, setText } from "./dom.js";
import { numberMessage, readNumber } from "./explain.js";

// Steps that Page Up / Page Down and the double arrows move.
export const JUMP = 10;
// The step keys a scroll box with the focus keeps for itself, and how far
// Shift with Left/Right scrolls it.
const BOX_KEYS = new Set(["PageUp", "PageDown", "Home", "End"]);
const SIDEWAYS_PX = 40;

// `page` gives show(t), current() (the step shown, 0 before the first), the
// translator and the signal; `address` keeps the step ({ read, write(t) });
// `steps` is the number of places, `insertion` of them the insertion's
// steps (the places after them are a search's iterations). Returns {
// follow(t, evaluated), ask(home) }: follow puts step t into the controls
// once shown, ask goes to the step in the address, or to step `home` when
// it names none.
export function createNavigation(page, address, steps, insertion = steps) {
  const { show, current, signal } = page;
  const message = byId("nav-message"), stepInput = byId("step-input"), slider = byId("slider");
  message.textContent = "";
  for (const el of [slider, stepInput]) el.max = steps;
  byId("first").onclick = () => show(1);
  byId("back10").onclick = () => show(current() - JUMP);
  byId("back1").onclick = () => show(current() - 1);
  byId("fwd1").onclick = () => show(current() + 1);
  byId("fwd10").onclick = () => show(current() + JUMP);
  byId("last").onclick = () => show(steps);
  slider.oninput = (e) => show(Number(e.target.value));

  // A typed or linked number that names no step says so; the step shown
  // stays (on loading, `home`).
  const askStep = (asked, home = 1) => {
    if (asked?.n || !current()) show(asked?.n || home);
    const text = numberMessage(page.tr, asked, "explain.no-step", steps);
    if (!text) return;
    message.textContent = text;
    stepInput.value = current();
  };
  stepInput.onchange = (e) => askStep(readNumber(e.target.value, steps, e.target.validity.badInput));
  window.addEventListener("hashchange", () => askStep(readNumber(address.read(), steps)), { signal });

  // In a scroll box that has the focus, Page Up/Down and Home/End scroll it
  // when it scrolls up and down (as the Up and Down arrows do), and Shift
  // with Left/Right scrolls it sideways; Left/Right step everywhere.
  document.addEventListener("keydown", (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    const tag = e.target.tagName;
    // Keys typed into a field are the field's (the web edition's instance text too).
    if ((tag === "INPUT" && e.target.type !== "range") || tag === "SELECT" || tag === "TEXTAREA") return;
    const box = e.target.classList?.contains("scroll-box") ? e.target : null;
    if (box && BOX_KEYS.has(e.key) && box.scrollHeight > box.clientHeight) return;
    if (box && e.shiftKey && (e.key === "ArrowLeft" || e.key === "ArrowRight")) {
      box.scrollLeft += e.key === "ArrowLeft" ? -SIDEWAYS_PX : SIDEWAYS_PX;
      e.preventDefault();
      return;
    }
    const moves = { ArrowLeft: -1, ArrowRight: 1, PageUp: -JUMP, PageDown: JUMP };
    if (e.key in moves) show(current() + moves[e.key]);
    else if (e.key === "Home") show(1);
    else if (e.key === "End") show(steps);
    else return;
    e.preventDefault();
  }, { signal });

  // The address shows the step, but a held key must not rewrite it at every
  // step: the browser throttles (and drops) frequent history changes, and
  // each costs time. It follows once the steps pause.
  let addressTimer = 0;
  signal.addEventListener("abort", () => clearTimeout(addressTimer));

  return {
    // The fields show step t (again, whatever was typed); the rest follows
    // a step shown anew.
    follow(t, evaluated, anew) {
      if (message.textContent) message.textContent = "";
      slider.value = t;
      stepInput.value = t;
      if (!anew) return;
      setText(byId("step-of"), page.tr.t(t > insertion ? "nav.of-search" : evaluated ? "nav.of" : "nav.of-empty", { n: steps, i: t - insertion }));
      for (const id of ["first", "back10", "back1"]) byId(id).disabled = t === 1;
      for (const id of ["fwd1", "fwd10", "last"]) byId(id).disabled = t === steps;
      clearTimeout(addressTimer);
      addressTimer = setTimeout(() => address.write(t), 120);
    },
    ask: (home) => askStep(readNumber(address.read(), steps), home),
  };
}
