// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The letter tables the engine's sums are made from, shared by its UTF-16 and
// UTF-8 sources: which sign each code point folds to, and what each sign is
// worth in each system. Internal to the engine.
#pragma once

#include "WordValue.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace psifonomoi::letters {

#include "FoldTable.inc"

constexpr char32_t kGreekFirst = 0x0370;
constexpr char32_t kGreekExtendedFirst = 0x1F00;

// Values by sign index: 0 nothing, 1..24 the letters Α..Ω, 25..27 the numeral
// letters stigma (and digamma), koppa and sampi. The classical system keeps
// the alphabetic numerals of the 24 letters of the modern alphabet only, so
// Ζ is 7, Π 80, Ρ 100 and Ω 800; the milesian one adds the three numeral
// letters, 6, 90 and 900; the positional one is the place in the alphabet.
constexpr int kLetterCount = 24;
using ValueTable = std::array<int, kLetterCount + 4>;
constexpr ValueTable kClassical = {0,  1,  2,  3,   4,   5,   7,   8,   9,   10,  20,  30, 40, 50,
                                   60, 70, 80, 100, 200, 300, 400, 500, 600, 700, 800, 0,  0,  0};
constexpr ValueTable kMilesian = [] {
    ValueTable t = kClassical;
    t[25] = 6, t[26] = 90, t[27] = 900;
    return t;
}();

constexpr int ValueOfIndex(int index, TValueSystem system)
{
    switch (system) {
    case vsClassical:
        return kClassical[static_cast<std::size_t>(index)];
    case vsMilesian:
        return kMilesian[static_cast<std::size_t>(index)];
    case vsPositional:
        break;
    }
    return index <= kLetterCount ? index : 0;
}

constexpr int IndexOf(char32_t c)
{
    if (c >= kGreekFirst && c < kGreekFirst + sizeof kGreekFold)
        return kGreekFold[c - kGreekFirst];
    if (c >= kGreekExtendedFirst && c < kGreekExtendedFirst + sizeof kGreekExtendedFold)
        return kGreekExtendedFold[c - kGreekExtendedFirst];
    for (const OtherFold &other : kOtherFold)
        if (other.code == c)
            return other.index;
    return 0;
}

} // namespace psifonomoi::letters
