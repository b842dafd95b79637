// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The UTF-8 helpers declared in WordValue.h: strict decoding (no overlong
// forms, surrogates or code points past U+10FFFF) and validation.
#include "WordValue.h"

#include "ByteScan.h"

#include <cstring>

namespace psifonomoi {

std::size_t DecodeUtf8(std::string_view utf8, std::size_t pos, char32_t &out)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data()) + pos;
    const std::size_t avail = utf8.size() - pos;
    if (avail == 0)
        return 0;
    const unsigned char b0 = s[0];
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (avail < len || s[1] < lo || s[1] > hi)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if (!IsContinuation(s[i]))
            return 0;
        cp = (cp << 6) | (s[i] & 0x3Fu);
    }
    out = cp;
    return len;
}

std::size_t FindInvalidUtf8(std::string_view utf8)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t pos = 0;
    while (pos < n) {
        const unsigned char b0 = s[pos];
        if (b0 < 0x80) {
            // In a run of plain ASCII, step eight bytes at a time.
            ++pos;
            for (std::uint64_t word; pos + 8 <= n; pos += 8) {
                std::memcpy(&word, s + pos, 8);
                if (word & 0x8080808080808080ull)
                    break;
            }
            continue;
        }
        // Two-byte sequences (all of Greek and Coptic) inline: a lead C2..DF
        // followed by any continuation byte is always well formed.
        if (static_cast<unsigned char>(b0 - 0xC2) <= 0xDF - 0xC2 && pos + 1 < n &&
            IsContinuation(s[pos + 1])) {
            pos += 2;
            continue;
        }
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(utf8, pos, c);
        if (len == 0)
            return pos;
        pos += len;
    }
    return std::string_view::npos;
}

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace psifonomoi
