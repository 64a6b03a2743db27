// The web page's address: "#i=CODE" holds the instance (instance-code.js),
// and "&step=N" the step shown, so a link opens one exercise, at one step if
// it names one. A bare "#N", as the replay page writes it, names a step. No
// DOM.

// { code, step }: the code or null, the step's digits as the address has
// them or null. The digits stay text: a number too large for a JavaScript
// number would come back as "1e+23", and which number names a step is the
// replay's to say.
export function readAddress(hash) {
  const text = (hash || "").replace(/^#/, "");
  const bare = /^(\d+)$/.exec(text);
  if (bare) return { code: null, step: bare[1] };
  let code = null, step = null;
  for (const part of text.split("&")) {
    const [key, value = ""] = part.split("=", 2);
    if (key === "i" && value !== "") code = value;
    else if (key === "step" && /^\d+$/.test(value)) step = value;
  }
  return { code, step };
}

export function formatAddress({ code, step }) {
  const parts = [];
  if (code) parts.push("i=" + code);
  if (step) parts.push(code ? "step=" + step : String(step));
  return parts.length ? "#" + parts.join("&") : "";
}
