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
  let digits = String(n).replace('-', '');
  while (digits.length > 1) digits = String([...digits].reduce((sum, d) => sum + Number(d), 0));
  return Number(digits);
}

const typeErrors = [
  ['a number as text', () => wordValue(42)],
  ['no text', () => wordValue()],
  ['a String object', () => wordValue(new String('α'))],
  ['a system in capitals', () => wordValue('α', 'Classical')],
  ['the command line\'s "both"', () => wordValue('α', 'both')],
  ['null as system', () => wordValue('α', null)],
  ['folding a number', () => foldText(7)],
  ['a fraction', () => primaryNumber(1.5)],
  ['2^53', () => primaryNumber(2 ** 53)],
  ['a numeric string', () => primaryNumber('9')],
  ['NaN', () => primaryNumber(NaN)],
];
for (const [name, call] of typeErrors) test(`TypeError: ${name}`, () => assert.throws(call, TypeError));

test('a wrong system is named with the allowed ones', () => {
  assert.throws(() => wordValue('α', 'attic'), { message: /classical, positional, milesian.*attic/ });
  assert.ok(Object.isFrozen(systems));
});

// [text, the same text with every surrogate and non-letter removed]
const surrogates = [
  ['\uD800', ''],
  ['α\uDC00β', 'αβ'],
  ['\uDFFF\uD800ω', 'ω'],
  ['ω\uD83D', 'ω'],
  ['😀ΑΩ', 'ΑΩ'],
];
for (const [text, letters] of surrogates)
  test(`lone surrogates are worth 0: ${JSON.stringify(text)}`, () => {
    for (const system of systems) assert.deepEqual(wordValue(text, system), wordValue(letters, system));
  });

const folds = [
  ['ᾠδή', 'ΩΔΗ'],
  ['α\uD800β', 'Α\uD800Β'],
  ['\uDC00', '\uDC00'],
  ['😀ά ς', '😀Α Σ'],
  ['', ''],
];
for (const [text, folded] of folds)
  test(`foldText(${JSON.stringify(text)})`, () => assert.equal(foldText(text), folded));

test('foldText keeps the length of a long text, past its slices', () => {
  const text = 'ἀβγ\uD800'.repeat(50_001);
  const folded = foldText(text);
  assert.equal(folded.length, text.length);
  assert.equal(folded, 'ΑΒΓ\uD800'.repeat(50_001));
});

for (const n of [0, 1, 9, 10, 18, 19, 888, -888, 2 ** 32 + 5, Number.MAX_SAFE_INTEGER, -Number.MAX_SAFE_INTEGER])
  test(`primaryNumber(${n})`, () => assert.equal(primaryNumber(n), digitRoot(n)));

test('a short text after a long one counts only itself', () => {
  assert.equal(wordValue('ω'.repeat(1000)).value, 800_000);
  assert.deepEqual(wordValue('α'), { value: 1, primary: 1 });
  assert.deepEqual(wordValue(''), { value: 0, primary: 0 });
});

test('sums past 2^32 stay exact, after the memory has grown', () => {
  const count = 6_000_000;
  const text = 'ω'.repeat(count);
  assert.deepEqual(wordValue(text), { value: 800 * count, primary: digitRoot(800 * count) });
  assert.equal(wordValue(text + 'α', 'positional').value, 24 * count + 1);
});

test('the options follow the command line: only iotaAdscript counts', () => {
  assert.deepEqual(wordValue('ᾠδή', 'classical', null), wordValue('ᾠδή'));
  assert.equal(wordValue('ᾠδή', 'classical', { iotaAdscript: true }).value, wordValue('ΩΙΔΗ').value);
  assert.equal(wordValue('ᾠδή', 'positional', { iotaAdscript: true }).value, wordValue('ΩΙΔΗ', 'positional').value);
});

test('the module imports nothing', async () => {
  const bytes = await readFile(new URL('./psifonomoi.wasm', moduleUrl));
  assert.deepEqual(WebAssembly.Module.imports(new WebAssembly.Module(bytes)), []);
});
