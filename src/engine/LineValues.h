// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A buffer of lines valued in one pass, for readers of word lists by the
// million (the command line).
//
// Why it is fast: the buffer is read once, eight bytes at a time. A few bit
// operations on each eight-byte word say where its lines end and whether it
// holds anything that needs care (a control character, a backslash or DEL, or
// a byte that is not part of plain two-byte UTF-8); eight look-ups in a table
// keyed on byte pairs give the values of the letters that start in it, in two
// systems at once (PairTable). Nearly every line of Greek text needs no care,
// and comes out of the pass valued and known to be well formed, with no
// decoding and no branch per character. A line that needs care is handed on
// as not plain, for the exact path (SystemValue, FindInvalidUtf8).
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
// b0 | b1 << 8: in the low 32 bits the value, in the system asked for, of the
// two-byte character b0 b1 when it is one (else 0); in the high 32 bits its
// positional value, so that one sum gives both; and kPairCare when b1 needs
// care in the light of b0 (see LineValues::plain). A pair thus speaks for its
// second byte, which lies on the same line as the character it values.
struct PairTable
{
    static constexpr std::uint64_t kPairCare = std::uint64_t(1) << 31;
    std::array<std::uint64_t, 0x10000> pair{};
};
// The table whose low half is `first` (the positional one has classical there).
const PairTable &PairValues(TValueSystem first);

struct LineValues
{
    std::string_view text;  // the line without its LF, nor a CR just before it
    WordValueInt first = 0; // in the table's system, if plain
    WordValueInt positional = 0;
    // Only printable ASCII other than backslash and DEL, and well-formed two-byte
    // UTF-8 from U+00C0 on: valid, nothing to escape, values exact.
    bool plain = false;
};

// Calls onLine(const LineValues &) for each line of `block`, which ends with a
// line feed; stops, returning false, as soon as onLine does.
template <class OnLine>
bool ValueLines(std::string_view block, const PairTable &table, OnLine &&onLine)
{
    const auto *const p = reinterpret_cast<const unsigned char *>(block.data());
    const std::size_t n = block.size();

    std::size_t lineStart = 0;
    const auto emit = [&](std::size_t lf, std::uint64_t sums, WordValueInt first,
                          WordValueInt positional, bool plain) {
        std::size_t end = lf;
        if (end > lineStart && p[end - 1] == '\r')
            --end;
        const LineValues line{block.substr(lineStart, end - lineStart),
                              first + static_cast<WordValueInt>(sums & 0xFFFFFFFF),
                              positional + static_cast<WordValueInt>(sums >> 32), plain};
        lineStart = lf + 1;
        return onLine(line);
    };

    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] == '\n' && !emit(i, 0, 0, 0, false))
                return false;
        return true;
    }

    // The line being summed: packed sums, flushed into 64-bit ones before the
    // low half could overflow (8 pairs of at most 900 per word).
    std::uint64_t sums = 0;
    WordValueInt first = 0, positional = 0;
    std::uint64_t care = 0;    // the line's pairs ORed: kPairCare if any needs care
    std::uint64_t prev = '\n'; // the byte before the word: a line starts after an LF
    unsigned untilFlush = 1u << 16;
    const auto *const pair = table.pair.data();

    for (std::size_t at = 0; at < n; at += 8) {
        // The last bytes are padded with spaces (no letter, no care): the block
        // ends with its last line's LF, so the padding belongs to no line.
        std::uint64_t w;
        if (n - at >= 8) [[likely]] {
            std::memcpy(&w, p + at, sizeof w);
        } else {
            unsigned char tail[8];
            std::memset(tail, ' ', sizeof tail);
            std::memcpy(tail, p + at, n - at);
            std::memcpy(&w, tail, sizeof w);
        }
        // The pairs ending on each byte of the word.
        const std::uint64_t e0 = pair[prev | (w & 0xFF) << 8], e1 = pair[w & 0xFFFF],
                            e2 = pair[(w >> 8) & 0xFFFF], e3 = pair[(w >> 16) & 0xFFFF],
                            e4 = pair[(w >> 24) & 0xFFFF], e5 = pair[(w >> 32) & 0xFFFF],
                            e6 = pair[(w >> 40) & 0xFFFF], e7 = pair[w >> 48];
        prev = w >> 56;
        const std::uint64_t lf = HasExactByte(w, '\n');
        if (!lf) [[likely]] {
            sums += ((e0 + e1) + (e2 + e3)) + ((e4 + e5) + (e6 + e7));
            care |= ((e0 | e1) | (e2 | e3)) | ((e4 | e5) | (e6 | e7));
            if (--untilFlush == 0) [[unlikely]] {
                first += static_cast<WordValueInt>(sums & 0xFFFFFFFF);
                positional += static_cast<WordValueInt>(sums >> 32);
                sums = 0;
                untilFlush = 1u << 16;
            }
            continue;
        }
        // A line ends in this word: its pairs up to the LF go to that line.
        // Most words hold one LF at most, and its split needs no loop: masks
        // keep the pairs up to it (the byte before is always a Greek word's
        // tail, so a loop would stop at a different place each time).
        if ((lf & (lf - 1)) == 0) [[likely]] {
            const unsigned end = static_cast<unsigned>(std::countr_zero(lf)) >> 3;
            const auto upTo = [end](unsigned k, std::uint64_t e) {
                return e & (std::uint64_t(0) - std::uint64_t(k <= end));
            };
            const std::uint64_t h0 = e0, h1 = upTo(1, e1), h2 = upTo(2, e2), h3 = upTo(3, e3),
                                h4 = upTo(4, e4), h5 = upTo(5, e5), h6 = upTo(6, e6),
                                h7 = upTo(7, e7);
            const std::uint64_t head = ((h0 + h1) + (h2 + h3)) + ((h4 + h5) + (h6 + h7));
            const std::uint64_t all = ((e0 + e1) + (e2 + e3)) + ((e4 + e5) + (e6 + e7));
            const std::uint64_t headCare = ((h0 | h1) | (h2 | h3)) | ((h4 | h5) | (h6 | h7));
            const std::uint64_t tailCare = ((e1 ^ h1) | (e2 ^ h2) | (e3 ^ h3)) |
                                           ((e4 ^ h4) | (e5 ^ h5) | (e6 ^ h6) | (e7 ^ h7));
            if (!emit(at + end, sums + head, first, positional,
                      ((care | headCare) & PairTable::kPairCare) == 0))
                return false;
            sums = all - head;
            care = tailCare;
            first = positional = 0;
            continue;
        }
        const std::uint64_t e[8] = {e0, e1, e2, e3, e4, e5, e6, e7};
        unsigned k = 0;
        for (std::uint64_t rest = lf; rest; rest &= rest - 1) {
            const unsigned end = static_cast<unsigned>(std::countr_zero(rest)) >> 3;
            for (; k <= end; ++k) {
                sums += e[k];
                care |= e[k];
            }
            if (!emit(at + end, sums, first, positional, (care & PairTable::kPairCare) == 0))
                return false;
            sums = care = 0;
            first = positional = 0;
        }
        for (; k < 8; ++k) {
            sums += e[k];
            care |= e[k];
        }
    }
    return true;
}

} // namespace psifonomoi
