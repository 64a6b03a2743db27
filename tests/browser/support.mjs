// Shared by the browser tests: the built programs, scratch folders, the
// trace's step sections and a Chromium of the system's own.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before } from 'node:test';
import { chromium } from 'playwright-core';

import { makePage, readTrace } from '../page/support.mjs';

export { buildDir, makePage, readTrace, run, runInstanceText, scratchFolder, sourceDir } from '../page/support.mjs';

// For a test file: before its tests, a browser and the ft06 page made by the
// built programs, with its trace's steps read and its data parsed; after
// them, the browser closed and the page's folder and those a test adds to
// `folders` removed.
export function withFt06() {
  const fixture = { folders: [] };
  before(async () => {
    const ft06 = makePage('examples/ft06/input.txt', 'ft06');
    fixture.folders.push(ft06.folder);
    Object.assign(fixture, { ft06, trace: readTrace(ft06.trace), data: JSON.parse(fs.readFileSync(ft06.data, 'utf8')) });
    fixture.browser = await openBrowser();
  });
  after(async () => {
    await fixture.browser?.close();
    for (const folder of fixture.folders) fs.rmSync(folder, { recursive: true, force: true });
  });
  return fixture;
}

// Debian's chromium, never a downloaded browser, in a fresh profile, with
// its own network traffic switched off (and `extraArgs`, for benchmarks).
export async function openBrowser(extraArgs = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'replay-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', ...extraArgs],
    viewport: { width: 1280, height: 900 },
    acceptDownloads: true,
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A page that records every request and every console error or uncaught
// exception, for the test to check at its end.
export async function watchedPage(context) {
  const page = await context.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (r) => requests.push(r.url()));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  return { page, requests, errors };
}

export const stepOf = (page) => page.evaluate(() => Number(document.body.dataset.step));

// Moves the mouse across the chart, row by row, as a reader's pointer
// would, and returns the tooltip's texts met on the way.
export async function hoverChart(page) {
  await page.locator('#gantt').scrollIntoViewIfNeeded();
  const box = await page.locator('#gantt').boundingBox();
  const tips = new Set();
  for (let y = box.y + 5; y < box.y + box.height; y += 13) {
    for (let x = box.x + 5; x < box.x + box.width; x += 40) {
      await page.mouse.move(x, y);
      if (await page.isVisible('#tooltip')) tips.add(await page.textContent('#tooltip'));
    }
  }
  await page.mouse.move(0, 0);
  return [...tips];
}
