// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The word value engine: letter folding, the two letter-value systems and the
// primary number. Pure functions over Unicode text; no state, no Qt.
//
// Text comes in two encodings, each with its own overload, so that no caller
// pays for a conversion: UTF-16 (what a Qt window holds) and UTF-8 (what the
// command line reads). Malformed UTF-8 never fails a calculation: each byte that
// does not belong to a well-formed sequence counts as one character worth 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace psifonomoi {

// classical: the alphabetic numerals of the 24 letters (Α=1 .. Ω=800);
// positional: the place in the alphabet (Α=1 .. Ω=24);
// milesian: the full alphabetic numerals of 27 signs, classical plus stigma
// (and digamma) 6, koppa 90 and sampi 900.
enum class TValueSystem
{
    vsClassical,
    vsPositional,
    vsMilesian
};
using enum TValueSystem;

// A sum of letter values. 64 bits: no text that fits in memory can overflow it
// (even 2^40 letters worth 800 stay far below 2^63).
using WordValueInt = std::int64_t;

struct TWordValueResult
{
    WordValueInt WordValue = 0;
    std::int32_t Primary = 0;

    friend bool operator==(const TWordValueResult &, const TWordValueResult &) = default;
};

// --- Single characters -------------------------------------------------------

// The plain capital that a character folds to, or the character itself when it
// has no fold (Latin letters, digits, the obsolete numeral letters, ...).
char32_t FoldChar(char32_t c);

// 1..24 for a character that folds to Α..Ω, 0 for anything else.
int LetterIndex(char32_t c);

// For the numeral letters (stigma, digamma, koppa, sampi in all their forms),
// which only the milesian system counts: their value there. 0 for all else.
int NumeralLetterValue(char32_t c);

// The value of one character (after folding) in the given system; 0 for a
// character that is not a letter of the alphabet.
int LetterValue(char32_t c, TValueSystem system);

// Whether c is the combining iota subscript (U+0345) or a letter written with
// one (ypogegrammeni, or prosgegrammeni on capitals: ᾳ ῃ ῳ ᾼ ῌ ῼ and their
// breathing and accent forms). In antiquity that iota stood beside its letter
// (ΩΙΔΗ for ᾠδή) and counted; by default it counts nothing, as in the window.
bool HasIotaSubscript(char32_t c);

// --- Whole texts -------------------------------------------------------------

// The folded copy of a text: every letter replaced one for one by its plain
// capital. The copy has exactly as many characters as the input.
std::u16string FoldText(std::u16string_view text);
// The same in place, for a caller that owns the buffer (the web module).
void FoldText(std::span<char16_t> text);
std::string FoldText(std::string_view utf8);

WordValueInt ClassicalValue(std::u16string_view text);
WordValueInt ClassicalValue(std::string_view utf8);
WordValueInt PositionalValue(std::u16string_view text);
WordValueInt PositionalValue(std::string_view utf8);
WordValueInt SystemValue(std::u16string_view text, TValueSystem system);
WordValueInt SystemValue(std::string_view utf8, TValueSystem system);

// How many characters of well-formed UTF-8 text (or of UTF-16 text) carry an
// iota subscript: what counting it as written beside its letter adds, in units
// of Ι's value.
std::size_t IotaSubscriptCount(std::string_view utf8);
std::size_t IotaSubscriptCount(std::u16string_view text);

// The repeated digit sum of the decimal text of |n|: 0 for 0, else 1..9.
// Inline and without a loop: the command line asks for it on every row.
constexpr std::int32_t PrimaryNumber(WordValueInt n)
{
    // The repeated digit sum of a positive number is 1 + (n - 1) mod 9 (a
    // number and its digit sum leave the same remainder mod 9). Work on the
    // magnitude as unsigned so that even the most negative value is safe.
    const std::uint64_t s =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    return s == 0 ? 0 : static_cast<std::int32_t>(1 + (s - 1) % 9);
}

// The whole calculation request: the word value of the text, exactly as given,
// in the chosen system, and its primary number.
TWordValueResult CalculateWordValue(std::u16string_view text, TValueSystem system);
TWordValueResult CalculateWordValue(std::string_view utf8, TValueSystem system);

// --- UTF-8 helpers shared with the command line ------------------------------

// Byte offset of the first byte that is not part of a well-formed UTF-8
// sequence, or std::string_view::npos when the whole text is well formed.
std::size_t FindInvalidUtf8(std::string_view utf8);

// Decodes one character at `pos`. On a well-formed sequence, stores the code
// point and returns its length in bytes; otherwise returns 0 (the caller
// should treat the single byte at `pos` as a character of its own).
std::size_t DecodeUtf8(std::string_view utf8, std::size_t pos, char32_t &out);

// Appends the UTF-8 encoding of c.
void AppendUtf8(std::string &out, char32_t c);

} // namespace psifonomoi
