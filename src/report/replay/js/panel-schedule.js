// Which panels render a step, and when: a panel off the screen waits and
// catches up when it comes near, when something in it gets the focus or a
// pointer, is scrolled, or before the page is printed; in practice the
// panels that show the step's answers are left alone; a search iteration
// goes to the panels of its phase. See app.js for what a panel is.

export function createPanelSchedule(signal) {
  let panels = [], answerPanels = new Set(), practising = false;
  // The view shown; which panels' elements are on or near the screen;
  // which panels have missed a step.
  let shown = null;
  const near = new Map(), missed = new Set();

  const renderNow = (list) => {
    for (const panel of list) panel.measure?.();
    // The chart (first in the list) goes first: setting a canvas font needs
    // the document's style, which is still clean before anything else changes.
    for (const panel of list) panel.render(shown);
  };
  // A panel's phase: "insertion" (the default), "search" or "both".
  const showsPhase = (panel) => (panel.phase || "insertion") === "both" || (panel.phase || "insertion") === phase;
  let phase = "insertion";
  const active = () => panels.filter((panel) => showsPhase(panel) && !(practising && answerPanels.has(panel)));
  const catchUp = (wanted) => {
    const late = active().filter((panel) => missed.has(panel) && wanted(panel));
    for (const panel of late) missed.delete(panel);
    if (late.length > 0) renderNow(late);
  };
  // Until the observer first reports (after the first frame), the layout
  // says: the first step lays the page out anyway, to fit the chart.
  const isNear = (element) => {
    if (!near.has(element)) {
      const box = element.getBoundingClientRect(), margin = innerHeight / 4;
      near.set(element, box.height > 0 && box.bottom >= -margin && box.top <= innerHeight + margin);
    }
    return near.get(element);
  };
  const watcher = new IntersectionObserver((entries) => {
    for (const entry of entries) near.set(entry.target, entry.isIntersecting);
    catchUp((panel) => near.get(panel.element));
  }, { rootMargin: "25% 0px" });
  signal.addEventListener("abort", () => watcher.disconnect());
  window.addEventListener("beforeprint", () => catchUp(() => true), { signal });
  // A control reached before the observer's report (a key, a screen
  // reader's click, a script's, a scroll of its box) acts on the step
  // shown. The pointer's arrival counts, so that what the step moves in the
  // panel has moved before the press, not between the press and the release.
  for (const type of ["focusin", "pointerover", "pointerdown", "scroll"]) {
    document.addEventListener(type, (e) => catchUp((panel) => panel.element?.contains(e.target)), { signal, capture: true });
  }

  return {
    // The page's panels, and those of them that show the step's answers.
    set(list, answers) {
      panels = list;
      answerPanels = answers;
      for (const panel of panels) if (panel.element) watcher.observe(panel.element);
    },
    get panels() { return panels; },
    set practising(on) { practising = on; },
    // Renders `view` in the panels near the screen (all with `again`); the
    // others render it when they come near.
    show(view, again) {
      shown = view;
      phase = view.search ? "search" : "insertion";
      const now = active().filter((panel) => again || !panel.element || isNear(panel.element));
      for (const panel of panels) if (now.includes(panel)) missed.delete(panel); else missed.add(panel);
      renderNow(now);
    },
  };
}
