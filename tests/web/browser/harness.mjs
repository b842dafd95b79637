// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the browser suite and the page-load bench share: the site served on
// 127.0.0.1 by scripts/lib/serve-web.py, and Debian's Chromium under
// puppeteer-core with a profile of its own.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import puppeteer from 'puppeteer-core';

export { puppeteer };

// Without the background-networking flags Chromium keeps trying services that
// a closed network refuses; --no-sandbox because the tests may run as root.
export const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Starts the server on a free port; resolves once it prints its address.
export function serve(siteDir, script) {
  const child = spawn(process.env.PYTHON || 'python3', [script, siteDir, '--port', '0'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const stop = () => child.exitCode === null && child.kill();
  process.once('exit', stop);
  return new Promise((resolve, reject) => {
    child.once('exit', code => reject(new Error(`serve-web.py ended (${code}) before printing its address`)));
    createInterface({ input: child.stdout }).once('line', line => {
      const url = line.trim();
      if (!/^http:\/\/127\.0\.0\.1:\d+\/$/.test(url)) reject(new Error(`serve-web.py printed "${url}"`));
      resolve({ url, origin: new URL(url).origin, stop });
    });
  });
}

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'psifonomoi-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true, userDataDir: profile, args: chromiumFlags,
  });
  const remove = () => rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    remove();
  };
  // A run that ends early leaves no profile behind either.
  process.once('exit', () => { try { remove(); } catch { /* Chromium still writing */ } });
  return browser;
}
