// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WordValue.h"

#include <array>
#include <bit>
#include <cstring>

namespace psifonomoi {
namespace {

#include "FoldTable.inc"

constexpr char32_t kGreekFirst = 0x0370;
constexpr char32_t kGreekExtendedFirst = 0x1F00;

// Values by letter index 0..24 (0: not a letter). The classical column keeps
// the alphabetic numerals of the 24 letters of the modern alphabet only: no
// stigma, koppa or sampi, so Ζ is 7, Π 80, Ρ 100 and Ω 800.
constexpr std::array<int, 25> kClassical = {0,   1,   2,   3,   4,   5,   7,  8,  9,
                                            10,  20,  30,  40,  50,  60,  70, 80, 100,
                                            200, 300, 400, 500, 600, 700, 800};

constexpr int ValueOfIndex(int index, TValueSystem system)
{
    return system == vsClassical ? kClassical[static_cast<std::size_t>(index)] : index;
}

constexpr int IndexOf(char32_t c)
{
    if (c >= kGreekFirst && c < kGreekFirst + sizeof kGreekFold)
        return kGreekFold[c - kGreekFirst];
    if (c >= kGreekExtendedFirst && c < kGreekExtendedFirst + sizeof kGreekExtendedFold)
        return kGreekExtendedFold[c - kGreekExtendedFirst];
    return 0;
}

constexpr char32_t CapitalOf(int index)
{
    // Α..Ρ are U+0391..U+03A1; U+03A2 is unassigned, so Σ..Ω sit one further on.
    return static_cast<char32_t>(index <= 17 ? 0x0390 + index : 0x0391 + index);
}

// UTF-8 fast path. Every letter is either a two-byte sequence led by 0xCE or
// 0xCF (U+0380..U+03FF) or a three-byte one E1 BC..BF xx (U+1F00..U+1FFF).
// A lead byte followed by the right continuation bytes is always well formed,
// and the bytes such a sequence consumes are continuation bytes, which can
// never be one of those leads. So whether a letter starts at a byte depends
// only on that byte and the next one or two, never on where the previous
// character began: the sum can look at every byte pair on its own, with no
// decoding and no branches, eight pairs per 64-bit load.
struct Utf8Values
{
    // Value of the two-byte sequence (b0, b1), keyed by b0 | b1 << 8.
    std::array<std::int16_t, 0x10000> pair{};
    std::array<std::int16_t, 256> extended{}; // index ((second & 3) << 6) | (third & 0x3F)
};

constexpr Utf8Values MakeUtf8Values(TValueSystem system)
{
    Utf8Values t;
    for (unsigned cont = 0x80; cont <= 0xBF; ++cont) {
        for (unsigned lead = 0xCE; lead <= 0xCF; ++lead)
            t.pair[lead | cont << 8] = static_cast<std::int16_t>(
                ValueOfIndex(IndexOf(0x0380 + (((lead & 1u) << 6) | (cont & 0x3Fu))), system));
    }
    for (std::size_t i = 0; i < t.extended.size(); ++i)
        t.extended[i] =
            static_cast<std::int16_t>(ValueOfIndex(IndexOf(0x1F00 + char32_t(i)), system));
    return t;
}

constexpr Utf8Values kUtf8Classical = MakeUtf8Values(vsClassical);
constexpr Utf8Values kUtf8Positional = MakeUtf8Values(vsPositional);

inline bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// True when one of the eight bytes of w is 0xE1.
constexpr bool HasExtendedLead(std::uint64_t w)
{
    const std::uint64_t x = w ^ 0xE1E1E1E1E1E1E1E1ull;
    return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0;
}

WordValueInt SumUtf8(std::string_view text, const Utf8Values &t)
{
    const auto *const p = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    const auto pairValue = [&](unsigned key) { return t.pair[key]; };
    // The value of a three-byte letter starting at j, if one does.
    const auto extendedAt = [&](std::size_t j) -> int {
        if (p[j] == 0xE1 && j + 2 < n && (p[j + 1] & 0xFC) == 0xBC && IsContinuation(p[j + 2]))
            return t.extended[((p[j + 1] & 3u) << 6) | (p[j + 2] & 0x3Fu)];
        return 0;
    };

    WordValueInt sum = 0;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Pairs starting at i..i+7; the last one ends on byte i+8.
        for (; i + 8 < n; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, p + i, sizeof w);
            int block = pairValue(w & 0xFFFF) + pairValue((w >> 8) & 0xFFFF) +
                        pairValue((w >> 16) & 0xFFFF) + pairValue((w >> 24) & 0xFFFF) +
                        pairValue((w >> 32) & 0xFFFF) + pairValue((w >> 40) & 0xFFFF) +
                        pairValue((w >> 48) & 0xFFFF) +
                        pairValue(static_cast<unsigned>(w >> 56) | unsigned(p[i + 8]) << 8);
            if (HasExtendedLead(w)) [[unlikely]] {
                for (std::size_t j = i; j < i + 8; ++j)
                    block += extendedAt(j);
            }
            sum += block;
        }
    }
    // The rest byte by byte; the last byte alone is never a letter.
    for (; i < n; ++i) {
        if (i + 1 < n)
            sum += pairValue(p[i] | unsigned(p[i + 1]) << 8);
        sum += extendedAt(i);
    }
    return sum;
}

