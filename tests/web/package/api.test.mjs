// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// psifonomoi.js's own contract: argument checks, UTF-16 as it comes (lone
// surrogates included), the buffer it reuses, exact 64-bit sums, and a module
// that needs nothing from its host.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import test from 'node:test';

import { moduleUrl, psifonomoi } from './support.mjs';

const { wordValue, primaryNumber, foldText, systems } = psifonomoi;

// The repeated digit sum worked on the decimal text, as a person would.
function digitRoot(n) {
  let digits = String(Math.abs(n));
  while (digits.length > 1) digits = String([...digits].reduce((sum, d) => sum + Number(d), 0));
  return Number(digits);
}

const typeErrors = [() => wordValue(42), () => wordValue(), () => wordValue(new String('α')), () => foldText(7),
  () => primaryNumber(1.5), () => primaryNumber(2 ** 53), () => primaryNumber('9'), () => primaryNumber(NaN)];
for (const call of typeErrors) test(`TypeError: ${call}`, () => assert.throws(call, TypeError));
for (const system of ['Classical', 'both', null])
  test(`wordValue('α', ${system}) throws a TypeError naming the systems`, () =>
    assert.throws(() => wordValue('α', system), { name: 'TypeError', message: /classical, positional, milesian/ }));

// [text, what it is worth: the same text without its surrogates]
const surrogates = [['\uD800', ''], ['α\uDC00β', 'αβ'], ['\uDFFF\uD800ω', 'ω'], ['ω\uD83D', 'ω'], ['😀ΑΩ', 'ΑΩ']];
for (const [text, letters] of surrogates)
  test(`surrogates are worth 0: ${JSON.stringify(text)}`, () => {
    for (const system of systems) assert.deepEqual(wordValue(text, system), wordValue(letters, system));
  });

const folds = [['ᾠδή', 'ΩΔΗ'], ['α\uD800β', 'Α\uD800Β'], ['\uDC00', '\uDC00'], ['😀ά ς', '😀Α Σ'], ['', ''],
  ['ἀβγ\uD800'.repeat(50_001), 'ΑΒΓ\uD800'.repeat(50_001)]];
for (const [text, folded] of folds)
  test(`foldText(${JSON.stringify(text.slice(0, 8))}), ${text.length} units`, () => assert.equal(foldText(text), folded));

for (const n of [0, 9, 10, 19, 888, -888, 2 ** 32 + 5, Number.MAX_SAFE_INTEGER, -Number.MAX_SAFE_INTEGER])
  test(`primaryNumber(${n})`, () => assert.equal(primaryNumber(n), digitRoot(n)));

test('a short text after a long one counts only itself', () => {
  assert.equal(wordValue('ω'.repeat(1000)).value, 800_000);
  assert.deepEqual([wordValue('α'), wordValue('')], [{ value: 1, primary: 1 }, { value: 0, primary: 0 }]);
});

test('sums past 2^32 stay exact, after the memory has grown', () => {
  const count = 6_000_000;
  assert.deepEqual(wordValue('ω'.repeat(count)), { value: 800 * count, primary: digitRoot(800 * count) });
  assert.equal(wordValue('ω'.repeat(count) + 'α', 'positional').value, 24 * count + 1);
});

test('the module imports nothing', async () => {
  const bytes = await readFile(new URL('./psifonomoi.wasm', moduleUrl));
  assert.deepEqual(WebAssembly.Module.imports(new WebAssembly.Module(bytes)), []);
});
