// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The same text as UTF-16, for comparing the engine's two encodings: one unit
// of U+FFFD for each byte outside a well-formed sequence, just as the engine
// counts such a byte as one character worth nothing.
#pragma once

#include "WordValue.h"

#include <string>
#include <string_view>

inline std::u16string ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const std::size_t len = psifonomoi::DecodeUtf8(utf8, pos, c);
        if (len == 0)
            c = 0xFFFD;
        pos += len == 0 ? 1 : len;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}
