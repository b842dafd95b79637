// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Buffered writing to a file descriptor, with the number formatting and text
// escaping of the command line's output. Write errors are sticky: after the
// first one, every call returns false and the error stays in Error().
#pragma once

#include "ByteScan.h"
#include "Device.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace psifonomoi::cli {

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
    bool WriteAll(const char *data, std::size_t size);

    OutputDevice m_device;
    std::size_t m_capacity;
    std::size_t m_size = 0;
    std::unique_ptr<char[]> m_data;
    int m_error = 0;
};

// Decimal digits of n into `out` (at least 20 bytes); returns the count.
std::size_t FormatDecimal(std::uint64_t n, char *out);

} // namespace psifonomoi::cli
