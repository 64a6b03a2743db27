// Draws one iteration of a jobshop-improve trace as an SVG picture: the
// schedule as a Gantt chart (start = R - p), the critical path through it,
// its blocks outlined, and the candidate moves with the one chosen.
//
//   node scripts/improve-picture.mjs TRACE ITERATION > picture.svg
//
// docs/improve-ft06.svg is `jobshop-improve ft06.txt --iterations 3 -o t.txt`
// drawn at iteration 2.
import { readFileSync } from "node:fs";

const [tracePath, wanted] = process.argv.slice(2);
const lines = readFileSync(tracePath, "utf8").split("\n");
const start = lines.findIndex((line) => line.startsWith(`Iteracja ${wanted}\t`));
if (start < 0) throw new Error(`no iteration ${wanted} in ${tracePath}`);
const end = lines.indexOf("*".repeat(58), start);
const section = lines.slice(start, end);
const cells = (line) => line.split("\t");

const cmax = Number(section[0].match(/Cmax = (\d+)/)[1]);
const ops = new Map();  // number -> {machine, p, R}
let at = section.indexOf("Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ") + 1;
for (; section[at] !== ""; ++at) {
  const [k, machine, p, , , , , R] = cells(section[at]).map(Number);
  ops.set(k, { machine, p, R });
}
const path = cells(section.find((line) => line.startsWith("Sciezka krytyczna:"))).slice(1).map(Number);
const blocks = [];
for (at = section.indexOf("Blok\tM\tOperacje") + 1; section[at] !== ""; ++at) {
  blocks.push(cells(section[at]).slice(2).map(Number));
}
const moves = [];
for (at = section.indexOf("Ruch\tBlok\tOszacowanie\tCmax\tStatus") + 1; section[at] !== ""; ++at) {
  moves.push(cells(section[at]));
}
const chosen = cells(section.find((line) => line.startsWith("Wybrany ruch:")))[1];
const machines = Math.max(...[...ops.values()].map((op) => op.machine));

const left = 40, top = 46, row = 34, bar = 24, chartWidth = 620;
const x = (t) => left + (t * chartWidth) / cmax;
const y = (machine) => top + (machine - 1) * row;
const onPath = new Set(path);
const out = [];
const escape = (content) =>
  String(content).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
const text = (tx, ty, content, attrs = "") =>
  out.push(`<text x="${tx}" y="${ty}" ${attrs}>${escape(content)}</text>`);

const height = Math.max(top + machines * row + 40, top + 24 + moves.length * 20 + 40);
out.push(`<svg xmlns="http://www.w3.org/2000/svg" width="${left + chartWidth + 330}" height="${height}" ` +
         `font-family="DejaVu Sans, sans-serif" font-size="12">`);
out.push(`<rect width="100%" height="100%" fill="white"/>`);
text(left, 22, section[0].replace(/\t/g, "  ·  "), 'font-size="14" font-weight="bold"');
for (let m = 1; m <= machines; ++m) text(8, y(m) + 16, `M${m}`);
for (const [k, op] of ops) {
  const x0 = x(op.R - op.p), x1 = x(op.R);
  const fill = onPath.has(k) ? "#f4a259" : "#dde3ea";
  out.push(`<rect x="${x0}" y="${y(op.machine)}" width="${x1 - x0}" height="${bar}" fill="${fill}" stroke="#555"/>`);
  text((x0 + x1) / 2, y(op.machine) + 16, k, 'text-anchor="middle"');
}
for (const block of blocks) {
  const first = ops.get(block[0]), last = ops.get(block[block.length - 1]);
  out.push(`<rect x="${x(first.R - first.p) - 3}" y="${y(first.machine) - 3}" ` +
           `width="${x(last.R) - x(first.R - first.p) + 6}" height="${bar + 6}" fill="none" ` +
           `stroke="#b23a48" stroke-width="2.5"/>`);
}
for (let i = 1; i < path.length; ++i) {
  const a = ops.get(path[i - 1]), b = ops.get(path[i]);
  if (a.machine === b.machine) continue;
  out.push(`<line x1="${x(a.R)}" y1="${y(a.machine) + bar / 2}" x2="${x(b.R - b.p)}" ` +
           `y2="${y(b.machine) + bar / 2}" stroke="#b23a48" stroke-width="1.5"/>`);
}
const axis = y(machines) + row + 6;
out.push(`<line x1="${x(0)}" y1="${axis}" x2="${x(cmax)}" y2="${axis}" stroke="#555"/>`);
text(x(0), axis + 14, "0", 'text-anchor="middle"');
text(x(cmax), axis + 14, `${cmax}`, 'text-anchor="middle"');

const tableX = left + chartWidth + 24;
text(tableX, top + 10, "Ruch     Oszac.   Cmax   Status",
     'font-family="DejaVu Sans Mono, monospace" xml:space="preserve" font-weight="bold"');
moves.forEach(([name, , bound, after, status], i) => {
  const bold = name === chosen ? 'font-weight="bold" fill="#b23a48"' : "";
  const line = `${name.padEnd(7)} ${bound.padStart(7)} ${after.padStart(6)}   ${status}`;
  text(tableX, top + 32 + i * 20, line, `font-family="DejaVu Sans Mono, monospace" xml:space="preserve" ${bold}`);
});
text(tableX, top + 40 + moves.length * 20, `Wybrany ruch: ${chosen}`, 'font-weight="bold" fill="#b23a48"');
out.push("</svg>");
console.log(out.join("\n"));