// Values of the code units U+0000..U+1FFF, which hold both Greek blocks; a
// unit past them is worth 0 like U+0000, so the lookup needs no branch.
struct Utf16Table
{
    std::array<std::int16_t, kGreekExtendedFirst + sizeof kGreekExtendedFold> value{};
};

constexpr Utf16Table MakeUtf16Table(TValueSystem system)
{
    Utf16Table t;
    for (std::size_t i = 0; i < t.value.size(); ++i)
        t.value[i] = static_cast<std::int16_t>(ValueOfIndex(IndexOf(char32_t(i)), system));
    return t;
}

constexpr Utf16Table kUtf16Classical = MakeUtf16Table(vsClassical);
constexpr Utf16Table kUtf16Positional = MakeUtf16Table(vsPositional);

// Surrogates and every other code unit outside the two Greek blocks are worth 0,
// so UTF-16 needs no decoding at all.
WordValueInt SumUtf16(std::u16string_view text, const Utf16Table &t)
{
    WordValueInt sum = 0;
    for (const char16_t c : text) {
        const std::size_t unit = c < t.value.size() ? c : 0;
        sum += t.value[unit];
    }
    return sum;
}

} // namespace

char32_t FoldChar(char32_t c)
{
    const int index = IndexOf(c);
    return index ? CapitalOf(index) : c;
}

int LetterIndex(char32_t c)
{
    return IndexOf(c);
}

int LetterValue(char32_t c, TValueSystem system)
{
    return ValueOfIndex(IndexOf(c), system);
}

std::u16string FoldText(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t &c : out)
        c = static_cast<char16_t>(FoldChar(c)); // every fold stays in the BMP
    return out;
}

std::string FoldText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(utf8, pos, c);
        if (len == 0) {
            out.push_back(utf8[pos++]);
            continue;
        }
        AppendUtf8(out, FoldChar(c));
        pos += len;
    }
    return out;
}

WordValueInt ClassicalValue(std::u16string_view text)
{
    return SumUtf16(text, kUtf16Classical);
}
WordValueInt ClassicalValue(std::string_view utf8)
{
    return SumUtf8(utf8, kUtf8Classical);
}
WordValueInt PositionalValue(std::u16string_view text)
{
    return SumUtf16(text, kUtf16Positional);
}
WordValueInt PositionalValue(std::string_view utf8)
{
    return SumUtf8(utf8, kUtf8Positional);
}

std::int32_t PrimaryNumber(WordValueInt n)
{
    // Digit sums of the decimal text, repeated until one digit is left. Work on
    // the magnitude as unsigned so that even the most negative value is safe.
    std::uint64_t s = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    do {
        std::uint64_t digits = s;
        s = 0;
        do {
            s += digits % 10;
            digits /= 10;
        } while (digits != 0);
    } while (s > 9);
    return static_cast<std::int32_t>(s);
}

TWordValueResult CalculateWordValue(std::u16string_view text, TValueSystem system)
{
    const WordValueInt value = system == vsClassical ? ClassicalValue(text) : PositionalValue(text);
    return {value, PrimaryNumber(value)};
}

TWordValueResult CalculateWordValue(std::string_view utf8, TValueSystem system)
{
    const WordValueInt value = system == vsClassical ? ClassicalValue(utf8) : PositionalValue(utf8);
    return {value, PrimaryNumber(value)};
}

std::size_t DecodeUtf8(std::string_view utf8, std::size_t pos, char32_t &out)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data()) + pos;
    const std::size_t avail = utf8.size() - pos;
    if (avail == 0)
        return 0;
    const unsigned char b0 = s[0];
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (avail < len || s[1] < lo || s[1] > hi)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if (!IsContinuation(s[i]))
            return 0;
        cp = (cp << 6) | (s[i] & 0x3Fu);
    }
    out = cp;
    return len;
}

std::size_t FindInvalidUtf8(std::string_view utf8)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t pos = 0;
    while (pos < n) {
        const unsigned char b0 = s[pos];
        if (b0 < 0x80) {
            // In a run of plain ASCII, step eight bytes at a time.
            ++pos;
            for (std::uint64_t word; pos + 8 <= n; pos += 8) {
                std::memcpy(&word, s + pos, 8);
                if (word & 0x8080808080808080ull)
                    break;
            }
            continue;
        }
        // Two-byte sequences (all of Greek and Coptic) inline: a lead C2..DF
        // followed by any continuation byte is always well formed.
        if (static_cast<unsigned char>(b0 - 0xC2) <= 0xDF - 0xC2 && pos + 1 < n &&
            IsContinuation(s[pos + 1])) {
            pos += 2;
            continue;
        }
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(utf8, pos, c);
        if (len == 0)
            return pos;
        pos += len;
    }
    return std::string_view::npos;
}

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace psifonomoi
