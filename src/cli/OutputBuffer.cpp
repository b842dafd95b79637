// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputBuffer.h"

#include "ByteScan.h"

#include <array>
#include <charconv>
#include <cstring>

namespace psifonomoi::cli {
namespace {

// Bytes that stop the plain copy in AppendEscaped: C0 controls, backslash, DEL,
// 0xC2, the lead byte of the C1 controls U+0080..U+009F, and 0xE2, the lead
// byte of the line separators and bidi controls (U+200E..U+2069).
constexpr std::array<bool, 256> MakeStopTable()
{
    std::array<bool, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[static_cast<std::size_t>(b)] = true;
    t['\\'] = t[0x7F] = t[0xC2] = t[0xE2] = true;
    return t;
}
constexpr std::array<bool, 256> kStop = MakeStopTable();

// Whether the three bytes E2 s1 s2 are U+2028 or U+2029, which break lines
// for line-oriented readers, or a bidi control (U+200E, U+200F, U+202A..U+202E,
// U+2066..U+2069), which can make a terminal show a value beside another word.
constexpr bool IsHiddenFormat(unsigned char s1, unsigned char s2)
{
    return (s1 == 0x80 && (s2 == 0x8E || s2 == 0x8F || (s2 >= 0xA8 && s2 <= 0xAE))) ||
           (s1 == 0x81 && s2 >= 0xA6 && s2 <= 0xA9);
}

// Whether any of eight bytes is a stop byte (exact, no false positives).
inline bool HasStopByte(std::uint64_t w)
{
    return HasByteBelow(w, 0x20) | HasByte(w, '\\') | HasByte(w, 0x7F) | HasByte(w, 0xC2) |
           HasByte(w, 0xE2);
}

// Where the run of bytes that are copied as they are, from `i` on, ends: at
// the first stop byte, or at `n`. Eight bytes at a time while it can.
std::size_t PlainRunEnd(const unsigned char *s, std::size_t i, std::size_t n)
{
    for (std::uint64_t w; i + 8 <= n; i += 8) {
        std::memcpy(&w, s + i, 8);
        if (HasStopByte(w))
            break;
    }
    while (i < n && !kStop[s[i]])
        ++i;
    return i;
}

// What stands in the output for the character at a stop byte, and how many
// bytes of the input it takes.
struct Escape
{
    char text[6];
    std::size_t length;
    std::size_t consumed;
};

// A backslash escape as \u followed by four hexadecimal digits.
Escape UnicodeEscape(unsigned cp, std::size_t consumed)
{
    return {{'\\', 'u', kHexDigits[cp >> 12 & 0xF], kHexDigits[cp >> 8 & 0xF],
             kHexDigits[cp >> 4 & 0xF], kHexDigits[cp & 0xF]},
            6,
            consumed};
}

// The character led by 0xE2 at s[i]: escaped when it is a line separator or a
// bidi control (U+20XX), otherwise the lead byte goes out as it is and the
// rest follows with the next plain run.
Escape EscapeE2(const unsigned char *s, std::size_t i, std::size_t n)
{
    if (i + 2 < n && IsHiddenFormat(s[i + 1], s[i + 2]))
        return UnicodeEscape(0x2000u | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu), 3);
    return {{static_cast<char>(s[i])}, 1, 1};
}

// The character led by 0xC2 at s[i]: escaped when it is a C1 control
// (U+0080..U+009F), otherwise printable and copied.
Escape EscapeC2(const unsigned char *s, std::size_t i, std::size_t n)
{
    if (i + 1 < n && s[i + 1] >= 0x80 && s[i + 1] < 0xA0)
        return UnicodeEscape(s[i + 1], 2);
    return {{static_cast<char>(s[i])}, 1, 1};
}

// A C0 control, DEL or the backslash.
Escape EscapeAscii(unsigned char b)
{
    char named = 0;
    switch (b) {
    case '\\':
        named = '\\';
        break;
    case '\t':
        named = 't';
        break;
    case '\n':
        named = 'n';
        break;
    case '\r':
        named = 'r';
        break;
    case '\0':
        named = '0';
        break;
    default:
        break;
    }
    if (named)
        return {{'\\', named}, 2, 1};
    Escape escape{{}, 4, 1};
    const std::string hex = EscapedByte(b);
    hex.copy(escape.text, hex.size());
    return escape;
}

} // namespace

std::size_t FormatDecimal(std::uint64_t n, char *out)
{
    // 20 digits hold any 64-bit value, so this cannot fail.
    return static_cast<std::size_t>(std::to_chars(out, out + 20, n).ptr - out);
}

OutputBuffer::OutputBuffer(int fd, std::size_t capacity)
    : m_device(fd), m_capacity(capacity < 64 ? 64 : capacity),
      m_data(std::make_unique_for_overwrite<char[]>(m_capacity))
{
}

bool OutputBuffer::WriteAll(const char *data, std::size_t size)
{
    if (m_error == 0 && size > 0)
        m_error = m_device.Write(data, size);
    return m_error == 0;
}

bool OutputBuffer::Flush()
{
    const std::size_t size = m_size;
    m_size = 0;
    return WriteAll(m_data.get(), size);
}

bool OutputBuffer::Append(std::string_view bytes)
{
    if (bytes.size() <= m_capacity - m_size) {
        CopyBytes(m_data.get() + m_size, bytes);
        m_size += bytes.size();
        return m_error == 0;
    }
    if (!Flush())
        return false;
    if (bytes.size() >= m_capacity)
        return WriteAll(bytes.data(), bytes.size());
    std::memcpy(m_data.get(), bytes.data(), bytes.size());
    m_size = bytes.size();
    return true;
}

char *OutputBuffer::RoomAfterFlush(std::size_t size)
{
    if (size > m_capacity || (m_capacity - m_size < size && !Flush()) || m_error != 0)
        return nullptr;
    return m_data.get() + m_size;
}

bool OutputBuffer::AppendNumber(std::uint64_t n)
{
    if (m_capacity - m_size < 20 && !Flush())
        return false;
    m_size = static_cast<std::size_t>(PutDecimal(m_data.get() + m_size, n) - m_data.get());
    return m_error == 0;
}

bool OutputBuffer::AppendBadByte(unsigned char byte)
{
    return Append(EscapedByte(byte));
}

bool OutputBuffer::AppendEscaped(std::string_view utf8)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t plainEnd = PlainRunEnd(s, i, n);
        if (plainEnd > i && !Append(utf8.substr(i, plainEnd - i)))
            return false;
        i = plainEnd;
        if (i == n)
            break;
        const Escape escape = s[i] == 0xE2   ? EscapeE2(s, i, n)
                              : s[i] == 0xC2 ? EscapeC2(s, i, n)
                                             : EscapeAscii(s[i]);
        if (!Append({escape.text, escape.length}))
            return false;
        i += escape.consumed;
    }
    return m_error == 0;
}

} // namespace psifonomoi::cli
