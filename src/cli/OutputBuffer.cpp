// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputBuffer.h"

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

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Whether any of eight bytes is a stop byte (exact, no false positives).
inline bool HasStopByte(std::uint64_t w)
{
    const std::uint64_t below20 = (w - 0x20 * kOnes) & ~w & kHighs;
    return below20 | HasByte(w, '\\') | HasByte(w, 0x7F) | HasByte(w, 0xC2) | HasByte(w, 0xE2);
}

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

void CopyShort(char *to, std::string_view bytes)
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
        CopyShort(m_data.get() + m_size, bytes);
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

bool OutputBuffer::AppendNumber(std::uint64_t n)
{
    if (m_capacity - m_size < 20 && !Flush())
        return false;
    m_size += FormatDecimal(n, m_data.get() + m_size);
    return m_error == 0;
}

bool OutputBuffer::AppendBadByte(unsigned char byte)
{
    const char esc[4] = {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
    return Append({esc, 4});
}

bool OutputBuffer::AppendEscaped(std::string_view utf8)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t start = i;
        for (std::uint64_t w; i + 8 <= n; i += 8) {
            std::memcpy(&w, s + i, 8);
            if (HasStopByte(w))
                break;
        }
        while (i < n && !kStop[s[i]])
            ++i;
        if (i > start && !Append(utf8.substr(start, i - start)))
            return false;
        if (i == n)
            break;
        const unsigned char b = s[i];
        char esc[6] = {'\\'};
        std::size_t len = 2;
        if (b == 0xE2) {
            if (i + 2 < n && IsHiddenFormat(s[i + 1], s[i + 2])) { // \u20XX
                const unsigned cp = 0x2000u | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
                esc[1] = 'u', esc[2] = '2', esc[3] = '0';
                esc[4] = kHexDigits[cp >> 4 & 0xF], esc[5] = kHexDigits[cp & 0xF];
                len = 6;
                i += 3;
            } else { // any other character led by 0xE2 is shown as it is
                esc[0] = static_cast<char>(b);
                len = 1;
                ++i;
            }
        } else if (b == 0xC2) {
            if (i + 1 < n && s[i + 1] >= 0x80 && s[i + 1] < 0xA0) { // U+0080..U+009F
                const unsigned char c = s[i + 1];
                esc[1] = 'u', esc[2] = '0', esc[3] = '0';
                esc[4] = kHexDigits[c >> 4], esc[5] = kHexDigits[c & 0xF];
                len = 6;
                i += 2;
            } else { // any other character led by 0xC2 is printable
                esc[0] = static_cast<char>(b);
                len = 1;
                ++i;
            }
        } else {
            switch (b) {
            case '\\':
                esc[1] = '\\';
                break;
            case '\t':
                esc[1] = 't';
                break;
            case '\n':
                esc[1] = 'n';
                break;
            case '\r':
                esc[1] = 'r';
                break;
            case '\0':
                esc[1] = '0';
                break;
            default:
                esc[1] = 'x', esc[2] = kHexDigits[b >> 4], esc[3] = kHexDigits[b & 0xF];
                len = 4;
            }
            ++i;
        }
        if (!Append({esc, len}))
            return false;
    }
    return m_error == 0;
}

} // namespace psifonomoi::cli
