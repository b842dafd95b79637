// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A value written as a Greek numeral, the additive alphabetic form.
#pragma once

#include <cstddef>
#include <cstdint>

namespace psifonomoi::cli {

// Longest numeral in bytes: three thousands each after the lower numeral
// sign, three more letters, the keraia; two bytes apiece.
inline constexpr std::size_t kNumeralMax = 20;

// Writes the numeral of n into `out` (kNumeralMax bytes) and returns its
// length: units α..θ, tens ι..ϟ, hundreds ρ..ϡ, each thousand the same letter
// after ͵ (U+0375), then the keraia ʹ (U+0374); 888 is ωπηʹ, 2011 ͵βιαʹ.
// Returns 0 for 0 and for 1,000,000 or more, which have no numeral in use.
std::size_t GreekNumeral(std::uint64_t n, bool upper, char *out);

} // namespace psifonomoi::cli
