// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// First visits of the page in headless Chromium, each in a fresh browser
// context (empty cache, no service worker): the time from navigation start to
// the result of an address's fragment in #Label2, and the bytes transferred,
// compressed, the service worker's precaching included; beside them, a blank
// page's time in the same conditions, as the machine's floor.
//   node page_load.mjs <site dir> <folder of the browser suite, with node_modules> [loads]
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [site, suiteDir, loads = '20'] = process.argv.slice(2);
const { launch, serve } = await import(pathToFileURL(resolve(suiteDir, 'harness.mjs')));
const serveScript = fileURLToPath(new URL('../../../scripts/lib/serve-web.py', import.meta.url));
const server = await serve(resolve(site), serveScript);
const browser = await launch();

// Service workers start paused under this session, so their fetches are seen
// from the first one.
const transfers = new Map();
const watch = async session => {
  session.on('Network.loadingFinished', e => transfers.set(session.id() + e.requestId, e.encodedDataLength));
  session.on('Network.requestWillBeSent', e => transfers.set(`${session.id()}${e.requestId}:url`, e.request.url));
  await session.send('Network.enable');
};
const root = await browser.target().createCDPSession();
root.on('Target.attachedToTarget', async ({ sessionId }) => {
  const session = root.connection().session(sessionId);
  await watch(session).catch(() => {});
  await session.send('Runtime.runIfWaitingForDebugger').catch(() => {});
});
await root.send('Target.setAutoAttach', { autoAttach: true, waitForDebuggerOnStart: true, flatten: true,
  filter: [{ type: 'service_worker' }, { type: 'page', exclude: true }, { type: 'tab', exclude: true }] });

// One fresh first visit: ms from navigation start to 888 in #Label2, and the
// bytes transferred once the service worker (if any) has precached the site.
async function visit(url, worker) {
  transfers.clear();
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await watch(await page.createCDPSession());
  await page.evaluateOnNewDocument(() => {
    window.firstResult = new Promise(done => new MutationObserver((_, observer) => {
      if (document.getElementById('Label2')?.textContent.trim() === '888') {
        done(performance.now());
        observer.disconnect();
      }
    }).observe(document, { childList: true, characterData: true, subtree: true }));
  });
  await page.goto(url);
  const time = await page.evaluate(() => window.firstResult);
  if (worker) await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await new Promise(r => setTimeout(r, 300));
  const bytes = [...transfers].filter(([k]) => !k.endsWith(':url'));
  const files = bytes.map(([k, n]) => `${n.toString().padStart(8)}  ${transfers.get(`${k}:url`)}`);
  await context.close();
  return { time, size: bytes.reduce((sum, [, n]) => sum + n, 0), files };
}

// The same conditions' floor: a page that is nothing but the result.
const blankDir = mkdtempSync(join(tmpdir(), 'psifonomoi-blank-'));
writeFileSync(join(blankDir, 'index.html'), '<!doctype html><html lang="el"><title>888</title><p id="Label2">888</p>');
const blankServer = await serve(blankDir, serveScript);

const runs = [], blanks = [];
for (let i = 0; i < Number(loads); i++) {
  runs.push(await visit(`${server.url}#s=classical&t=${encodeURIComponent('Ιησούς')}`, true));
  blanks.push((await visit(blankServer.url, false)).time);
}
await browser.close();
server.stop();
blankServer.stop();
rmSync(blankDir, { recursive: true });

const median = a => [...a].sort((x, y) => x - y)[a.length >> 1];
const times = runs.map(r => r.time), sizes = runs.map(r => r.size);
console.log(runs[0].files.join('\n'));
console.log(`First result (888 from the fragment), ms from navigation start: median ${median(times).toFixed(1)}`
  + ` (min ${Math.min(...times).toFixed(1)}, max ${Math.max(...times).toFixed(1)}; ${times.length} fresh loads; goal ≤ 150);`
  + ` a blank page with only the result: median ${median(blanks).toFixed(1)}`);
console.log(`Transferred on a first visit, compressed, service worker included: median ${(median(sizes) / 1024).toFixed(1)} KB`
  + ` (${median(sizes)} bytes; goal ≤ 64 KB)`);
