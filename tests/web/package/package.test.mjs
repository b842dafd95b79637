// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The tarball that `npm pack` made, as a user gets it: installed into an empty
// folder with no network, then imported by name.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import test from 'node:test';

import { required } from './support.mjs';

test('the packed tarball installs offline and values Ιησούς', (t) => {
  const dir = mkdtempSync(join(tmpdir(), 'psifonomoi-npm-'));
  t.after(() => rmSync(dir, { recursive: true, force: true }));
  writeFileSync(join(dir, 'package.json'), '{ "name": "check", "private": true }\n');
  // A cache of its own: nothing fetched before can help.
  const env = { ...process.env, npm_config_cache: join(dir, '.npm') };
  execFileSync('npm', ['install', '--offline', '--no-audit', '--no-fund', required('PSIFONOMOI_NPM_TARBALL')],
    { cwd: dir, env, stdio: 'pipe' });

  const installed = join(dir, 'node_modules', 'psifonomoi');
  assert.deepEqual(readdirSync(installed).sort(),
    ['COPYING', 'README.md', 'package.json', 'psifonomoi.d.ts', 'psifonomoi.js', 'psifonomoi.wasm']);
  const { version, exports, dependencies } = JSON.parse(readFileSync(join(installed, 'package.json'), 'utf8'));
  assert.deepEqual([/^\d+\.\d+\.\d+$/.test(version), exports['.'].types, dependencies], [true, './psifonomoi.d.ts', undefined]);

  writeFileSync(join(dir, 'check.mjs'), "import { wordValue } from 'psifonomoi';\nconsole.log(JSON.stringify(wordValue('Ιησούς')));\n");
  const output = execFileSync(process.execPath, ['check.mjs'], { cwd: dir, encoding: 'utf8' });
  assert.deepEqual(JSON.parse(output), { value: 888, primary: 6 });
});
