// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Letters of other scripts that are easily typed, or pasted, in place of a
// Greek letter. They add nothing to a word value, which is the commonest cause
// of a surprising total, so --explain names them.
#pragma once

#include <string_view>

namespace psifonomoi::cli {

struct Lookalike
{
    char32_t code;
    std::string_view name; // e.g. "Latin small letter o"
    char32_t greek;        // the Greek letter it passes for
};

// The entry for c, or null when c is not a known lookalike.
const Lookalike *FindLookalike(char32_t c);

} // namespace psifonomoi::cli
