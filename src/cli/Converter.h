// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The converter behind LineDecoder for every encoding but UTF-8: the platform
// supplies it (iconv on Linux, the system's code pages on Windows), one file
// per platform, chosen by CMake.
#pragma once

#include "LineDecoder.h"

#include <memory>
#include <string>
#include <string_view>

namespace psifonomoi::cli {

class Converter
{
public:
    // Null, with `error` set, for an encoding the platform does not serve or
    // one whose line feed is not the single byte 0x0A (lines could not be split).
    static std::unique_ptr<Converter> Create(const std::string &encoding, std::string &error);
    virtual ~Converter() = default;

    // Converts one line, on its own, to UTF-8: runs of text to `pieces`, and
    // every byte the encoding does not define as a bad byte where it stood.
    // False if `pieces` stopped it.
    virtual bool Convert(std::string_view raw, LinePieces &pieces) = 0;
};

} // namespace psifonomoi::cli
