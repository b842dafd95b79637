// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

/** The letter-value systems: the alphabetic numerals of the 24 letters
 * (Α=1 .. Ω=800), the place in the alphabet (Α=1 .. Ω=24), and the full
 * alphabetic numerals of 27 signs (classical plus ϛ=6, ϟ=90, ϡ=900). */
export type System = 'classical' | 'positional' | 'milesian';

export declare const systems: readonly ['classical', 'positional', 'milesian'];

export interface WordValueOptions {
  /** Each iota subscript adds the value of Ι, as when it was written beside
   * its letter (ᾠδή: 822 rather than 812). */
  iotaAdscript?: boolean;
}

export interface WordValueResult {
  /** The sum of the values of the text's letters (exact below 2^53). */
  value: number;
  /** Its repeated digit sum: 0 for 0, else 1..9. */
  primary: number;
}

/** The word value of a text and its primary number. Throws a TypeError when
 * text is not a string or system is not one of `systems`. */
export declare function wordValue(text: string, system?: System, options?: WordValueOptions): WordValueResult;

/** The repeated digit sum of a safe integer's decimal digits. */
export declare function primaryNumber(value: number): number;

/** The text with every letter replaced by its plain capital; the same length
 * in UTF-16 code units. */
export declare function foldText(text: string): string;
