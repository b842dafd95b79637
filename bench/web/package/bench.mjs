// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Words per second of the npm package's wordValue, called once per word of a
// word list, against a plain JavaScript table look-up and against the
// command line valuing the same list.
//   node bench.mjs PSIFONOMOI_JS PSIFONOMOI_CLI [WORD_LIST] [ROUNDS=9]
// The list is Debian's Greek hunspell dictionary (ISO-8859-7, affix flags
// after a slash) when present, else 800,000 generated Greek words.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, openSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [moduleFile, cli, listFile = '/usr/share/hunspell/el_GR.dic', roundsArg = '9'] = process.argv.slice(2);
if (!moduleFile || !cli) throw new Error('usage: node bench.mjs PSIFONOMOI_JS PSIFONOMOI_CLI [WORD_LIST] [ROUNDS]');
const rounds = Number(roundsArg);
const { wordValue } = await import(pathToFileURL(resolve(moduleFile)));

function hunspellWords(file) {
  const lines = new TextDecoder('iso-8859-7').decode(readFileSync(file)).split('\n');
  return lines.slice(1).map((line) => line.split('/')[0].trim()).filter(Boolean);
}

// A fixed pseudo-random sequence, so that every run values the same words.
function generatedWords(count) {
  const letters = 'αβγδεζηθικλμνξοπρστυφχψωάέήίόύώϊϋΐΰς';
  let seed = 12345;
  const next = (n) => ((seed = (seed * 1103515245 + 12345) >>> 0) >>> 8) % n;
  return Array.from({ length: count }, () =>
    Array.from({ length: 3 + next(10) }, () => letters[next(letters.length)]).join(''));
}

const source = existsSync(listFile) ? listFile : '800,000 generated words';
const words = existsSync(listFile) ? hunspellWords(listFile) : generatedWords(800_000);

// The baseline: one array of every UTF-16 code unit's classical value up to
// the last letter (taken from the package once), summed word by word.
const table = new Int16Array(0x2200);
for (let c = 0; c < table.length; ++c) table[c] = wordValue(String.fromCharCode(c)).value;
function tableValue(word) {
  let sum = 0;
  for (let i = 0; i < word.length; ++i) {
    const c = word.charCodeAt(i);
    if (c < table.length) sum += table[c];
  }
  return sum;
}

// The median of the rounds' seconds, after one round to warm up.
function median(run) {
  run();
  const seconds = [];
  for (let r = 0; r < rounds; ++r) {
    const start = process.hrtime.bigint();
    run();
    seconds.push(Number(process.hrtime.bigint() - start) / 1e9);
  }
  return seconds.sort((a, b) => a - b)[Math.floor(rounds / 2)];
}

let total = 0;
const packageSeconds = median(() => {
  total = 0;
  for (const word of words) total += wordValue(word).value;
});
let baselineTotal = 0;
const baselineSeconds = median(() => {
  baselineTotal = 0;
  for (const word of words) baselineTotal += tableValue(word);
});
if (baselineTotal !== total) throw new Error(`the baseline gives ${baselineTotal}, the package ${total}`);

const dir = mkdtempSync(join(tmpdir(), 'psifonomoi-bench-'));
const listPath = join(dir, 'words.txt');
writeFileSync(listPath, words.join('\n') + '\n');
const cliSeconds = median(() => {
  const run = spawnSync(cli, [], { stdio: [openSync(listPath, 'r'), 'ignore', 'inherit'] });
  if (run.status !== 0) throw new Error(`${cli} exited with ${run.status ?? run.signal}`);
});
rmSync(dir, { recursive: true, force: true });

const rate = (seconds) => Math.round(words.length / seconds).toLocaleString('en');
console.log(`Node ${process.version}, ${words.length.toLocaleString('en')} words (${source}), median of ${rounds}`);
console.log(`package wordValue:     ${rate(packageSeconds)} words/s`);
console.log(`JavaScript table:      ${rate(baselineSeconds)} words/s (package / table ${(baselineSeconds / packageSeconds).toFixed(2)})`);
console.log(`psifonomoi-cli:        ${rate(cliSeconds)} words/s (package / command line ${(cliSeconds / packageSeconds).toFixed(2)})`);
