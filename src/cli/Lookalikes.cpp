// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lookalikes.h"

#include <algorithm>
#include <array>

namespace psifonomoi::cli {
namespace {

// Sorted by code point. Only letters that pass for a Greek letter in common
// fonts; the Greek letter is given in the case it resembles.
constexpr std::array kLookalikes = {
    Lookalike{U'A', "Latin capital letter A", U'Α'},
    Lookalike{U'B', "Latin capital letter B", U'Β'},
    Lookalike{U'E', "Latin capital letter E", U'Ε'},
    Lookalike{U'H', "Latin capital letter H", U'Η'},
    Lookalike{U'I', "Latin capital letter I", U'Ι'},
    Lookalike{U'K', "Latin capital letter K", U'Κ'},
    Lookalike{U'M', "Latin capital letter M", U'Μ'},
    Lookalike{U'N', "Latin capital letter N", U'Ν'},
    Lookalike{U'O', "Latin capital letter O", U'Ο'},
    Lookalike{U'P', "Latin capital letter P", U'Ρ'},
    Lookalike{U'T', "Latin capital letter T", U'Τ'},
    Lookalike{U'X', "Latin capital letter X", U'Χ'},
    Lookalike{U'Y', "Latin capital letter Y", U'Υ'},
    Lookalike{U'Z', "Latin capital letter Z", U'Ζ'},
    Lookalike{U'a', "Latin small letter a", U'α'},
    Lookalike{U'i', "Latin small letter i", U'ι'},
    Lookalike{U'k', "Latin small letter k", U'κ'},
    Lookalike{U'o', "Latin small letter o", U'ο'},
    Lookalike{U'p', "Latin small letter p", U'ρ'},
    Lookalike{U'u', "Latin small letter u", U'υ'},
    Lookalike{U'v', "Latin small letter v", U'ν'},
    Lookalike{U'w', "Latin small letter w", U'ω'},
    Lookalike{U'x', "Latin small letter x", U'χ'},
    Lookalike{U'y', "Latin small letter y", U'γ'},
    Lookalike{U'\u00B5', "micro sign", U'μ'},
    Lookalike{U'\u0410', "Cyrillic capital letter A", U'Α'},
    Lookalike{U'\u0412', "Cyrillic capital letter VE", U'Β'},
    Lookalike{U'\u0413', "Cyrillic capital letter GHE", U'Γ'},
    Lookalike{U'\u0415', "Cyrillic capital letter IE", U'Ε'},
    Lookalike{U'\u041A', "Cyrillic capital letter KA", U'Κ'},
    Lookalike{U'\u041B', "Cyrillic capital letter EL", U'Λ'},
    Lookalike{U'\u041C', "Cyrillic capital letter EM", U'Μ'},
    Lookalike{U'\u041D', "Cyrillic capital letter EN", U'Η'},
    Lookalike{U'\u041E', "Cyrillic capital letter O", U'Ο'},
    Lookalike{U'\u041F', "Cyrillic capital letter PE", U'Π'},
    Lookalike{U'\u0420', "Cyrillic capital letter ER", U'Ρ'},
    Lookalike{U'\u0422', "Cyrillic capital letter TE", U'Τ'},
    Lookalike{U'\u0423', "Cyrillic capital letter U", U'Υ'},
    Lookalike{U'\u0424', "Cyrillic capital letter EF", U'Φ'},
    Lookalike{U'\u0425', "Cyrillic capital letter HA", U'Χ'},
    Lookalike{U'\u0430', "Cyrillic small letter a", U'α'},
    Lookalike{U'\u043A', "Cyrillic small letter ka", U'κ'},
    Lookalike{U'\u043E', "Cyrillic small letter o", U'ο'},
    Lookalike{U'\u043F', "Cyrillic small letter pe", U'π'},
    Lookalike{U'\u0440', "Cyrillic small letter er", U'ρ'},
    Lookalike{U'\u0442', "Cyrillic small letter te", U'τ'},
    Lookalike{U'\u0443', "Cyrillic small letter u", U'γ'},
    Lookalike{U'\u0444', "Cyrillic small letter ef", U'φ'},
    Lookalike{U'\u0445', "Cyrillic small letter ha", U'χ'},
    Lookalike{U'\u212A', "Kelvin sign", U'Κ'},
};

static_assert(std::ranges::is_sorted(kLookalikes, {}, &Lookalike::code));

} // namespace

const Lookalike *FindLookalike(char32_t c)
{
    const auto it = std::ranges::lower_bound(kLookalikes, c, {}, &Lookalike::code);
    return it != kLookalikes.end() && it->code == c ? &*it : nullptr;
}

} // namespace psifonomoi::cli
