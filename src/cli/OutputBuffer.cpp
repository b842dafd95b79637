// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputBuffer.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace psifonomoi::cli {
namespace {

// Bytes that stop the plain copy in AppendEscaped: C0 controls, backslash, DEL,
// and 0xC2, the lead byte of the C1 controls U+0080..U+009F.
constexpr std::array<bool, 256> MakeStopTable()
{
    std::array<bool, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[static_cast<std::size_t>(b)] = true;
    t['\\'] = t[0x7F] = t[0xC2] = true;
    return t;
}
constexpr std::array<bool, 256> kStop = MakeStopTable();

constexpr char kHex[] = "0123456789ABCDEF";

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Whether any of eight bytes is a stop byte (exact, no false positives).
inline bool HasStopByte(std::uint64_t w)
{
    auto hasZero = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    const std::uint64_t below20 = (w - 0x20 * kOnes) & ~w & kHighs;
    return below20 | hasZero(w ^ ('\\' * kOnes)) | hasZero(w ^ (0x7F * kOnes)) |
           hasZero(w ^ (0xC2 * kOnes));
}

// "00".."99", for two digits per step.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

} // namespace

std::size_t FormatDecimal(std::uint64_t n, char *out)
{
    char tmp[20];
    char *p = tmp + sizeof tmp;
    while (n >= 100) {
        const auto pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (n >= 10) {
        *--p = kDigitPairs[n * 2 + 1];
        *--p = kDigitPairs[n * 2];
    } else {
        *--p = static_cast<char>('0' + n);
    }
    const auto len = static_cast<std::size_t>(tmp + sizeof tmp - p);
    std::memcpy(out, p, len);
    return len;
}

OutputBuffer::OutputBuffer(int fd, std::size_t capacity)
    : m_fd(fd), m_capacity(capacity < 64 ? 64 : capacity),
      m_data(std::make_unique_for_overwrite<char[]>(m_capacity))
{
}

bool OutputBuffer::WriteAll(const char *data, std::size_t size)
{
    while (size > 0 && m_error == 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0) {
            if (errno != EINTR)
                m_error = errno;
            continue;
        }
        if (n == 0) { // never for a valid descriptor; do not spin on it
            m_error = EIO;
            break;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
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
        std::memcpy(m_data.get() + m_size, bytes.data(), bytes.size());
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
    const char esc[4] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
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
        if (b == 0xC2) {
            if (i + 1 < n && s[i + 1] >= 0x80 && s[i + 1] < 0xA0) { // U+0080..U+009F
                const unsigned char c = s[i + 1];
                esc[1] = 'u', esc[2] = '0', esc[3] = '0';
                esc[4] = kHex[c >> 4], esc[5] = kHex[c & 0xF];
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
                esc[1] = 'x', esc[2] = kHex[b >> 4], esc[3] = kHex[b & 0xF];
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
