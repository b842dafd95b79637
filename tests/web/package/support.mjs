// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the suites share: where CTest says things are, and the built module.
import { pathToFileURL } from 'node:url';

export function required(name) {
  if (!process.env[name]) throw new Error(`${name} is not set: run this suite through ctest in the web build`);
  return process.env[name];
}
export const moduleUrl = pathToFileURL(`${required('PSIFONOMOI_PACKAGE_DIR')}/psifonomoi.js`);
export const psifonomoi = await import(moduleUrl);
