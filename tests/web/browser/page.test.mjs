// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The built page in Chromium, one row per behaviour. The environment names the
// site (PSIFONOMOI_SITE_DIR), the version it must show (PSIFONOMOI_VERSION)
// and the source tree, for scripts/lib/serve-web.py (PSIFONOMOI_SOURCE_DIR).
import { after, test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { launch, serve } from './harness.mjs';

const { PSIFONOMOI_SITE_DIR: site, PSIFONOMOI_VERSION: version, PSIFONOMOI_SOURCE_DIR: source } = process.env;
const serveScript = join(source, 'scripts/lib/serve-web.py');
const axePath = createRequire(import.meta.url).resolve('axe-core');
const server = await serve(site, serveScript);
const offlineServer = await serve(site, serveScript);
const browser = await launch();
after(async () => { await browser.close(); server.stop(); offlineServer.stop(); });

// Every request of every target, service workers included, passes through
// here; `blocked` makes the matching ones fail.
const requested = [];
let blocked = null;
const root = await browser.target().createCDPSession();
root.on('Fetch.requestPaused', ({ requestId, request }) => {
  requested.push(request.url);
  const fail = blocked?.test(request.url);
  root.send(fail ? 'Fetch.failRequest' : 'Fetch.continueRequest',
    fail ? { requestId, errorReason: 'Failed' } : { requestId }).catch(() => {});
});
await root.send('Fetch.enable', {});

const context = await browser.createBrowserContext();
const digitRoot = n => (n > 9 ? digitRoot([...String(n)].reduce((a, d) => a + Number(d), 0)) : n);
const results = p => p.$$eval('#Label2, #Label4', els => els.map(e => e.textContent.trim()));
const announced = p => p.$eval('#Announcer', e => e.textContent.trim());
const dialogOpen = p => p.$eval('#AboutFrm', d => d.open);
const focused = p => p.evaluate(() => document.activeElement?.id);

// A new page whose uncaught errors and console errors are kept for the row;
// pages and contexts last one row.
let pages = [], contexts = [];
async function newContext() {
  const ctx = await browser.createBrowserContext();
  contexts.push(ctx);
  return ctx;
}
async function open({ hash = '', ctx = context, origin = server.url, setup, ready = true } = {}) {
  const page = await ctx.newPage();
  page.errors = [];
  page.consoleErrors = [];
  page.on('pageerror', e => page.errors.push(String(e)));
  page.on('console', m => m.type() === 'error' && page.consoleErrors.push(m.text()));
  pages.push(page);
  await setup?.(page);
  page.mainResponse = await page.goto(origin + hash);
  if (ready) await engineReady(page);
  return page;
}

// «Υπολογισμός» until it answers: then the engine is loaded, the handlers are
// in place and any fragment has been read.
function engineReady(page) {
  return page.waitForFunction(() => {
    document.getElementById('Button1').click();
    return document.getElementById('Announcer').textContent.trim() !== '';
  }, { polling: 100, timeout: 10000 });
}

async function expectResults(page, value, primary, what) {
  await page.waitForFunction((v, p) => document.getElementById('Label2').textContent.trim() === v
    && document.getElementById('Label4').textContent.trim() === p, { timeout: 2000 }, String(value), String(primary))
    .catch(async () => assert.fail(`${what}: ${JSON.stringify(await results(page))}, not ${value} and ${primary}`));
  const [caption, primaryCaption] = await page.$$eval('#Label1, #Label3', els => els.map(e => e.textContent.trim()));
  assert.ok(caption && primaryCaption);
  assert.equal(await announced(page), `${caption} ${value}, ${primaryCaption} ${primary}`, what);
}

const settle = ms => new Promise(r => setTimeout(r, ms));

function row(name, body, timeout = 30000) {
  test(name, { timeout }, async t => {
    try {
      await body(t);
      for (const p of pages) assert.deepEqual(p.errors, [], `uncaught errors in ${p.url()}`);
    } finally {
      await Promise.all(pages.map(p => p.close()));
      await Promise.all(contexts.map(c => c.close()));
      pages = [];
      contexts = [];
      blocked = null;
    }
  });
}

// Each step acts on the page and names the results it must show after (a
// step that must not recalculate names the previous ones).
const AGAPI = { classical: 93, positional: 28 };
const calculation = [
  ['Enter in the text field', p => p.type('#Edit1', 'ΑΓΑΠΗ').then(() => p.keyboard.press('Enter')), AGAPI.classical],
  ['choosing the positional system', p => p.click('#RadioButton2'), AGAPI.positional],
  ['editing alone', p => p.type('#Edit1', ' ΑΓΑΠΗ').then(() => settle(200)), AGAPI.positional],
  ['«Υπολογισμός»', p => p.click('#Button1'), 2 * AGAPI.positional],
  ['choosing the classical system', p => p.click('#RadioButton1'), 2 * AGAPI.classical],
];
row('calculation: Enter, the button and a change of system calculate; editing alone does not', async () => {
  const page = await open();
  for (const [what, act, value] of calculation) {
    await act(page);
    await expectResults(page, value, digitRoot(value), what);
  }
  assert.deepEqual(page.consoleErrors, []);
});

// A hash of one frame's pixels, and frame 0 cut from the strip as the page
// would draw it.
const pageHelpers = () => {
  window.framePixels = c => new Uint32Array(c.getContext('2d').getImageData(0, 0, c.width, c.height).data.buffer)
    .reduce((h, px) => Math.imul(h ^ px, 16777619), 2166136261);
  window.firstFrame = async c => {
    const strip = new Image();
    strip.src = 'signature.png';
    await strip.decode();
    const off = Object.assign(document.createElement('canvas'), { width: c.width, height: c.height });
    off.getContext('2d').drawImage(strip, 0, 0, c.width, c.height, 0, 0, c.width, c.height);
    return framePixels(off);
  };
};

row('about box: version, animation from frame 0 at each opening, Escape and «Εντάξει» close it', async t => {
  const page = await open({ setup: p => p.evaluateOnNewDocument(pageHelpers) });
  await page.click('#Button2');
  assert.ok(await dialogOpen(page));
  assert.equal(await page.$eval('#HVersionLabel1', e => e.textContent.trim()), version);
  const frames = await page.evaluate(() => new Promise(done => {
    const canvas = document.getElementById('GRImg'), seen = new Set(), end = performance.now() + 2000;
    (function sample() {
      seen.add(framePixels(canvas));
      if (performance.now() < end) setTimeout(sample, 20); else done(seen.size);
    })();
  }));
  t.diagnostic(`${frames} distinct frames in 2 s`);
  assert.ok(frames >= 17, `${frames} distinct frames in 2 s`);

  for (const [how, close] of [['Escape', p => p.keyboard.press('Escape')], ['«Εντάξει»', p => p.click('#AboutButton1')]]) {
    // Close away from frame 0, so that reopening must rewind.
    await page.waitForFunction(async () => framePixels(GRImg) !== await firstFrame(GRImg), { polling: 20 });
    await close(page);
    assert.equal(await dialogOpen(page), false, `${how} closes the box`);
    assert.equal(await focused(page), 'Button2', `the focus goes back after ${how}`);
    const stopped = await page.evaluate(async () => {
      const before = framePixels(GRImg);
      await new Promise(r => setTimeout(r, 200));
      return before === framePixels(GRImg);
    });
    assert.ok(stopped, `the animation stops after ${how}`);
    const rewound = await page.evaluate(async () => {
      const first = await firstFrame(GRImg);
      document.getElementById('Button2').click();
      return framePixels(GRImg) === first;
    });
    assert.ok(rewound, `reopening after ${how} shows frame 0 at once`);
  }
  assert.deepEqual(page.consoleErrors, []);
});

const encoded = t => encodeURIComponent(t);
row('fragment: a calculation is kept in the address and restored from it', async () => {
  const first = await open();
  await first.type('#Edit1', 'Ιησούς');
  await first.click('#RadioButton2');
  await expectResults(first, 87, 6, 'Ιησούς positional');
  const hash = await first.evaluate(() => location.hash);
  assert.equal(hash, `#s=positional&t=${encoded('Ιησούς')}`);

  const second = await open({ hash });
  assert.equal(await second.$eval('#Edit1', e => e.value), 'Ιησούς');
  assert.ok(await second.$eval('#RadioButton2', e => e.checked));
  await expectResults(second, 87, 6, 'opened from the fragment');
  await second.evaluate(t => { location.hash = `#s=classical&t=${t}`; }, encoded('Ιησούς'));
  await expectResults(second, 888, 6, 'a changed fragment');
  for (const p of [first, second]) assert.deepEqual(p.consoleErrors, []);
});

// Junk from a fixed seed, so that a failure can be repeated.
let seed = 26;
const junk = () => Array.from({ length: 40 }, () => String.fromCharCode(33 + ((seed = (seed * 48271) % 2147483647) % 94))).join('');
const badFragments = [
  ['malformed percent-encoding', `#s=classical&t=%CE%9${encoded('Ι')}%`],
  ['not UTF-8', '#s=classical&t=%C3%28'],
  ['an unknown system', `#s=octal&t=${encoded('Ιησούς')}`],
  ['an unknown key', `#s=classical&t=${encoded('Ιησούς')}&x=1`],
  ['over 65,536 characters', `#s=classical&t=${encoded('Ω'.repeat(70000))}`],
  ['junk', `#${junk()}`],
  ['more junk', `#s=${junk()}&t=${junk()}`],
];
for (const [what, hash] of badFragments) {
  row(`fragment: ${what} is ignored`, async () => {
    const page = await open({ hash });
    const state = await page.evaluate(() => [document.getElementById('Edit1').value,
      document.getElementById('RadioButton1').checked, document.getElementById('Label2').textContent.trim(),
      document.getElementById('Label4').textContent.trim()]);
    assert.deepEqual(state, ['', true, '0', '0']);
    assert.deepEqual(page.consoleErrors, []);
  });
}

row('offline: after one visit the page loads and calculates without the server', async () => {
  const page = await open({ ctx: await newContext(), origin: offlineServer.url });
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  offlineServer.stop();
  await page.setOfflineMode(true);
  await page.reload();
  await engineReady(page);
  assert.ok(await page.evaluate(() => navigator.serviceWorker.controller !== null));
  await page.type('#Edit1', 'ΑΓΑΠΗ');
  await page.keyboard.press('Enter');
  await expectResults(page, AGAPI.classical, digitRoot(AGAPI.classical), 'offline');
});

row('320 px: one column with no horizontal scrolling, a text field phones do not zoom', async () => {
  const page = await open({ setup: p => p.setViewport({ width: 320, height: 640 }) });
  const layout = p => p.evaluate(() => {
    const { scrollWidth, clientWidth } = document.documentElement;
    const box = document.getElementById('AboutFrm').getBoundingClientRect();
    return { scrolls: scrollWidth > clientWidth, boxFits: box.left >= 0 && box.right <= clientWidth,
      font: parseFloat(getComputedStyle(document.getElementById('Edit1')).fontSize) };
  });
  const closed = await layout(page);
  assert.equal(closed.scrolls, false, 'horizontal scroll');
  assert.ok(closed.font >= 16, `text field font ${closed.font}px`);
  await page.click('#Button2');
  assert.deepEqual(await layout(page), { scrolls: false, boxFits: true, font: closed.font }, 'about box open');
});

row('1 MB paste: valued in one go, the result shows within 1 s', async t => {
  const page = await open();
  const word = 'Ιησούς';
  await page.type('#Edit1', word);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('Label2').textContent.trim() !== '0');
  const wordValue = Number((await results(page))[0]);
  const copies = Math.ceil(500000 / [...word].length);
  const text = `${word} `.repeat(copies);
  assert.ok(Buffer.byteLength(text) > 1000000);
  // From the key reaching the page to the new value in #Label2, timed there.
  await page.evaluate(big => {
    const edit = document.getElementById('Edit1');
    edit.value = big;
    edit.dispatchEvent(new Event('input', { bubbles: true }));
    edit.focus();
    window.elapsed = new Promise(done => addEventListener('keydown', () => {
      const start = performance.now();
      new MutationObserver(() => done(performance.now() - start))
        .observe(document.getElementById('Label2'), { childList: true, characterData: true, subtree: true });
    }, { capture: true, once: true }));
  }, text);
  await page.keyboard.press('Enter');
  const elapsed = await page.evaluate(() => window.elapsed);
  const value = copies * wordValue;
  await expectResults(page, value, digitRoot(value), '1 MB');
  assert.equal(await page.evaluate(() => location.hash), '#s=classical', 'too long for the address');
  t.diagnostic(`1 MB valued and shown in ${Math.round(elapsed)} ms`);
  assert.ok(elapsed <= 1000, `${Math.round(elapsed)} ms`);
});

