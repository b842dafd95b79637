// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the suites share: the built module, and where CTest says things are.
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

export function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run this suite through ctest in the web build`);
  return value;
}

export const siteDir = required('PSIFONOMOI_SITE_DIR');
export const moduleUrl = pathToFileURL(join(siteDir, 'psifonomoi.js'));
export const psifonomoi = await import(moduleUrl);
