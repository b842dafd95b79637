// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The numerical value of Greek text (isopsephy), from the program's own engine
// compiled to WebAssembly. One module for the web page and the npm package:
// it loads psifonomoi.wasm from beside itself, so importing it fails (the
// promise rejects) where WebAssembly is missing or the file cannot be read.

/** The letter-value systems, in the engine's order. */
export const systems = Object.freeze(['classical', 'positional', 'milesian']);

const wasmUrl = new URL('./psifonomoi.wasm', import.meta.url);

async function instantiate() {
  if (wasmUrl.protocol === 'file:') {
    const { readFile } = await import('node:fs/promises');
    return WebAssembly.instantiate(await readFile(wasmUrl), {});
  }
  const response = await fetch(wasmUrl);
  if (!response.ok) throw new Error(`${wasmUrl}: HTTP ${response.status}`);
  try {
    return await WebAssembly.instantiateStreaming(response.clone(), {});
  } catch (error) {
    // A server that does not say application/wasm: compile from the bytes.
    if (!(error instanceof TypeError)) throw error;
    return WebAssembly.instantiate(await response.arrayBuffer(), {});
  }
}

const engine = (await instantiate()).instance.exports;
engine._initialize();

// One buffer in the module's memory, reused and grown as texts need.
let buffer = 0;
let capacity = 0;

// Copies the text into the module's memory as UTF-16; returns its address.
function copyIn(text) {
  if (text.length > capacity) {
    if (buffer) engine.release(buffer);
    buffer = 0;
    capacity = 0;
    const address = engine.alloc(text.length) >>> 0; // an address past 2 GiB is negative as i32
    if (!address) throw new RangeError('psifonomoi: text too long for the engine');
    buffer = address;
    capacity = text.length;
  }
  // A fresh view: the allocation may have grown the memory, detaching the old.
  const units = new Uint16Array(engine.memory.buffer, buffer, text.length);
  for (let i = 0; i < text.length; ++i) units[i] = text.charCodeAt(i);
  return buffer;
}

function checkText(text) {
  if (typeof text !== 'string') throw new TypeError(`psifonomoi: text must be a string, not ${typeof text}`);
}

/**
 * The word value of a text (the sum of its letters' values) and its primary
 * number. Non-letters, including lone surrogates, are worth 0.
 * @param {string} text
 * @param {'classical'|'positional'|'milesian'} [system]
 * @param {{ iotaAdscript?: boolean }} [options] iotaAdscript: each iota
 *   subscript adds the value of Ι, as it did when written beside its letter.
 * @returns {{ value: number, primary: number }}
 */
export function wordValue(text, system = 'classical', options = {}) {
  checkText(text);
  const index = systems.indexOf(system);
  if (index < 0) throw new TypeError(`psifonomoi: system must be one of ${systems.join(', ')}, not ${String(system)}`);
  const value = engine.value(copyIn(text), text.length, index, Boolean(options?.iotaAdscript));
  return { value: Number(value), primary: engine.primary(value) };
}

/**
 * The repeated digit sum of an integer's decimal digits: 0 for 0, else 1..9.
 * @param {number} value a safe integer
 * @returns {number}
 */
export function primaryNumber(value) {
  if (!Number.isSafeInteger(value)) throw new TypeError(`psifonomoi: ${String(value)} is not a safe integer`);
  return engine.primary(BigInt(value));
}

/**
 * The text with every letter replaced by its plain capital, one UTF-16 code
 * unit for one: the same length, and everything else (lone surrogates too)
 * kept as it is.
 * @param {string} text
 * @returns {string}
 */
export function foldText(text) {
  checkText(text);
  const address = copyIn(text);
  engine.fold(address, text.length);
  const units = new Uint16Array(engine.memory.buffer, address, text.length);
  // In slices: an argument list as long as a 1 MB text overflows the stack.
  let folded = '';
  for (let i = 0; i < units.length; i += 8192) folded += String.fromCharCode(...units.subarray(i, i + 8192));
  return folded;
}
