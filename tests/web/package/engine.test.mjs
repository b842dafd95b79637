// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The engine compiled to WebAssembly and reached through psifonomoi.js (UTF-16)
// against the Linux command line (UTF-8) on the same lines: every letter of
// the fold table, alone and in words, in every system, with and without the
// iota adscript.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import test from 'node:test';

import { psifonomoi, required } from './support.mjs';

const cli = required('PSIFONOMOI_LINUX_CLI');
const table = readFileSync(join(required('PSIFONOMOI_SOURCE_DIR'), 'src/engine/FoldTable.inc'), 'utf8');

// Every code point with a sign index in the table's rows, and the ohm sign's kind.
const letters = [];
for (const [, start, row] of table.matchAll(/\/\* U\+([0-9A-F]+) \*\/ ([\d, ]+)/g))
  row.split(',').forEach((index, i) => Number(index) && letters.push(String.fromCodePoint(parseInt(start, 16) + i)));
for (const [, code] of table.matchAll(/\{0x([0-9A-F]+), \d+\}/g)) letters.push(String.fromCodePoint(parseInt(code, 16)));
const iotas = [...table.matchAll(/^ +0x([0-9A-F]+), \/\//gm)].map(([, code]) => String.fromCodePoint(parseInt(code, 16)));

// Words of up to seven letters, among other characters worth nothing.
const fillers = ['', ' ', '-', 'a', '7', '\u0301', '😀', 'Ϗ', iotas[0]];
const lines = [...letters, ...iotas];
for (let i = 0; i < letters.length; i += 3)
  lines.push(letters.slice(i, i + 7).join(fillers[i % fillers.length]) + iotas[i % iotas.length]);
lines.push('Ιησούς', 'ᾠδή ᾨΙΔΗ', 'abc 123', '');

test('the fold table yields letters and iota subscripts to check', () => {
  assert.ok(letters.length > 300 && iotas.length > 60, `${letters.length} letters, ${iotas.length} iotas`);
  assert.ok(letters.every((c) => psifonomoi.wordValue(c, 'milesian').value > 0));
});

for (const system of psifonomoi.systems) {
  for (const iotaAdscript of [false, true]) {
    test(`${lines.length} lines, ${system}${iotaAdscript ? ', iota adscript' : ''}: module = command line`, () => {
      assert.ok(existsSync(cli), `no command line at ${cli}: build the default preset first, or set PSIFONOMOI_LINUX_CLI`);
      const args = ['--system', system, ...(iotaAdscript ? ['--iota-adscript'] : [])];
      const run = spawnSync(cli, args, { input: lines.join('\n') + '\n', encoding: 'utf8' });
      assert.equal(run.status, 0, run.stderr);
      const rows = run.stdout.split('\n').slice(0, -1);
      assert.equal(rows.length, lines.length);
      lines.forEach((line, i) => {
        const [value, primary] = rows[i].split('\t').map(Number);
        assert.deepEqual(psifonomoi.wordValue(line, system, { iotaAdscript }), { value, primary }, `line ${i + 1}: ${line}`);
      });
    });
  }
}
