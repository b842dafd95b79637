// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Buffered writing to a file descriptor, with the number formatting and text
// escaping of the command line's output. Write errors are sticky: after the
// first one, every call returns false and the error stays in Error().
#pragma once

#include "ByteScan.h"
#include "Device.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace psifonomoi::cli {

// Decimal digits of n into `out` (at least 20 bytes); returns the count.
std::size_t FormatDecimal(std::uint64_t n, char *out);

// Upper-case hexadecimal digits, for \xHH escapes and U+ code points.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// A byte that is not part of the text's encoding, as the output shows it: \xHH.
inline std::string EscapedByte(unsigned char byte)
{
    return {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
}

// The first `byte` in [from, to), or `to`. Inline, eight bytes at a time:
// lines are short, and a call into the C runtime per line costs more than the
// scan where that runtime is a DLL (Windows).
inline const char *FindByte(const char *from, const char *to, unsigned char byte)
{
    for (std::uint64_t w; to - from >= 8; from += 8) {
        std::memcpy(&w, from, 8);
        if (const std::uint64_t hit = HasByte(w, byte))
            return from + (std::countr_zero(hit) >> 3); // the lowest byte is the first
    }
    while (from < to && static_cast<unsigned char>(*from) != byte)
        ++from;
    return from;
}

namespace detail {
// Most pieces are a word or two (a Greek word is some 10 to 30 bytes): they
// are copied here with overlapping moves rather than by a call into the C
// runtime, which is a DLL on Windows.
template <class Word> void CopyEnds(char *to, const char *from, std::size_t n)
{
    Word head, tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

struct Bytes16
{
    std::uint64_t low, high;
};

inline void CopyBytes(char *to, std::string_view bytes)
{
    const std::size_t n = bytes.size();
    if (n > 32) {
        std::memcpy(to, bytes.data(), n);
    } else if (n >= 16) {
        CopyEnds<Bytes16>(to, bytes.data(), n);
    } else if (n >= 8) {
        CopyEnds<std::uint64_t>(to, bytes.data(), n);
    } else if (n >= 4) {
        CopyEnds<std::uint32_t>(to, bytes.data(), n);
    } else if (n > 0) { // 1 to 3 bytes: first, middle and last cover them
        to[0] = bytes[0];
        to[n / 2] = bytes[n / 2];
        to[n - 1] = bytes[n - 1];
    }
}

} // namespace detail
using detail::CopyBytes;

// Two decimal digits of each number below 100, "00" to "99".
inline constexpr auto kDigitPairs = [] {
    std::array<char, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// Writes n in decimal at `out`, which has room for 20 bytes, and returns the
// end. Numbers below 10,000 (nearly every word value) come from the digit-pair
// table with no loop and no branch on their length: four digits are written
// and the leading zeros stepped over.
inline char *PutDecimal(char *out, std::uint64_t n)
{
    if (std::endian::native == std::endian::little && n < 10000) {
        std::uint16_t high, low;
        std::memcpy(&high, &kDigitPairs[2 * (n / 100)], 2);
        std::memcpy(&low, &kDigitPairs[2 * (n % 100)], 2);
        const std::size_t length = 1 + (n >= 10) + (n >= 100) + (n >= 1000);
        const std::uint32_t digits = (high | std::uint32_t(low) << 16) >> (8 * (4 - length));
        std::memcpy(out, &digits, 4);
        return out + length;
    }
    return out + FormatDecimal(n, out);
}

class OutputBuffer
{
public:
    OutputBuffer(int fd, std::size_t capacity);
    OutputBuffer(const OutputBuffer &) = delete;
    OutputBuffer &operator=(const OutputBuffer &) = delete;

    bool Append(std::string_view bytes);
    bool Put(char c)
    {
        if (m_size == m_capacity && !Flush())
            return false;
        m_data[m_size++] = c;
        return m_error == 0;
    }
    bool AppendNumber(std::uint64_t n);

    // Writing in place: room for `size` bytes (flushing first if need be), or
    // null when that cannot be had (a write error, or more than the capacity).
    // Wrote() then keeps the first `size` of them.
    char *Room(std::size_t size)
    {
        if (size <= m_capacity - m_size && m_error == 0) [[likely]]
            return m_data.get() + m_size;
        return RoomAfterFlush(size);
    }
    // The same, with the end of all the free room in `end` (unchanged when
    // there is none).
    char *Room(std::size_t size, char *&end)
    {
        char *const room = Room(size);
        if (room)
            end = m_data.get() + m_capacity;
        return room;
    }
    void Wrote(std::size_t size) { m_size += size; }

    // Appends well-formed UTF-8 text so that it stays on one line and shows
    // every control character: \\ \t \n \r \0, \xHH for other C0 controls and
    // DEL, \u0080..\u009F for C1 controls, \u2028 \u2029 and \u200E \u200F
    // \u202A..\u202E \u2066..\u2069 for the line separators and bidi controls.
    // Everything else is copied as is.
    bool AppendEscaped(std::string_view utf8);
    // A byte that is not part of the text's encoding (see EscapedByte).
    bool AppendBadByte(unsigned char byte);

    // Writes out everything buffered. False on a write error (errno in Error()).
    bool Flush();
    bool Failed() const { return m_error != 0; }
    int Error() const { return m_error; }

private:
    char *RoomAfterFlush(std::size_t size);
    bool WriteAll(const char *data, std::size_t size);

    OutputDevice m_device;
    std::size_t m_capacity;
    std::size_t m_size = 0;
    std::unique_ptr<char[]> m_data;
    int m_error = 0;
};

} // namespace psifonomoi::cli
