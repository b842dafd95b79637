// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WordValue.h"

#include "ByteScan.h"
#include "LineValues.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace psifonomoi {
namespace {

#include "FoldTable.inc"

constexpr char32_t kGreekFirst = 0x0370;
constexpr char32_t kGreekExtendedFirst = 0x1F00;

// Values by sign index: 0 nothing, 1..24 the letters Α..Ω, 25..27 the numeral
// letters stigma (and digamma), koppa and sampi. The classical system keeps
// the alphabetic numerals of the 24 letters of the modern alphabet only, so
// Ζ is 7, Π 80, Ρ 100 and Ω 800; the milesian one adds the three numeral
// letters, 6, 90 and 900; the positional one is the place in the alphabet.
constexpr int kLetterCount = 24;
using ValueTable = std::array<int, kLetterCount + 4>;
constexpr ValueTable kClassical = {0,  1,  2,  3,   4,   5,   7,   8,   9,   10,  20,  30, 40, 50,
                                   60, 70, 80, 100, 200, 300, 400, 500, 600, 700, 800, 0,  0,  0};
constexpr ValueTable kMilesian = [] {
    ValueTable t = kClassical;
    t[25] = 6, t[26] = 90, t[27] = 900;
    return t;
}();

constexpr int ValueOfIndex(int index, TValueSystem system)
{
    switch (system) {
    case vsClassical:
        return kClassical[static_cast<std::size_t>(index)];
    case vsMilesian:
        return kMilesian[static_cast<std::size_t>(index)];
    case vsPositional:
        break;
    }
    return index <= kLetterCount ? index : 0;
}

constexpr int IndexOf(char32_t c)
{
    if (c >= kGreekFirst && c < kGreekFirst + sizeof kGreekFold)
        return kGreekFold[c - kGreekFirst];
    if (c >= kGreekExtendedFirst && c < kGreekExtendedFirst + sizeof kGreekExtendedFold)
        return kGreekExtendedFold[c - kGreekExtendedFirst];
    for (const OtherFold &other : kOtherFold)
        if (other.code == c)
            return other.index;
    return 0;
}

// The letters outside the Greek blocks (the ohm sign) are few, and the sums
// below reach them cheaply only because they are three-byte UTF-8 sequences
// sharing one lead byte, all in the BMP. A future table breaking that fails
// here rather than being summed wrongly.
constexpr unsigned char kOtherLead = 0xE0 | (kOtherFold[0].code >> 12);
constexpr bool OthersShareLead()
{
    for (const OtherFold &other : kOtherFold)
        if (other.code < 0x1000 || other.code > 0xFFFF || (0xE0 | other.code >> 12) != kOtherLead)
            return false;
    return kOtherLead != 0xE0 && kOtherLead != 0xED; // leads whose second byte is restricted
}
static_assert(OthersShareLead(), "letters outside the Greek blocks need another sum path");

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

// UTF-8 fast path. Every letter is either a two-byte sequence (U+0080..U+07FF,
// of which U+0370..U+03FF hold letters), a three-byte one E1 BC..BF xx
// (U+1F00..U+1FFF), or one of the few three-byte ones led by kOtherLead (the
// ohm sign, E2 84 A6).
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
    // The letters led by kOtherLead: the last two bytes of each, and its value.
    std::array<std::uint16_t, std::size(kOtherFold)> otherTail{};
    std::array<std::int16_t, std::size(kOtherFold)> other{};
};

constexpr Utf8Values MakeUtf8Values(TValueSystem system)
{
    Utf8Values t;
    for (unsigned cont = 0x80; cont <= 0xBF; ++cont) {
        for (unsigned lead = 0xC2; lead <= 0xDF; ++lead)
            t.pair[lead | cont << 8] = static_cast<std::int16_t>(
                ValueOfIndex(IndexOf(((lead & 0x1Fu) << 6) | (cont & 0x3Fu)), system));
    }
    for (std::size_t i = 0; i < t.extended.size(); ++i)
        t.extended[i] =
            static_cast<std::int16_t>(ValueOfIndex(IndexOf(0x1F00 + char32_t(i)), system));
    for (std::size_t i = 0; i < t.other.size(); ++i) {
        const char32_t c = kOtherFold[i].code;
        t.otherTail[i] =
            static_cast<std::uint16_t>((0x80 | (c >> 6 & 0x3F)) << 8 | 0x80 | (c & 0x3F));
        t.other[i] = static_cast<std::int16_t>(ValueOfIndex(kOtherFold[i].index, system));
    }
    return t;
}

constexpr Utf8Values kUtf8Classical = MakeUtf8Values(vsClassical);
constexpr Utf8Values kUtf8Positional = MakeUtf8Values(vsPositional);
constexpr Utf8Values kUtf8Milesian = MakeUtf8Values(vsMilesian);

