// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Byte tests shared by the UTF-8 code of the engine and the command line:
// single bytes, and eight bytes at a time for the scans that skip long runs
// of ordinary text.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace psifonomoi {

// A UTF-8 continuation byte, 10xxxxxx.
constexpr bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

inline constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

// Nonzero when any of the eight bytes of `w` is below `bound` (at most 0x80).
// Exact: no byte at or above the bound sets a bit.
constexpr std::uint64_t HasByteBelow(std::uint64_t w, unsigned char bound)
{
    return (w - bound * kEachByte) & ~w & 0x8080808080808080ull;
}

// Nonzero when any of the eight bytes of `w` is `byte`.
constexpr std::uint64_t HasByte(std::uint64_t w, unsigned char byte)
{
    return HasByteBelow(w ^ (byte * kEachByte), 1);
}

// The high bit of each of the eight bytes of `w` that is `byte`, and no other:
// exact, as no carry crosses a byte (the tests above may also mark bytes above
// a hit).
constexpr std::uint64_t HasExactByte(std::uint64_t w, unsigned char byte)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t x = w ^ (byte * kEachByte);
    return ~(((x & low7) + low7) | x | low7);
}

// Nonzero when any of the eight bytes of `w` is one of E0..E3: among them the
// leads of the three-byte letters, 0xE1 (Greek Extended) and the lead of the
// few letters outside the Greek blocks. One test for all four is as cheap as
// one for 0xE1 alone, and E0 and E3 are rare in Greek text.
constexpr std::uint64_t HasThreeByteLead(std::uint64_t w)
{
    return HasByteBelow(w ^ (0xE0 * kEachByte), 4);
}

// Bit k set when byte k of the eight at `p` is `byte`, by the test above.
inline unsigned ByteBitsPortable(const unsigned char *p, unsigned char byte)
{
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    // Gathers the high bits of the bytes into the top byte, in order: every
    // product of two set bits lands on a bit of its own, so nothing carries.
    return static_cast<unsigned>(((HasExactByte(w, byte) >> 7) * 0x0102040810204080ull) >> 56);
}

// The same; one comparison of all eight at once where the processor has one
// (SSE2, on every x86-64), for the passes that look at every word.
inline unsigned ByteBits(const unsigned char *p, unsigned char byte)
{
#if defined(__SSE2__)
    const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    return static_cast<unsigned>(
               _mm_movemask_epi8(_mm_cmpeq_epi8(eight, _mm_set1_epi8(static_cast<char>(byte))))) &
           0xFF;
#else
    return ByteBitsPortable(p, byte);
#endif
}

} // namespace psifonomoi
