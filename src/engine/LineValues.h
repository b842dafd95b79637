// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A buffer of lines valued without decoding, for readers of word lists by the
// million (the command line).
//
// Why it is fast: every byte costs one look-up and one addition, and no
// branch depends on the text. The look-up is keyed on the byte and the one
// before it (PairTable): it gives the value of the two-byte letter ending there
// in two systems at once, and counts the byte if it needs care (a control
// character, a backslash or DEL, a byte that is not part of plain two-byte
// UTF-8), all three packed in one integer so that one sum keeps them. Running
// sums of those integers are kept; a line's values are the difference of the
// sums at its two line feeds (see ValueLines). So nearly every line of Greek
// text comes out valued and known to be well formed; a line that needs care is
// handed on as not plain, for the exact path (SystemValue, FindInvalidUtf8).
#pragma once

#include "ByteScan.h"
#include "WordValue.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace psifonomoi {

// Everything the pass needs to know of a byte pair (b0, b1), keyed by
// b0 | b1 << 8, in three fields of one integer: the value, in the system asked
// for, of the two-byte letter b0 b1 when it is one (else 0); its positional
// value; and 1 in the care field when b1 needs care in the light of b0 (see
// LineValues::plain). A pair thus speaks for its second byte, which lies on
// the same line as the letter it values. Sums of up to kChunk entries fit
// each field without carrying into the next.
struct PairTable
{
    static constexpr unsigned kPositionalShift = 26, kCareShift = 47;
    static constexpr std::size_t kChunk = std::size_t(1) << 16;
    std::array<std::uint64_t, 0x10000> pair{};
};
static_assert(PairTable::kChunk * 900 < std::uint64_t(1) << PairTable::kPositionalShift &&
                  PairTable::kChunk * 27 <
                      std::uint64_t(1) << (PairTable::kCareShift - PairTable::kPositionalShift) &&
                  PairTable::kChunk < std::uint64_t(1) << (64 - PairTable::kCareShift),
              "a chunk's sums must fit their fields");
// The table whose first field is `first` (the positional one has classical
// there); with `csv`, a comma or a quote needs care too.
const PairTable &PairValues(TValueSystem first, bool csv = false);

struct LineValues
{
    std::string_view text;  // the line without its LF, nor a CR just before it
    WordValueInt first = 0; // in the table's system, if plain
    WordValueInt positional = 0;
    // Only printable ASCII other than backslash and DEL (and, for CSV, comma and
    // quote), and well-formed two-byte UTF-8 from U+00C0 on: valid, nothing to
    // escape or quote, values exact.
    bool plain = false;
};

// Where the line feeds of an eight-byte word lie, for each pattern of them
// (bit k: byte k is one): their offsets in the word, in order, and how many.
struct LineFeedOffsets
{
    std::array<std::array<std::uint16_t, 8>, 256> offsets{};
    std::array<unsigned char, 256> count{};
};
inline constexpr LineFeedOffsets kLineFeedOffsets = [] {
    LineFeedOffsets t;
    for (unsigned bits = 0; bits < 256; ++bits)
        for (std::uint16_t k = 0; k < 8; ++k)
            if (bits >> k & 1)
                t.offsets[bits][t.count[bits]++] = k;
    return t;
}();

