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
// the word's running sums split it. So nearly every line of Greek text comes out
// valued and known to be well formed with no decoding and no branch per
// character; a line that needs care is handed on as not plain, for the exact
// path (SystemValue, FindInvalidUtf8).
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
    // Lines are handed to onLine in batches, away from the pass: the pass then
    // never calls out and keeps its sums in registers, and onLine runs in a
    // tight loop of its own.
    constexpr std::size_t kBatch = 64;
    LineValues batch[kBatch];
    std::size_t pending = 0;
    const auto flush = [&] {
        for (std::size_t i = 0; i < pending; ++i)
            if (!onLine(batch[i]))
                return false;
        pending = 0;
        return true;
    };
    const auto emit = [&](std::size_t lf) {
        unpack();
        std::size_t end = lf;
        if (end > lineStart && p[end - 1] == '\r')
            --end;
        batch[pending++] =
            LineValues{block.substr(lineStart, end - lineStart), first, positional, care == 0};
        lineStart = lf + 1;
        first = positional = 0;
        care = 0;
        return pending < kBatch || flush();
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
        return flush();
    }

    // The last bytes, padded with spaces (no letter, no care): the block ends
    // with its last line's LF, so the padding belongs to no line.
    const std::size_t whole = n & ~std::size_t(7);
    unsigned char tail[8];
    std::memset(tail, ' ', sizeof tail);
    std::memcpy(tail, p + whole, n - whole);
    const auto *const pair = table.pair.data();
    unsigned prev = '\n'; // the byte before the word: a line starts after an LF
    // The whole words straight from the block, then the tail's word.
    struct Part
    {
        const unsigned char *begin;
        std::size_t size;
    };
    const Part parts[] = {{p, whole}, {tail, whole < n ? sizeof tail : 0}};
    std::size_t at = 0; // where in the block the word at q lies
    for (const Part &part : parts) {
        for (std::size_t done = 0; done < part.size;) {
            const std::size_t chunk = std::min(part.size - done, PairTable::kChunk);
            const unsigned char *const chunkEnd = part.begin + done + chunk;
            for (const unsigned char *q = part.begin + done; q < chunkEnd; q += 8, at += 8) {
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
                // Lines end in this word. Each takes the pairs up to its LF: the
                // running sums of the word, indexed by where the LF lies, give them
                // with no mask or loop per byte. A field's running sum never
                // shrinks, so a difference of two borrows from no other field.
                const std::uint64_t e01 = e0 + e1, e03 = e01 + (e2 + e3), e05 = e03 + (e4 + e5);
                const std::uint64_t run[8] = {e0,       e01, e01 + e2, e03,
                                              e03 + e4, e05, e05 + e6, e05 + (e6 + e7)};
                std::uint64_t taken = 0;
                for (std::uint64_t rest = lf; rest; rest &= rest - 1) {
                    const unsigned end = static_cast<unsigned>(std::countr_zero(rest)) >> 3;
                    sums += run[end] - taken;
                    taken = run[end];
                    if (!emit(at + end))
                        return false;
                }
                sums = run[7] - taken;
            }
            done += chunk;
            unpack();
        }
    }
    return flush();
}

} // namespace psifonomoi