for (const [what, setup] of [
  ['WebAssembly is missing', p => p.evaluateOnNewDocument(() => { delete globalThis.WebAssembly; })],
  ['psifonomoi.wasm fails to load', () => { blocked = /\/psifonomoi\.wasm$/; }],
]) {
  row(`engine missing: ${what} → a Greek message in place of the results`, async () => {
    // A context of its own: a service worker's cache must not serve the module.
    const page = await open({ ctx: await newContext(), setup, ready: false });
    await page.waitForSelector('#Message', { visible: true, timeout: 10000 });
    const shown = await page.evaluate(() => ({
      message: document.getElementById('Message').textContent,
      role: document.getElementById('Message').getAttribute('role'),
      results: document.getElementById('GroupBox2').checkVisibility(),
    }));
    assert.match(shown.message, /[\u0370-\u03ff]{3}/);
    assert.deepEqual([shown.role, shown.results], ['alert', false]);
  });
}

// The tab stops from the focus as it stands (if any), each with whether it
// shows a focus ring, until the focus leaves the page or comes round again.
async function tabStops(page) {
  const stops = [];
  for (let i = 0; i < 20; i++) {
    const stop = await page.evaluate(() => {
      const e = document.activeElement, style = getComputedStyle(e);
      return { id: e.id || e.tagName, ring: e.matches(':focus-visible') && style.outlineStyle !== 'none'
        && parseFloat(style.outlineWidth) >= 2 };
    });
    if (stops.some(s => s.id === stop.id) || (stop.id === 'BODY' && stops.length)) break;
    if (stop.id !== 'BODY') stops.push(stop);
    await page.keyboard.press('Tab');
  }
  return stops;
}
row('keyboard: every tab stop shows the focus, on the page and in the about box', async () => {
  const page = await open();
  const main = await tabStops(page);
  assert.deepEqual(['Edit1', 'Button1', 'RadioButton1', 'Button2'].filter(id => !main.some(s => s.id === id)), []);
  await page.focus('#Button2');
  await page.keyboard.press('Enter');
  assert.ok(await dialogOpen(page));
  const about = await tabStops(page);
  assert.ok(about.some(s => s.id === 'AboutButton1'));
  for (const stop of [...main, ...about]) assert.ok(stop.ring, `no focus ring on ${stop.id}`);
});

