// Makes docs/replay-ft06.png and docs/replay-graph-ft06.png, the README's
// pictures of the replay page and of its graph: the ft06 page made by the
// built programs, at step 21 (a tie between two positions), in Debian's
// chromium.   node tests/browser/screenshot.mjs
import fs from 'node:fs';
import path from 'node:path';
import { makePage, openBrowser, sourceDir } from './support.mjs';

const ft06 = makePage('examples/ft06/input.txt', 'ft06', { trace: false });
const browser = await openBrowser();
try {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1280, height: 1020 });
  await page.goto(`file://${ft06.page}#21`);
  await page.waitForFunction(() => document.body.dataset.step === '21');
  await page.screenshot({ path: path.join(sourceDir, 'docs/replay-ft06.png') });
  const graph = await page.$('#graph-panel');
  await graph.scrollIntoViewIfNeeded();
  await graph.screenshot({ path: path.join(sourceDir, 'docs/replay-graph-ft06.png') });
} finally {
  await browser.close();
  fs.rmSync(ft06.folder, { recursive: true, force: true });
}
