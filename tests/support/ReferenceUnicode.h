// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A slow, plain reading of UTF-8, UTF-16 and UTF-32, written from the
// Unicode standard's table of well-formed byte sequences and sharing nothing
// with the engine, so that tests can check the engine against it.
#pragma once

#include <string>
#include <string_view>

namespace psifonomoi::test {

inline constexpr char32_t kReplacement = U'\uFFFD';

// The characters of `bytes`; each byte outside a well-formed sequence is one
// U+FFFD.
inline std::u32string DecodeReference(std::string_view bytes)
{
    std::u32string out;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const auto inRange = [&](std::size_t k, unsigned lo, unsigned hi) {
        return k < bytes.size() && at(k) >= lo && at(k) <= hi;
    };
    while (i < bytes.size()) {
        const unsigned b = at(i);
        std::size_t length = 0;
        if (b < 0x80) {
            length = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = inRange(i + 1, 0x80, 0xBF) ? 2 : 0;
        } else if (b >= 0xE0 && b <= 0xEF) {
            const unsigned lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
            length = inRange(i + 1, lo, hi) && inRange(i + 2, 0x80, 0xBF) ? 3 : 0;
        } else if (b >= 0xF0 && b <= 0xF4) {
            const unsigned lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
            length =
                inRange(i + 1, lo, hi) && inRange(i + 2, 0x80, 0xBF) && inRange(i + 3, 0x80, 0xBF)
                    ? 4
                    : 0;
        }
        if (length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (at(i + k) & 0x3F);
        out += c;
        i += length;
    }
    return out;
}

inline std::string Utf8Of(std::u32string_view text)
{
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            out += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)),
                    char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

inline std::u16string Utf16Of(std::u32string_view text)
{
    std::u16string out;
    for (const char32_t c : text) {
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

inline std::u16string ToUtf16(std::string_view utf8)
{
    return Utf16Of(DecodeReference(utf8));
}

inline bool IsWellFormedUtf8(std::string_view bytes)
{
    return Utf8Of(DecodeReference(bytes)) == bytes;
}

} // namespace psifonomoi::test