row('without JavaScript: the <noscript> message shows', async () => {
  const page = await open({ setup: p => p.setJavaScriptEnabled(false), ready: false });
  const [visible, text] = await page.$eval('noscript', n => [n.checkVisibility(), n.textContent]);
  assert.ok(visible);
  assert.match(text, /[\u0370-\u03ff]{3}/);
});

row('axe-core: no violations, light and dark, about box closed and open', async () => {
  // axe arrives as an inline script, which the page's policy rightly refuses.
  const page = await open({ setup: p => p.setBypassCSP(true) });
  await page.addScriptTag({ path: axePath });
  for (const scheme of ['light', 'dark']) {
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    for (const about of [false, true]) {
      if (about !== await dialogOpen(page)) await page.click(about ? '#Button2' : '#AboutButton1');
      const violations = await page.evaluate(async () => (await axe.run()).violations
        .map(v => `${v.id}: ${v.nodes.map(n => n.target.join(' ')).join(', ')}`));
      assert.deepEqual(violations, [], `${scheme}, about box ${about ? 'open' : 'closed'}`);
    }
  }
}, 60000);

// Last: the requests of all the rows above.
row('nothing leaves the origin: the policy allows only itself, and every request went to it', async () => {
  const page = await open();
  const meta = await page.$eval('meta[http-equiv="Content-Security-Policy" i]', m => m.content).catch(() => null);
  const policies = [meta, page.mainResponse.headers()['content-security-policy']].filter(Boolean);
  assert.ok(policies.length > 0, 'no Content-Security-Policy');
  for (const policy of policies) {
    const directives = new Map(policy.split(';').map(d => d.trim().split(/\s+/)).filter(d => d[0])
      .map(([name, ...sources]) => [name.toLowerCase(), sources]));
    assert.deepEqual(directives.get('default-src'), ["'self'"], policy);
    for (const [name, sources] of directives) {
      const allowed = ["'self'", "'none'", ...(name === 'script-src' ? ["'wasm-unsafe-eval'"] : [])];
      assert.deepEqual(sources.filter(s => !allowed.includes(s)), [], `${name} in ${policy}`);
    }
  }
  const origins = new Set(requested.map(u => new URL(u).origin));
  assert.ok(requested.some(u => u.endsWith('/psifonomoi.wasm')) && requested.some(u => u.endsWith('/sw.js')));
  assert.deepEqual([...origins].filter(o => o !== server.origin && o !== offlineServer.origin), []);
});
