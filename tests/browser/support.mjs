// Shared by the browser tests: the built programs, scratch folders, the
// trace's step sections and a Chromium of the system's own.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export { buildDir, makePage, readTrace, run, runInstanceText, scratchFolder, sourceDir } from '../page/support.mjs';

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
