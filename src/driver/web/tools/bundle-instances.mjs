// Writes the instances bundled with the web page, as JSON for its data
// element: every instance file of a folder with at most LIMIT jobs and LIMIT
// machines, each as [name, jobs, machines, code] (instance-code.js), sorted
// by family and number.
//   node bundle-instances.mjs OUTPUT FOLDER LIMIT
// The files are the program's input files as jobshop-convert writes them;
// one whose text is not exactly what programText writes back from its code
// stops the build, so the page always offers the bundled file byte for byte.
import fs from 'node:fs';
import path from 'node:path';
import { decodeInstance, encodeInstance, programText } from '../js/instance-code.js';

const [output, folder, limitText] = process.argv.slice(2);
const limit = Number(limitText);

// The program's format as the bundled files hold it: whitespace-separated
// tokens, the name, the counts, then the pairs.
function readInstance(bytes, file) {
  const text = new TextDecoder('latin1').decode(bytes);
  const tokens = text.split(/\s+/).filter((t) => t !== '');
  const name = Uint8Array.from(tokens[0], (c) => c.charCodeAt(0));
  const numbers = tokens.slice(1).map(Number);
  if (!numbers.every(Number.isInteger)) throw new Error(`${file}: not the program's format`);
  const [jobs, machines] = numbers;
  const ops = Int32Array.from(numbers.slice(2));
  if (ops.length !== 2 * jobs * machines) throw new Error(`${file}: not the program's format`);
  return { name, jobs, machines, ops };
}

const familyOrder = (name) => {
  const m = /^([a-z]+)(\d*)$/.exec(name);
  return m ? [m[1], Number(m[2])] : [name, 0];
};

const bundled = [];
for (const entry of fs.readdirSync(folder).filter((f) => f.endsWith('.txt')).sort()) {
  const file = path.join(folder, entry);
  const bytes = fs.readFileSync(file);
  let instance;
  try {
    instance = readInstance(bytes, file);
  } catch (e) {
    continue; // not an instance file (a note, say)
  }
  if (instance.jobs > limit || instance.machines > limit) continue;
  const code = encodeInstance(instance);
  if (!Buffer.from(programText(decodeInstance(code))).equals(bytes)) {
    throw new Error(`${file} is not written as the program writes instances; its code would not give it back`);
  }
  const name = new TextDecoder('latin1').decode(instance.name);
  bundled.push({ name, jobs: instance.jobs, machines: instance.machines, code });
}
bundled.sort((a, b) => {
  const [fa, na] = familyOrder(a.name), [fb, nb] = familyOrder(b.name);
  return fa < fb ? -1 : fa > fb ? 1 : na - nb;
});

// JSON for the page's data element: one instance a line, nothing that
// could end the element early (names and codes are letters, digits, - and _).
for (const b of bundled) {
  if (!/^[A-Za-z0-9_.-]+$/.test(b.name)) throw new Error(`${b.name}: a name the page's data element cannot hold as it is`);
}
const lines = bundled.map((b) => JSON.stringify([b.name, b.jobs, b.machines, b.code]));
fs.writeFileSync(output, `[\n${lines.join(',\n')}\n]\n`);
