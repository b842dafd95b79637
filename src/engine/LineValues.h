// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A buffer of lines valued in one pass, for readers of word lists by the
// million (the command line).
//
// Why it is fast: the buffer is read once, eight bytes at a time, and every
// byte costs one look-up and one addition. The look-up is keyed on the byte
// and the one before it (PairTable): it gives the value of the two-byte letter
// ending there in two systems at once, and counts the byte if it needs care (a
// control character, a backslash or DEL, a byte that is not part of plain
// two-byte UTF-8), all three packed in one integer so that one sum keeps them.
// A word without a line feed is eight look-ups and additions; where lines end
// the sum is split with masks. So nearly every line of Greek text comes out
// valued and known to be well formed with no decoding and no branch per
// character; a line that needs care is handed on as not plain, for the exact
// path (SystemValue, FindInvalidUtf8).
#pragma once

#include "ByteScan.h"
#include "WordValue.h"

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

// Calls onLine(const LineValues &) for each line of `block`, which ends with a
// line feed; stops, returning false, as soon as onLine does.
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

    // The line being summed: the packed sum of its pairs since the last
    // chunk's end, and the fields unpacked at chunk ends before it.
    std::uint64_t sums = 0;
    WordValueInt first = 0, positional = 0;
    std::uint64_t care = 0;
    std::size_t lineStart = 0;
    const auto unpack = [&] {
        first += static_cast<WordValueInt>(sums & kFirstMask);
        positional +=
            static_cast<WordValueInt>(sums >> PairTable::kPositionalShift & kPositionalMask);
        care += sums >> PairTable::kCareShift;
        sums = 0;
    };
    const auto emit = [&](std::size_t lf) {
        unpack();
        std::size_t end = lf;
        if (end > lineStart && p[end - 1] == '\r')
            --end;
        const LineValues line{block.substr(lineStart, end - lineStart), first, positional,
                              care == 0};
        lineStart = lf + 1;
        first = positional = 0;
        care = 0;
        return onLine(line);
    };

    if constexpr (std::endian::native != std::endian::little) {
        // Every line takes the exact path.
        for (std::size_t i = 0; i < n; ++i) {
            if (p[i] != '\n')
                continue;
            care = 1;
            if (!emit(i))
                return false;
        }
        return true;
    }

    // The last bytes, padded with spaces (no letter, no care): the block ends
    // with its last line's LF, so the padding belongs to no line.
    const std::size_t whole = n & ~std::size_t(7);
    unsigned char tail[8];
    std::memset(tail, ' ', sizeof tail);
    std::memcpy(tail, p + whole, n - whole);
    const auto *const pair = table.pair.data();
    unsigned prev = '\n'; // the byte before the word: a line starts after an LF
    for (std::size_t at = 0; at < n;) {
        const std::size_t chunkEnd = n - at > PairTable::kChunk ? at + PairTable::kChunk : n;
        for (; at < chunkEnd; at += 8) {
            const unsigned char *const q = at < whole ? p + at : tail;
            std::uint64_t w;
            std::memcpy(&w, q, sizeof w);
            // The pairs ending on each byte of the word, read straight from it.
            const auto at16 = [q](unsigned k) {
                std::uint16_t key;
                std::memcpy(&key, q + k, sizeof key);
                return key;
            };
            const std::uint64_t e0 = pair[prev | unsigned(q[0]) << 8], e1 = pair[at16(0)],
                                e2 = pair[at16(1)], e3 = pair[at16(2)], e4 = pair[at16(3)],
                                e5 = pair[at16(4)], e6 = pair[at16(5)], e7 = pair[at16(6)];
            prev = q[7];
            const std::uint64_t lf = HasExactByte(w, '\n');
            if (!lf) [[likely]] {
                sums += ((e0 + e1) + (e2 + e3)) + ((e4 + e5) + (e6 + e7));
                continue;
            }
            // A line ends in this word: its pairs up to the LF go to that line.
            // Most words hold one LF at most, and its split needs no loop:
            // masks keep the pairs up to it.
            if ((lf & (lf - 1)) == 0) [[likely]] {
                const unsigned end = static_cast<unsigned>(std::countr_zero(lf)) >> 3;
                const auto upTo = [end](unsigned k, std::uint64_t e) {
                    return e & (std::uint64_t(0) - std::uint64_t(k <= end));
                };
                const std::uint64_t head =
                    ((e0 + upTo(1, e1)) + (upTo(2, e2) + upTo(3, e3))) +
                    ((upTo(4, e4) + upTo(5, e5)) + (upTo(6, e6) + upTo(7, e7)));
                const std::uint64_t all = ((e0 + e1) + (e2 + e3)) + ((e4 + e5) + (e6 + e7));
                sums += head;
                if (!emit(at + end))
                    return false;
                sums = all - head;
                continue;
            }
            const std::uint64_t e[8] = {e0, e1, e2, e3, e4, e5, e6, e7};
            unsigned k = 0;
            for (std::uint64_t rest = lf; rest; rest &= rest - 1) {
                const unsigned end = static_cast<unsigned>(std::countr_zero(rest)) >> 3;
                for (; k <= end; ++k)
                    sums += e[k];
                if (!emit(at + end))
                    return false;
            }
            for (; k < 8; ++k)
                sums += e[k];
        }
        unpack();
    }
    return true;
}

} // namespace psifonomoi
