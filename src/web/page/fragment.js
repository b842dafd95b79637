// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The address's fragment keeps the last calculation, so that an address can be
// kept or sent: #s=<system>&t=<text, percent-encoded as UTF-8>. The fragment
// never reaches a server. Reading is strict: anything but exactly this form is
// no calculation at all, and the page opens empty.

// The longest fragment read or written (without its "#"); a longer text keeps
// only its system in the address.
export const kMaxFragment = 65536;

// The systems the page offers, as its radio buttons' values.
export const kSystems = Object.freeze(['classical', 'positional']);

const kForm = /^s=([a-z]+)(?:&t=([^&]*))?$/;

// Lone surrogates cannot be percent-encoded as UTF-8; U+FFFD stands in for
// them, worth 0 as they are, so the address still gives the same results.
const kLoneSurrogate = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g;

// { system, text } from location.hash, or null when it is not a calculation.
export function parseFragment(hash) {
  const fragment = hash.startsWith('#') ? hash.slice(1) : hash;
  if (fragment.length > kMaxFragment) return null;
  const match = kForm.exec(fragment);
  if (!match || !kSystems.includes(match[1])) return null;
  if (match[2] === undefined) return { system: match[1], text: '' };
  try {
    return { system: match[1], text: decodeURIComponent(match[2]) };
  } catch {
    return null; // malformed escapes, or bytes that are not UTF-8
  }
}

// The fragment, with its "#", that parseFragment reads back as this calculation.
export function formatFragment(system, text) {
  const head = `s=${system}`;
  // Every character takes at least one place encoded: skip encoding a text
  // that cannot fit (a long paste costs nothing here).
  if (text.length <= kMaxFragment - head.length - 3) {
    const fragment = `${head}&t=${encodeURIComponent(text.replace(kLoneSurrogate, '\uFFFD'))}`;
    if (fragment.length <= kMaxFragment) return `#${fragment}`;
  }
  return `#${head}`;
}
