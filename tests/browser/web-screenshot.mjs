// Makes docs/web-ft06.png, the README's picture of the web edition: ft06
// picked from the bundled instances and run, at step 21, in Debian's
// chromium.   node tests/browser/web-screenshot.mjs
import path from 'node:path';
import { buildDir, openBrowser, sourceDir } from './support.mjs';

const browser = await openBrowser();
try {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 1280, height: 1100 });
  await page.goto(`file://${path.join(buildDir, 'jobshop-web.html')}`);
  await page.waitForFunction(() => document.body.dataset.state === 'idle');
  const ft06 = await page.$eval('#bundled', (s) => [...s.options].find((o) => o.dataset.name === 'ft06').value);
  await page.selectOption('#bundled', ft06);
  await page.waitForFunction(() => document.body.dataset.state === 'ready');
  await page.fill('#step-input', '21');
  await page.press('#step-input', 'Enter');
  await page.waitForFunction(() => document.body.dataset.step === '21');
  await page.evaluate(() => document.activeElement.blur());
  await page.screenshot({ path: path.join(sourceDir, 'docs/web-ft06.png') });
} finally {
  await browser.close();
}
