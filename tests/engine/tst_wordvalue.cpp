// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Word values, primary numbers and folding of whole texts, each checked through
// both the UTF-8 and the UTF-16 entry points.
#include "ReferenceUnicode.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <ios>
#include <limits>
#include <span>
#include <string>
#include <utility>

using namespace psifonomoi;
using namespace psifonomoi::test;

namespace {

// Repeated digit sum worked on the decimal text, the way a person would do it.
int DigitRootOfText(std::string digits)
{
    do {
        std::uint64_t s = 0;
        for (const char d : digits)
            s += static_cast<std::uint64_t>(d - '0');
        digits = std::to_string(s);
    } while (digits.size() > 1);
    return digits[0] - '0';
}

int DigitRootFormula(std::uint64_t magnitude)
{
    return magnitude == 0 ? 0 : static_cast<int>(1 + (magnitude - 1) % 9);
}

std::string Repeated(std::string_view s, int count)
{
    std::string out;
    out.reserve(s.size() * std::size_t(count));
    for (int i = 0; i < count; ++i)
        out += s;
    return out;
}

} // namespace

TEST_CASE("calculate")
{
    struct Row
    {
        const char *name;
        std::string_view text;
        WordValueInt classical;
        int classicalPrimary;
        WordValueInt positional;
        int positionalPrimary;
    };
    const Row rows[] = {
        {"empty", "", 0, 0, 0, 0},
        {"spaces", "   \t ", 0, 0, 0, 0},
        {"latin", "Agape, OMEGA!", 0, 0, 0, 0},
        {"digits", "0123456789", 0, 0, 0, 0},
        {"A then digit 1", "Α1", 1, 1, 1, 1},
        {"ΑΓΑΠΗ", "ΑΓΑΠΗ", 93, 3, 28, 1},
        {"αγάπη", "αγάπη", 93, 3, 28, 1},
        {"Ιησούς", "Ιησούς", 888, 6, 87, 6},
        {"ΙΗΣΟΥΣ", "ΙΗΣΟΥΣ", 888, 6, 87, 6},
        {"Άρης", "Άρης", 309, 3, 43, 7},
        {"αρης", "αρης", 309, 3, 43, 7},
        {"ι alone", "ι", 10, 1, 9, 9},
        // Letters with dialytika count as their letter.
        {"ϊ alone", "ϊ", 10, 1, 9, 9},
        {"Προϊόν", "Προϊόν", 380, 2, 85, 4},
        {"ΰ Ϋ ϋ", "ΰ Ϋ ϋ", 1200, 3, 60, 6},
        {"ΐ Ϊ", "ΐΪ", 20, 2, 18, 9},
        // Ζ 7, Π 80, Ρ 100 and Ω 800: no obsolete numerals in the classical column.
        {"ζ π ρ ω", "ζ π ρ ω", 987, 6, 63, 9},
        {"whole alphabet", "αβγδεζηθικλμνξοπρστυφχψω", 3999, 3, 300, 3},
        {"whole alphabet capitals", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ", 3999, 3, 300, 3},
        {"text kept as given", "  Α Β\n", 3, 3, 3, 3},
        // Polytonic spelling and the forms of iota subscript and adscript.
        {"Ἰησοῦς", "Ἰησοῦς", 888, 6, 87, 6},
        {"ἀγάπη", "ἀγάπη", 93, 3, 28, 1},
        {"ᾳ", "ᾳ", 1, 1, 1, 1},
        {"ᾼ", "ᾼ", 1, 1, 1, 1},
        {"α + U+0345", "α\xCD\x85", 1, 1, 1, 1},
        {"ῥ Ῥ ῤ", "ῥῬῤ", 300, 3, 51, 6},
        {"decomposed ί", "ι\xCC\x81", 10, 1, 9, 9},
        {"ᾯ ῷ ὦ", "ᾯῷὦ", 2400, 6, 72, 9},
        {"numeral sign", "Αʹ", 1, 1, 1, 1},
        // Letter variants are the letters they stand for.
        {"ϐ ϑ ϴ", "ϐϑϴ", 20, 2, 18, 9},
        {"ϒ ϓ ϔ", "ϒϓϔ", 1200, 3, 60, 6},
        {"ϕ ϖ ϰ", "ϕϖϰ", 600, 6, 47, 2},
        {"ϱ ϲ Ϲ ϵ", "ϱϲϹϵ", 505, 1, 58, 4},
        // The obsolete numeral letters and Coptic letters are worth nothing.
        {"stigma digamma", "ϚϛϜϝͶͷ", 0, 0, 0, 0},
        {"koppa sampi", "ϞϟϘϙϠϡͲͳ", 0, 0, 0, 0},
        {"coptic, yot, kai", "ϢϣϳͿϏϗ", 0, 0, 0, 0},
        {"micro sign is not μ", "µ", 0, 0, 0, 0},
        {"latin o, cyrillic о", "oо", 0, 0, 0, 0},
        {"outside BMP", "😀α𝛂", 1, 1, 1, 1},
        {"ohm sign", "\u2126", 800, 8, 24, 6},
        {"ohm signs among quotes", "ΑΒΓΔΕΖΗΘ \u2126 \u2019\u2019\u2126", 1639, 1, 84, 3},
        {"look-alike symbols", "𝛀𝚨\u2127\u212A\u212B", 0, 0, 0, 0},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::u16string utf16 = ToUtf16(row.text);
        const TWordValueResult c{row.classical, row.classicalPrimary};
        const TWordValueResult p{row.positional, row.positionalPrimary};

        CHECK(CalculateWordValue(row.text, vsClassical) == c);
        CHECK(CalculateWordValue(utf16, vsClassical) == c);
        CHECK(CalculateWordValue(row.text, vsPositional) == p);
        CHECK(CalculateWordValue(utf16, vsPositional) == p);
        CHECK(ClassicalValue(row.text) == row.classical);
        CHECK(ClassicalValue(utf16) == row.classical);
        CHECK(PositionalValue(row.text) == row.positional);
        CHECK(PositionalValue(utf16) == row.positional);
    }
}

// Every spelling of one letter (small, capital, tonos, polytonic) has the value
// of its plain capital, which is the letter that FoldChar gives.
TEST_CASE("same letter in any form")
{
    struct Row
    {
        const char *name;
        std::string_view forms;
        std::string_view capital;
        int classical;
        int positional;
    };
    const Row rows[] = {
        {"Α", "ΑαάἀἁἂἃἄἅἆἇἈἉἊἋἌἍἎἏὰάᾀᾈᾰᾱᾲᾳᾴᾶᾷᾸᾹᾺΆᾼΆ", "Α", 1, 1},
        {"Ε", "ΕεέἐἑἒἓἔἕἘἙἚἛἜἝὲέῈΈΈϵ", "Ε", 5, 5},
        {"Η", "ΗηήἠἡἢἣἤἥἦἧἨἩἪἫἬἭἮἯὴήᾐᾘῂῃῄῆῇῊΉῌΉ", "Η", 8, 7},
        {"Ι", "ΙιίἰἱἲἳἴἵἶἷἸἹἺἻἼἽἾἿὶίῐῑῒΐῖῗῘῙῚΊΊϊΐΪ", "Ι", 10, 9},
        {"Ο", "ΟοόὀὁὂὃὄὅὈὉὊὋὌὍὸόῸΌΌ", "Ο", 70, 15},
        {"Ρ", "ΡρῤῥῬϱ", "Ρ", 100, 17},
        {"Σ", "ΣσςϲϹ", "Σ", 200, 18},
        {"Υ", "ΥυύὐὑὒὓὔὕὖὗὙὛὝὟὺύῠῡῢΰῦῧῨῩῪΎΎϋΰΫϒϓϔ", "Υ", 400, 20},
        {"Ω", "ΩωώὠὡὢὣὤὥὦὧὨὩὪὫὬὭὮὯὼώᾠᾨᾯῲῳῴῶῷῺΏΏῼ\u2126", "Ω", 800, 24},
        {"ϐ", "ϐ", "Β", 2, 2},
        {"ϑ", "ϑϴ", "Θ", 9, 8},
        {"ϰ", "ϰ", "Κ", 20, 10},
        {"ϖ", "ϖ", "Π", 80, 16},
        {"ϕ", "ϕ", "Φ", 500, 21},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const char32_t cap = DecodeReference(row.capital).at(0);
        for (const char32_t c : DecodeReference(row.forms)) {
            INFO("U+" << std::hex << std::uint32_t(c));
            CHECK(FoldChar(c) == cap);
            CHECK(LetterValue(c, vsClassical) == row.classical);
            CHECK(LetterValue(c, vsPositional) == row.positional);
            const std::u32string one(1, c);
            CHECK(ClassicalValue(Utf16Of(one)) == row.classical);
            CHECK(PositionalValue(Utf8Of(one)) == row.positional);
        }
    }
}

// The full numerals are the classical ones plus the numeral letters: every
// code point where the two differ is one of these forms, worth `value`.
TEST_CASE("milesian")
{
    struct Row
    {
        const char *name;
        std::string_view forms;
        int value;
    };
    const Row rows[] = {
        {"stigma, digamma", "ϚϛϜϝ", 6},
        {"koppa", "ϘϙϞϟ", 90},
        {"sampi", "ϠϡͲͳ", 900},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::u32string forms = DecodeReference(row.forms);
        int differing = 0, ours = 0;
        for (char32_t c = 0; c < 0x30000; ++c) {
            if (LetterValue(c, vsMilesian) == LetterValue(c, vsClassical))
                continue;
            ++differing;
            CHECK((LetterIndex(c) == 0 && FoldChar(c) == c && LetterValue(c, vsPositional) == 0));
            CHECK(LetterValue(c, vsMilesian) == NumeralLetterValue(c));
            ours += forms.find(c) != std::u32string::npos;
        }
        CHECK(differing == 12);
        CHECK(ours == 4);
        for (const char32_t c : forms)
            CHECK(NumeralLetterValue(c) == row.value);
        // Whole texts, long enough for the eight-byte steps, through both encodings.
        const std::string text =
            std::string(row.forms) + " Ιησοῦς " + std::string(row.forms) + std::string(row.forms);
        CHECK(SystemValue(text, vsMilesian) == 888 + 12 * row.value);
        CHECK(SystemValue(ToUtf16(text), vsMilesian) == 888 + 12 * row.value);
        CHECK(CalculateWordValue(text, vsMilesian).WordValue == 888 + 12 * row.value);
        CHECK(ClassicalValue(text) == 888);
    }
}

TEST_CASE("fold text")
{
    struct Row
    {
        const char *name;
        std::string_view text;
        std::string_view folded;
    };
    const Row rows[] = {
        {"empty", "", ""},
        {"small tonos", "άέήίόύώ", "ΑΕΗΙΟΥΩ"},
        {"capital tonos", "ΆΈΉΊΌΎΏ", "ΑΕΗΙΟΥΩ"},
        {"σς", "σς", "ΣΣ"},
        {"dialytika", "ϊϋΐΰΪΫ", "ΙΥΙΥΙΥ"},
        {"latin digits spaces", "Hello World 2024 ,.;!?", "Hello World 2024 ,.;!?"},
        {"latin greek mix", "aλbάc1ςZ", "aΛbΑc1ΣZ"},
        {"greek question mark kept", "τί;·", "ΤΙ;·"},
        {"polytonic", "Ἰησοῦς ᾠδή", "ΙΗΣΟΥΣ ΩΔΗ"},
        {"combining marks kept", "α\xCD\x85ι\xCC\x81", "Α\xCD\x85Ι\xCC\x81"},
        {"obsolete numerals kept", "ϛϟϡ", "ϛϟϡ"},
        {"outside BMP kept", "α😀β", "Α😀Β"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::string utf8 = FoldText(row.text);
        CHECK(utf8 == row.folded);
        CHECK(DecodeReference(utf8).size() == DecodeReference(row.text).size());

        const std::u16string source = ToUtf16(row.text);
        const std::u16string utf16 = FoldText(source);
        CHECK(utf16 == ToUtf16(row.folded));
        CHECK(utf16.size() == source.size());
        std::u16string inPlace = source;
        FoldText(std::span<char16_t>(inPlace));
        CHECK(inPlace == utf16);
        // Only characters that changed may be Greek: everything else stays put.
        for (std::size_t i = 0; i < source.size(); ++i) {
            if (utf16[i] != source[i])
                CHECK(LetterIndex(source[i]) != 0);
        }
    }
}

TEST_CASE("iota subscripts counted alike in UTF-8 and UTF-16")
{
    const std::pair<std::string_view, std::size_t> rows[] = {
        {"", 0},          {"αι ΑΙ", 0},       {"ᾠδή", 1},      {"ᾼᾳῌῃῼῳ", 6},
        {"α\xCD\x85", 1}, {"😀ᾷ\xCD\x85😀", 2}, {"ᾀᾁᾂᾃᾄᾅᾆᾇ", 8}, {"ὠδή ᾠδή", 1},
    };
    for (const auto &[text, count] : rows) {
        INFO(text);
        CHECK(IotaSubscriptCount(text) == count);
        CHECK(IotaSubscriptCount(ToUtf16(text)) == count);
    }
}

TEST_CASE("beyond 32 bits")
{
    struct Row
    {
        const char *name;
        std::string_view letter;
        int count;
        TValueSystem system;
        WordValueInt value;
        int primary;
    };
    const Row rows[] = {
        {"Ω classical", "Ω", 2'700'000, vsClassical, 2'160'000'000, 9},
        {"ω positional", "ω", 2'700'000, vsPositional, 64'800'000, 9},
        {"ὦ classical", "ὦ", 2'700'000, vsClassical, 2'160'000'000, 9},
        {"ψ classical", "ψ", 3'100'000, vsClassical, 2'170'000'000, 1},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::string utf8 = Repeated(row.letter, row.count);
        const TWordValueResult expected{row.value, row.primary};
        CHECK(CalculateWordValue(utf8, row.system) == expected);
        CHECK(CalculateWordValue(ToUtf16(utf8), row.system) == expected);
    }
}

// Sweeps of consecutive values, checked against the closed formula and against
// digit sums of the decimal text.
TEST_CASE("primary number over ranges")
{
    struct Row
    {
        const char *name;
        std::int64_t first;
        std::int64_t count;
    };
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const Row rows[] = {
        {"0 to 2 million", 0, 2'000'000},
        {"around 2^31", 2'147'383'647, 200'000},
        {"around 10^12", 999'999'900'000, 200'000},
        {"around 10^18", 999'999'999'999'900'000, 200'000},
        {"top of int64", max - 199'999, 200'000},
        {"negative", -100'000, 100'000},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        for (std::int64_t i = 0; i < row.count; ++i) {
            const std::int64_t n = row.first + i;
            const std::uint64_t magnitude =
                n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
            const int got = PrimaryNumber(n);
            if (got != DigitRootFormula(magnitude))
                FAIL("PrimaryNumber(" << n << ") = " << got);
            if (i % 997 == 0)
                CHECK(got == DigitRootOfText(std::to_string(magnitude)));
        }
    }
}

TEST_CASE("primary number of fixed values")
{
    struct Row
    {
        const char *name;
        std::int64_t n;
        int primary;
    };
    const Row rows[] = {
        {"0", 0, 0},
        {"9", 9, 9},
        {"10", 10, 1},
        {"99", 99, 9},
        {"1000", 1000, 1},
        {"93", 93, 3},
        {"888", 888, 6},
        {"int32 max", 2'147'483'647, 1},
        {"int64 max", std::numeric_limits<std::int64_t>::max(), 7},
        {"int64 min, sign dropped", std::numeric_limits<std::int64_t>::min(), 8},
        {"-93, sign dropped", -93, 3},
        {"all nines", 999'999'999'999'999'999, 9},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK(PrimaryNumber(row.n) == row.primary);
    }
}
