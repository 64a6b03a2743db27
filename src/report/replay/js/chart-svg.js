// A chart scene (chart-scene.js), or another scene of the same items and
// paths (search-scene.js's plot), as a standalone SVG document. No DOM.

const esc = (s) => String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");

// The hatch of a job as an 8 x 8 SVG pattern tile's marks.
function hatchMarks(hatch) {
  let marks = "";
  if (hatch === "diag" || hatch === "cross") marks += "<path d=\"M0 8L8 0\" stroke=\"#000\" stroke-opacity=\"0.55\"/>";
  if (hatch === "cross") marks += "<path d=\"M0 0L8 8\" stroke=\"#000\" stroke-opacity=\"0.55\"/>";
  if (hatch === "dots") marks += "<rect x=\"1\" y=\"1\" width=\"2\" height=\"2\" fill-opacity=\"0.55\"/><rect x=\"5\" y=\"5\" width=\"2\" height=\"2\" fill-opacity=\"0.55\"/>";
  return marks;
}

export function sceneToSvg(sc) {
  const n = (x) => Math.round(x * 100) / 100;
  const defs = [];
  const used = new Set();
  const body = [];
  for (const it of sc.items) {
    const op = it.opacity !== undefined && it.opacity !== 1 ? " opacity=\"" + it.opacity + "\"" : "";
    const dash = it.dash ? " stroke-dasharray=\"" + it.dash + "\"" : "";
    if (it.t === "rect") {
      let fill = it.fill;
      if (it.hatch && it.hatch !== "none") {
        const id = "h" + it.fill.slice(1) + it.hatch;
        if (!used.has(id)) {
          used.add(id);
          defs.push("<pattern id=\"" + id + "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\"><rect width=\"8\" height=\"8\" fill=\"" + it.fill + "\"/>" + hatchMarks(it.hatch) + "</pattern>");
        }
        fill = "url(#" + id + ")";
      }
      const stroke = it.stroke ? " stroke=\"" + it.stroke + "\" stroke-width=\"" + it.sw + "\"" : "";
      body.push("<rect x=\"" + n(it.x) + "\" y=\"" + n(it.y) + "\" width=\"" + n(it.w) + "\" height=\"" + n(it.h) + "\" fill=\"" + fill + "\"" + stroke + dash + op + "/>");
    } else if (it.t === "path") {
      body.push("<path d=\"" + it.d + "\" fill=\"none\" stroke=\"" + it.stroke + "\" stroke-width=\"" + it.sw + "\"" + dash + "/>");
    } else if (it.t === "line") {
      body.push("<line x1=\"" + n(it.x1) + "\" y1=\"" + n(it.y1) + "\" x2=\"" + n(it.x2) + "\" y2=\"" + n(it.y2) + "\" stroke=\"" + it.stroke + "\" stroke-width=\"" + it.sw + "\"" + dash + "/>");
    } else {
      body.push("<text x=\"" + n(it.x) + "\" y=\"" + n(it.y) + "\" font-size=\"" + it.size + "\" text-anchor=\"" + it.anchor + "\" fill=\"" + it.fill + "\"" +
        (it.weight ? " font-weight=\"" + it.weight + "\"" : "") + op + ">" + esc(it.s) + "</text>");
    }
  }
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + sc.W + "\" height=\"" + sc.H + "\" viewBox=\"0 0 " + sc.W + " " + sc.H +
    "\" font-family=\"system-ui, sans-serif\"><defs>" + defs.join("") + "</defs>" + body.join("") + "</svg>";
}