// Calls onLine(const LineValues &) for each line of `block`, which ends with a
// line feed; stops, returning false, as soon as onLine does.
//
// The block is taken a stretch at a time, in two passes. The first has no
// branch that depends on the text: for every byte it stores the running sum of
// the pairs up to it, and for every word the places of its line feeds, found
// by a table on their bit pattern. The second walks those places; a line's
// sums are the difference of two running sums. Lines of a word list end at
// places no predictor can guess, and a branch per line feed in the first pass
// used to cost more than all its look-ups.
template <class OnLine>
bool ValueLines(std::string_view block, const PairTable &table, OnLine &&onLine)
{
    if (block.empty()) // and perhaps without data to point at
        return true;
    const auto *const p = reinterpret_cast<const unsigned char *>(block.data());
    const std::size_t n = block.size();
    constexpr std::uint64_t kFirstMask = (std::uint64_t(1) << PairTable::kPositionalShift) - 1;
    constexpr std::uint64_t kPositionalMask =
        (std::uint64_t(1) << (PairTable::kCareShift - PairTable::kPositionalShift)) - 1;

    std::size_t lineStart = 0;
    const auto line = [&](std::size_t lf, WordValueInt first, WordValueInt positional,
                          std::uint64_t care) {
        std::size_t end = lf;
        if (end > lineStart && p[end - 1] == '\r')
            --end;
        const LineValues values{block.substr(lineStart, end - lineStart), first, positional,
                                care == 0};
        lineStart = lf + 1;
        return onLine(values);
    };

    if constexpr (std::endian::native != std::endian::little) {
        // Every line takes the exact path.
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] == '\n' && !line(i, 0, 0, 1))
                return false;
        return true;
    }

    // A stretch's running sums and line feeds stay in the first-level cache
    // between the two passes, and its sums fit their fields.
    constexpr std::size_t kStretch = 2048;
    static_assert(kStretch % 8 == 0 && kStretch <= PairTable::kChunk);
    std::uint64_t odd[kStretch / 2 + 1]; // odd[m]: the sum up to byte 2m - 1
    odd[0] = 0;
    std::uint16_t feeds[kStretch + 8];
    // Every word is read with the byte before it, for the pair that its first
    // byte ends. The first word and the last bytes are copied out for that: the
    // first after a line feed, as a line starts; the last padded with spaces
    // (no letter, no care), which, after the block's last line feed, belong to
    // no line.
    const std::size_t whole = n & ~std::size_t(7);
    const std::size_t padded = whole < n ? whole + 8 : whole;
    unsigned char head[9], last[9];
    std::memset(last, ' ', sizeof last);
    last[0] = whole > 0 ? p[whole - 1] : '\n';
    std::memcpy(last + 1, p + whole, n - whole);
    head[0] = '\n';
    std::memcpy(head + 1, whole > 0 ? p : last + 1, 8);

    const auto *const pair = table.pair.data();
    // The sums, unpacked, of the part of a line that lies in stretches before.
    WordValueInt carriedFirst = 0, carriedPositional = 0;
    std::uint64_t carriedCare = 0;
    for (std::size_t at = 0; at < padded; at += kStretch) {
        const std::size_t size = std::min(padded - at, kStretch);
        std::uint64_t sum = 0;
        std::size_t count = 0;
        // The word at q (q[-1] readable) at k in the stretch.
        const auto word = [&](const unsigned char *q, std::size_t k) __attribute__((always_inline))
        {
            // The pairs ending on each byte of the word.
            const auto at16 = [q](int i) {
                std::uint16_t key;
                std::memcpy(&key, q + i, sizeof key);
                return key;
            };
            const std::uint64_t e0 = pair[at16(-1)], e1 = pair[at16(0)], e2 = pair[at16(1)],
                                e3 = pair[at16(2)], e4 = pair[at16(3)], e5 = pair[at16(4)],
                                e6 = pair[at16(5)], e7 = pair[at16(6)];
            // Running sums after each odd byte, as a tree, so that only one
            // addition a word waits on the word before. The sum at an even byte
            // is the odd one before it and the byte's own pair (see below).
            const std::uint64_t e01 = e0 + e1, e03 = e01 + (e2 + e3), e05 = e03 + (e4 + e5);
            std::uint64_t *const r = odd + 1 + k / 2;
            r[0] = sum + e01;
            r[1] = sum + e03;
            r[2] = sum + e05;
            sum += e05 + (e6 + e7);
            r[3] = sum;
            // Eight offsets are written whatever the count: the array has room.
            const unsigned bits = ByteBits(q, '\n');
            const auto &offsets = kLineFeedOffsets.offsets[bits];
            for (std::size_t i = 0; i < 8; ++i)
                feeds[count + i] = static_cast<std::uint16_t>(k + offsets[i]);
            count += kLineFeedOffsets.count[bits];
        };
        std::size_t k = 0;
        if (at == 0) {
            word(head + 1, 0);
            k = 8;
        }
        for (const std::size_t inBlock = whole > at ? std::min(size, whole - at) : 0; k < inBlock;
             k += 8)
            word(p + at + k, k);
        if (k < size)
            word(last + 1, k);
        // A field's running sum never shrinks, so the difference of two borrows
        // from no other field.
        std::uint64_t before = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t lf = feeds[i];
            // The pair that the line feed ends, needed when it lies at an even
            // byte: at the block's start it follows a line feed, as ever.
            const unsigned end = at + lf > 0 ? p[at + lf - 1] : '\n';
            const std::uint64_t through =
                odd[(lf + 1) / 2] + (pair[end | '\n' << 8] & ((lf & 1) - std::uint64_t(1)));
            const std::uint64_t sums = through - before;
            before = through;
            if (!line(at + lf, carriedFirst + static_cast<WordValueInt>(sums & kFirstMask),
                      carriedPositional +
                          static_cast<WordValueInt>(sums >> PairTable::kPositionalShift &
                                                    kPositionalMask),
                      carriedCare + (sums >> PairTable::kCareShift)))
                return false;
            carriedFirst = carriedPositional = 0;
            carriedCare = 0;
        }
        const std::uint64_t rest = sum - before;
        carriedFirst += static_cast<WordValueInt>(rest & kFirstMask);
        carriedPositional +=
            static_cast<WordValueInt>(rest >> PairTable::kPositionalShift & kPositionalMask);
        carriedCare += rest >> PairTable::kCareShift;
    }
    return true;
}

} // namespace psifonomoi
