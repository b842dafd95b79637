// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The UTF-8 sums: whole texts valued without decoding (SumUtf8), and the
// byte-pair table of the command line's line pass (PairValues, LineValues.h).
#include "WordValue.h"

#include "ByteScan.h"
#include "LetterTables.h"
#include "LineValues.h"

#include <array>
#include <bit>
#include <cstring>

namespace psifonomoi {
namespace {

using namespace letters;

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

} // namespace

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

WordValueInt ClassicalValue(std::string_view utf8)
{
    return SumUtf8(utf8, kUtf8Classical);
}
WordValueInt PositionalValue(std::string_view utf8)
{
    return SumUtf8(utf8, kUtf8Positional);
}

WordValueInt SystemValue(std::string_view utf8, TValueSystem system)
{
    return SumUtf8(utf8, system == vsClassical  ? kUtf8Classical
                         : system == vsMilesian ? kUtf8Milesian
                                                : kUtf8Positional);
}

TWordValueResult CalculateWordValue(std::string_view utf8, TValueSystem system)
{
    const WordValueInt value = SystemValue(utf8, system);
    return {value, PrimaryNumber(value)};
}

} // namespace psifonomoi
