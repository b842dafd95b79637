#include "Numeral.h"

#include <cstring>

namespace psifonomoi::cli {
namespace {

// By digit 1..9 and place (units, tens, hundreds): the letter, small and
// capital. Stigma, koppa and sampi stand for 6, 90 and 900.
constexpr const char *kSmall[3][9] = {
    {"α", "β", "γ", "δ", "ε", "ϛ", "ζ", "η", "θ"},
    {"ι", "κ", "λ", "μ", "ν", "ξ", "ο", "π", "ϟ"},
    {"ρ", "σ", "τ", "υ", "φ", "χ", "ψ", "ω", "ϡ"},
};
constexpr const char *kCapital[3][9] = {
    {"Α", "Β", "Γ", "Δ", "Ε", "Ϛ", "Ζ", "Η", "Θ"},
    {"Ι", "Κ", "Λ", "Μ", "Ν", "Ξ", "Ο", "Π", "Ϟ"},
    {"Ρ", "Σ", "Τ", "Υ", "Φ", "Χ", "Ψ", "Ω", "Ϡ"},
};
constexpr char kThousands[] = "\u0375"; // lower numeral sign
constexpr char kKeraia[] = "\u0374";

} // namespace

std::size_t GreekNumeral(std::uint64_t n, bool upper, char *out)
{
    if (n == 0 || n >= 1'000'000)
        return 0;
    const auto &letters = upper ? kCapital : kSmall;
    std::size_t len = 0;
    auto put = [&](const char *s) {
        const std::size_t l = std::strlen(s);
        std::memcpy(out + len, s, l);
        len += l;
    };
    const unsigned digits[2] = {static_cast<unsigned>(n / 1000), static_cast<unsigned>(n % 1000)};
    for (int group = 0; group < 2; ++group) {
        const unsigned d[3] = {digits[group] / 100, digits[group] / 10 % 10, digits[group] % 10};
        for (int place = 0; place < 3; ++place) {
            if (d[place] == 0)
                continue;
            if (group == 0)
                put(kThousands);
            put(letters[2 - place][d[place] - 1]);
        }
    }
    put(kKeraia);
    return len;
}

} // namespace psifonomoi::cli
