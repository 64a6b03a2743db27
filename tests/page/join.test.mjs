// The build's join of a page (cmake/JoinPage.cmake): modules keep their
// private names apart and see what they import; anything it cannot join
// faithfully stops the build with a message that names it.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import vm from 'node:vm';
import { scratchFolder, sourceDir } from './support.mjs';

const cmake = process.env.JOBSHOP_CMAKE || 'cmake';
const shell = '<html>\n<style>\n<!--#include style.css-->\n</style>\n<script>\n<!--#modules-->\n</script>\n</html>\n';

// Joins `modules` ({ name: text }, in that order) with the shell above;
// returns cmake's result and the page.
function join(modules) {
  const folder = scratchFolder();
  try {
    fs.writeFileSync(path.join(folder, 'page.html'), shell);
    fs.writeFileSync(path.join(folder, 'style.css'), 'p { color: red; }\n');
    fs.mkdirSync(path.join(folder, 'js'));
    for (const [name, text] of Object.entries(modules)) fs.writeFileSync(path.join(folder, 'js', name), text);
    const list = Object.keys(modules).map((name) => path.join(folder, 'js', name)).join('|');
    const output = path.join(folder, 'out.html');
    const result = spawnSync(cmake, [`-DSHELL=${path.join(folder, 'page.html')}`, `-DMODULES=${list}`, `-DOUTPUT=${output}`,
      '-P', path.join(sourceDir, 'cmake/JoinPage.cmake')], { encoding: 'utf8' });
    return { status: result.status, stderr: result.stderr, page: fs.existsSync(output) ? fs.readFileSync(output, 'utf8') : null };
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

test('joined modules keep private names apart and see their imports', () => {
  const { status, stderr, page } = join({
    'a.js': 'const secret = "a";\nexport const A = "A";\n// zażółć\nexport function greet(x) { return secret + x + "ń–▼"; }\n',
    'b.js': 'import { A, greet as hello } from "./a.js";\nconst secret = "b";\nexport class B { get v() { return hello(A) + secret; } }\n',
    'main.js': 'import * as a from "./a.js";\nimport { B } from "./b.js";\nconst secret = "m";\nout.push(new B().v, a.greet(secret), typeof greet);\n',
  });
  assert.equal(status, 0, stderr);
  assert.ok(page.includes('p { color: red; }'), 'the style is included');
  assert.match(page, /^[\x00-\x7f]*$/, 'the page is ASCII');
  const script = /<script>\n([\s\S]*)\n<\/script>/.exec(page)[1];
  const out = [];
  vm.runInNewContext(script, { out });
  assert.deepEqual(out, ['aAń–▼b', 'amń–▼', 'undefined']);
});

test('what the join cannot do faithfully stops the build', () => {
  const cases = [
    [{ 'b.js': 'import { A } from "./a.js";\n', 'a.js': 'export const A = 1;\n' }, /b\.js imports \.\/a\.js, which is not listed before it/],
    [{ 'a.js': 'export const A = 1;\n', 'b.js': 'import { C } from "./a.js";\n' }, /b\.js imports C from \.\/a\.js, which does not export it/],
    [{ 'a.js': 'export let counter = 0;\n' }, /unsupported export "export let counter = 0;"/],
    [{ 'a.js': 'const A = 1;\nexport { A };\n' }, /unsupported export "export \{ A \};"/],
    [{ 'a.js': 'export default 1;\n' }, /unsupported export/],
    [{ 'a.js': 'export const A = 1;\n', 'b.js': 'import A from "./a.js";\n' }, /unsupported import "import A from/],
    [{ 'a.js': 'export const end = "</SCRIPT>";\n' }, /a\.js holds "<\/script"/],
    [{ 'a.js': 'export const face = "😀";\n' }, /a\.js holds "😀", which is not UTF-8 of a character up to U\+FFFF/],
  ];
  for (const [modules, message] of cases) {
    const { status, stderr } = join(modules);
    assert.notEqual(status, 0, Object.keys(modules).join(' '));
    assert.match(stderr.replace(/\s+/g, ' '), message);
  }
});
