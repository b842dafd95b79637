// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Numeral.h"

#include <array>
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

// The letters of each number 0..999, hundreds first, in each case: a numeral
// is then a look-up per group of three digits rather than a loop per digit
// (--numeral writes one on every row).
struct Group
{
    char bytes[6];
    unsigned char length;
};
using Groups = std::array<Group, 1000>;
constexpr Groups MakeGroups(const char (&letters)[3][9][3])
{
    Groups groups{};
    for (unsigned n = 0; n < 1000; ++n) {
        Group &g = groups[n];
        const unsigned d[3] = {n % 10, n / 10 % 10, n / 100};
        for (int place = 2; place >= 0; --place) {
            if (d[place] == 0)
                continue;
            g.bytes[g.length++] = letters[place][d[place] - 1][0];
            g.bytes[g.length++] = letters[place][d[place] - 1][1];
        }
    }
    return groups;
}
constexpr Groups kSmallGroups = MakeGroups(kSmall);
constexpr Groups kCapitalGroups = MakeGroups(kCapital);

} // namespace

std::size_t GreekNumeral(std::uint64_t n, bool upper, char *out)
{
    if (n == 0 || n >= 1'000'000)
        return 0;
    const Groups &groups = upper ? kCapitalGroups : kSmallGroups;
    char *p = out;
    // Each letter of the thousands after its own lower numeral sign.
    const Group &thousands = groups[n / 1000];
    for (unsigned i = 0; i < thousands.length; i += 2) {
        std::memcpy(p, kThousands, 2);
        std::memcpy(p + 2, thousands.bytes + i, 2);
        p += 4;
    }
    // Six bytes whatever the length: out has room for the longest numeral,
    // whose units come at most twelve bytes in.
    const Group &units = groups[n % 1000];
    std::memcpy(p, units.bytes, sizeof units.bytes);
    p += units.length;
    std::memcpy(p, kKeraia, 2);
    return static_cast<std::size_t>(p + 2 - out);
}

} // namespace psifonomoi::cli
