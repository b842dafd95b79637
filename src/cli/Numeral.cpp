// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Numeral.h"

#include <cstring>

namespace psifonomoi::cli {
namespace {

// Every sign is two bytes of UTF-8: by digit 1..9 and place (units, tens,
// hundreds), the small letter, then the capital. Stigma, koppa and sampi
// stand for 6, 90 and 900.
constexpr char kSmall[3][9][3] = {
    {"α", "β", "γ", "δ", "ε", "ϛ", "ζ", "η", "θ"},
    {"ι", "κ", "λ", "μ", "ν", "ξ", "ο", "π", "ϟ"},
    {"ρ", "σ", "τ", "υ", "φ", "χ", "ψ", "ω", "ϡ"},
};
constexpr char kCapital[3][9][3] = {
    {"Α", "Β", "Γ", "Δ", "Ε", "Ϛ", "Ζ", "Η", "Θ"},
    {"Ι", "Κ", "Λ", "Μ", "Ν", "Ξ", "Ο", "Π", "Ϟ"},
    {"Ρ", "Σ", "Τ", "Υ", "Φ", "Χ", "Ψ", "Ω", "Ϡ"},
};
constexpr char kThousands[3] = "\u0375"; // lower numeral sign
constexpr char kKeraia[3] = "\u0374";

} // namespace

std::size_t GreekNumeral(std::uint64_t n, bool upper, char *out)
{
    if (n == 0 || n >= 1'000'000)
        return 0;
    const auto &letters = upper ? kCapital : kSmall;
    char *p = out;
    const auto put = [&p](const char(&sign)[3]) {
        std::memcpy(p, sign, 2);
        p += 2;
    };
    const unsigned groups[2] = {static_cast<unsigned>(n / 1000), static_cast<unsigned>(n % 1000)};
    for (int g = 0; g < 2; ++g) {
        const unsigned d[3] = {groups[g] % 10, groups[g] / 10 % 10, groups[g] / 100};
        for (int place = 2; place >= 0; --place) {
            if (d[place] == 0)
                continue;
            if (g == 0)
                put(kThousands);
            put(letters[place][d[place] - 1]);
        }
    }
    put(kKeraia);
    return static_cast<std::size_t>(p - out);
}

} // namespace psifonomoi::cli