static_assert((kOtherLead & 0xFC) == 0xE0, "HasThreeByteLead must catch kOtherLead");

WordValueInt SumUtf8(std::string_view text, const Utf8Values &t)
{
    const auto *const p = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    const auto pairValue = [&](unsigned key) { return t.pair[key]; };
    // The value of a three-byte letter starting at j, if one does.
    const auto extendedAt = [&](std::size_t j) -> int {
        if (p[j] == 0xE1 && j + 2 < n && (p[j + 1] & 0xFC) == 0xBC && IsContinuation(p[j + 2]))
            return t.extended[((p[j + 1] & 3u) << 6) | (p[j + 2] & 0x3Fu)];
        if (p[j] == kOtherLead && j + 2 < n) {
            const unsigned tail = unsigned(p[j + 1]) << 8 | p[j + 2];
            for (std::size_t k = 0; k < t.otherTail.size(); ++k)
                if (t.otherTail[k] == tail)
                    return t.other[k];
        }
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
            if (HasThreeByteLead(w)) [[unlikely]] {
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

// A byte that needs care wherever it stands: C0 controls but LF and CR,
// backslash and DEL (escaped on output), the leads C0 and C1 (overlong), C2
// (the C1 controls) and those from E0 on (three- and four-byte sequences);
// for CSV also the comma and the quote, which make a field quoted.
constexpr bool CareByte(unsigned b, bool csv)
{
    return (b < 0x20 && b != '\n' && b != '\r') || b == '\\' || b == 0x7F ||
           (b >= 0xC0 && b <= 0xC2) || b >= 0xE0 || (csv && (b == ',' || b == '"'));
}

// b1 needs care after b0: it does on its own, or it breaks a two-byte sequence
// (a lead without its continuation, a continuation without its lead), or it
// follows a CR without being the LF that makes the CR a line ending.
constexpr bool CarePair(unsigned b0, unsigned b1, bool csv)
{
    const bool lead = b0 >= 0xC0 && b0 <= 0xDF;
    return CareByte(b1, csv) || lead != IsContinuation(static_cast<unsigned char>(b1)) ||
           (b0 == '\r' && b1 != '\n');
}

// Not constexpr, so that no compiler makes it part of the executable.
PairTable MakePairTable(TValueSystem first, bool csv)
{
    PairTable t;
    for (unsigned key = 0; key < t.pair.size(); ++key) {
        const unsigned b0 = key & 0xFF, b1 = key >> 8;
        std::uint64_t entry = std::uint64_t(CarePair(b0, b1, csv)) << PairTable::kCareShift;
        if (b0 >= 0xC2 && b0 <= 0xDF && IsContinuation(static_cast<unsigned char>(b1))) {
            const int index = IndexOf(((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu));
            entry |= static_cast<std::uint64_t>(ValueOfIndex(index, first)) |
                     static_cast<std::uint64_t>(ValueOfIndex(index, vsPositional))
                         << PairTable::kPositionalShift;
        }
        t.pair[key] = entry;
    }
    return t;
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

const PairTable &PairValues(TValueSystem first, bool csv)
{
    // Made on first use, not at compile time: half a megabyte each, that would
    // otherwise all sit in the executable, and a run wants one at most.
    const bool milesian = first == vsMilesian;
    if (csv) {
        if (milesian) {
            static const PairTable table = MakePairTable(vsMilesian, true);
            return table;
        }
        static const PairTable table = MakePairTable(vsClassical, true);
        return table;
    }
    if (milesian) {
        static const PairTable table = MakePairTable(vsMilesian, false);
        return table;
    }
    static const PairTable table = MakePairTable(vsClassical, false);
    return table;
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

WordValueInt SystemValue(std::u16string_view text, TValueSystem system)
{
    return SumUtf16(text, system == vsClassical  ? kUtf16Classical
                          : system == vsMilesian ? kUtf16Milesian
                                                 : kUtf16Positional);
}
WordValueInt SystemValue(std::string_view utf8, TValueSystem system)
{
    return SumUtf8(utf8, system == vsClassical  ? kUtf8Classical
                         : system == vsMilesian ? kUtf8Milesian
                                                : kUtf8Positional);
}

TWordValueResult CalculateWordValue(std::u16string_view text, TValueSystem system)
{
    const WordValueInt value = SystemValue(text, system);
    return {value, PrimaryNumber(value)};
}

TWordValueResult CalculateWordValue(std::string_view utf8, TValueSystem system)
{
    const WordValueInt value = SystemValue(utf8, system);
    return {value, PrimaryNumber(value)};
}

} // namespace psifonomoi
