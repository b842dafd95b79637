// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Single characters, folding, iota subscripts and the UTF-16 sums. The UTF-8
// sums, which need tables of their own, are in WordValueUtf8.cpp.
#include "WordValue.h"

#include "ByteScan.h"
#include "LetterTables.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

namespace psifonomoi {
namespace {

using namespace letters;

// The iota subscripts by code point: U+0345 and a bitmap of Greek Extended,
// where every precomposed one lies (the generator checks it).
constexpr char32_t kYpogegrammeni = 0x0345;
constexpr std::array<bool, 0x100> kExtendedIota = [] {
    std::array<bool, 0x100> t{};
    for (const char32_t c : kIotaSubscript)
        if (c != kYpogegrammeni)
            t.at(c - kGreekExtendedFirst) = true; // out of the block fails to compile
    return t;
}();

constexpr char32_t CapitalOf(int index)
{
    // Α..Ρ are U+0391..U+03A1; U+03A2 is unassigned, so Σ..Ω sit one further on.
    return static_cast<char32_t>(index <= 17 ? 0x0390 + index : 0x0391 + index);
}

// Values of the code units from U+0000 up to the last letter (both Greek blocks
// and the ohm sign); a unit past them is worth 0 like U+0000, so the lookup
// needs no branch.
constexpr std::size_t Utf16TableSize()
{
    std::size_t size = kGreekExtendedFirst + sizeof kGreekExtendedFold;
    for (const OtherFold &other : kOtherFold)
        size = std::max<std::size_t>(size, other.code + 1);
    return size;
}
static_assert(Utf16TableSize() <= 0x3000, "keep the UTF-16 table small");

struct Utf16Table
{
    std::array<std::int16_t, Utf16TableSize()> value{};
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
constexpr Utf16Table kUtf16Milesian = MakeUtf16Table(vsMilesian);

// Surrogates and every other code unit outside the table are worth 0, so
// UTF-16 needs no decoding at all.
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
    const int index = LetterIndex(c);
    return index ? CapitalOf(index) : c;
}

int LetterIndex(char32_t c)
{
    const int index = IndexOf(c);
    return index <= kLetterCount ? index : 0;
}

int NumeralLetterValue(char32_t c)
{
    const int index = IndexOf(c);
    return index > kLetterCount ? kMilesian[static_cast<std::size_t>(index)] : 0;
}

int LetterValue(char32_t c, TValueSystem system)
{
    return ValueOfIndex(IndexOf(c), system);
}

bool HasIotaSubscript(char32_t c)
{
    return c == kYpogegrammeni ||
           (c >= kGreekExtendedFirst && c - kGreekExtendedFirst < kExtendedIota.size() &&
            kExtendedIota[c - kGreekExtendedFirst]);
}

std::size_t IotaSubscriptCount(std::string_view utf8)
{
    // Only characters led by 0xCD (U+0345) or 0xE1 (Greek Extended) can carry
    // one, and in well-formed text a lead byte always starts a character.
    std::size_t count = 0;
    std::size_t pos = 0;
    // Most text has neither lead: skip it eight bytes at a time.
    for (std::uint64_t w; pos + 8 <= utf8.size(); pos += 8) {
        std::memcpy(&w, utf8.data() + pos, sizeof w);
        if (HasByte(w, 0xCD) | HasByte(w, 0xE1))
            break;
    }
    for (; pos < utf8.size(); ++pos) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        char32_t c = 0;
        if ((b == 0xCD || b == 0xE1) && DecodeUtf8(utf8, pos, c) && HasIotaSubscript(c))
            ++count;
    }
    return count;
}

std::size_t IotaSubscriptCount(std::u16string_view text)
{
    // They are all in the BMP: a surrogate is never one.
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char16_t c) { return HasIotaSubscript(c); }));
}

void FoldText(std::span<char16_t> text)
{
    for (char16_t &c : text)
        c = static_cast<char16_t>(FoldChar(c)); // every fold stays in the BMP
}

std::u16string FoldText(std::u16string_view text)
{
    std::u16string out(text);
    FoldText(std::span<char16_t>(out));
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
WordValueInt PositionalValue(std::u16string_view text)
{
    return SumUtf16(text, kUtf16Positional);
}

WordValueInt SystemValue(std::u16string_view text, TValueSystem system)
{
    return SumUtf16(text, system == vsClassical  ? kUtf16Classical
                          : system == vsMilesian ? kUtf16Milesian
                                                 : kUtf16Positional);
}

TWordValueResult CalculateWordValue(std::u16string_view text, TValueSystem system)
{
    const WordValueInt value = SystemValue(text, system);
    return {value, PrimaryNumber(value)};
}

} // namespace psifonomoi
