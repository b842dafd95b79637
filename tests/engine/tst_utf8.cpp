// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Malformed UTF-8: every byte outside a well-formed sequence is a character of
// its own worth 0, so a broken sequence never hides the letter after it.
#include "ReferenceUnicode.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <ios>
#include <random>
#include <string>

using namespace psifonomoi;
using namespace psifonomoi::test;

namespace {

// An independent reading of the same bytes: it replaces what is malformed and
// keeps every well-formed character.
WordValueInt ValueThroughReference(std::string_view bytes, TValueSystem system)
{
    return CalculateWordValue(Utf16Of(DecodeReference(bytes)), system).WordValue;
}

std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += {kDigits[u >> 4], kDigits[u & 0xF], ' '};
    }
    return out;
}

} // namespace

TEST_CASE("malformed")
{
    struct Row
    {
        const char *name;
        std::string_view bytes;
        std::int64_t invalidAt; // -1: well formed
        WordValueInt classical;
        std::string_view folded;
    };
    const Row rows[] = {
        {"well formed", "Ωμέγα", -1, 849, "ΩΜΕΓΑ"},
        {"four-byte character", "\xF0\x9F\x98\x80α", -1, 1, "\xF0\x9F\x98\x80Α"},
        {"truncated at end", "α\xCE", 2, 1, "Α\xCE"},
        {"truncated before letter", "\xCEα", 0, 1, "\xCEΑ"},
        {"lead before lead", "\xCF\xCF\x89", 0, 800, "\xCFΩ"},
        {"three-byte cut after two", "\xE1\xBCα", 0, 1, "\xE1\xBCΑ"},
        {"three-byte cut before extended letter", "\xE1\xE1\xBC\x80", 0, 1, "\xE1Α"},
        {"four-byte cut before letter", "ω\xF0\x9F\x98ω", 2, 1600, "Ω\xF0\x9F\x98Ω"},
        {"lone continuations", "\x80\xB1\xBFβ", 0, 2, "\x80\xB1\xBFΒ"},
        {"overlong slash", "\xC0\xAFα", 0, 1, "\xC0\xAFΑ"},
        {"overlong two-byte A", "\xC1\x81", 0, 0, "\xC1\x81"},
        {"overlong three-byte α", "\xE0\x8E\xB1γ", 0, 3, "\xE0\x8E\xB1Γ"},
        {"overlong four-byte α", "\xF0\x80\x8E\xB1", 0, 0, "\xF0\x80\x8E\xB1"},
        {"high surrogate", "ΑΩ\xED\xA0\x80Α", 4, 802, "ΑΩ\xED\xA0\x80Α"},
        {"low surrogate", "\xED\xBF\xBF", 0, 0, "\xED\xBF\xBF"},
        {"past U+10FFFF", "\xF4\x90\x80\x80ι", 0, 10, "\xF4\x90\x80\x80Ι"},
        {"F5 lead", "\xF5\x80\x80\x80", 0, 0, "\xF5\x80\x80\x80"},
        {"FE FF", "\xFE\xFFπ", 0, 80, "\xFE\xFFΠ"},
        {"invalid after extended letter", "ἀ\xFF", 3, 1, "Α\xFF"},
        {"invalid after ASCII run", "abcdefghijklmnop\x80", 16, 0, "abcdefghijklmnop\x80"},
        {"ISO-8859-7 bytes", "\xC1\xC3\xC1\xD0\xC7", 0, 0, "\xC1\xC3\xC1\xD0\xC7"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::size_t expectedAt =
            row.invalidAt < 0 ? std::string_view::npos : static_cast<std::size_t>(row.invalidAt);
        CHECK(FindInvalidUtf8(row.bytes) == expectedAt);
        CHECK(ClassicalValue(row.bytes) == row.classical);
        CHECK(ClassicalValue(row.bytes) == ValueThroughReference(row.bytes, vsClassical));
        CHECK(PositionalValue(row.bytes) == ValueThroughReference(row.bytes, vsPositional));
        const std::string f = FoldText(row.bytes);
        CHECK(f == row.folded);
        CHECK(ClassicalValue(f) == row.classical);
    }
}

TEST_CASE("decode one character")
{
    struct Row
    {
        const char *name;
        std::string_view bytes;
        std::size_t pos;
        std::size_t length; // 0: malformed at pos
        std::uint32_t codePoint;
    };
    const Row rows[] = {
        {"ASCII", "a", 0, 1, 0x61u},
        {"NUL", std::string_view("\0", 1), 0, 1, 0u},
        {"α", "α", 0, 2, 0x3B1u},
        {"ᾼ", "ᾼ", 0, 3, 0x1FBCu},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", 0, 4, 0x10FFFFu},
        {"U+FFFF", "\xEF\xBF\xBF", 0, 3, 0xFFFFu},
        {"U+0080", "\xC2\x80", 0, 2, 0x80u},
        {"U+0800", "\xE0\xA0\x80", 0, 3, 0x800u},
        {"U+10000", "\xF0\x90\x80\x80", 0, 4, 0x10000u},
        {"U+D7FF", "\xED\x9F\xBF", 0, 3, 0xD7FFu},
        {"U+E000", "\xEE\x80\x80", 0, 3, 0xE000u},
        {"second character", "αω", 2, 2, 0x3C9u},
        {"at end", "α", 2, 0, 0u},
        {"inside a character", "α", 1, 0, 0u},
        {"truncated", "\xE1\xBC", 0, 0, 0u},
        {"overlong C0", "\xC0\x80", 0, 0, 0u},
        {"overlong E0", "\xE0\x9F\xBF", 0, 0, 0u},
        {"overlong F0", "\xF0\x8F\xBF\xBF", 0, 0, 0u},
        {"surrogate", "\xED\xA0\x80", 0, 0, 0u},
        {"past U+10FFFF", "\xF4\x90\x80\x80", 0, 0, 0u},
        {"bad third byte", "\xE1\xBC\x41", 0, 0, 0u},
        {"bad fourth byte", "\xF0\x9F\x98\xCE", 0, 0, 0u},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        char32_t c = U'\uFFFD';
        CHECK(DecodeUtf8(row.bytes, row.pos, c) == row.length);
        if (row.length != 0)
            CHECK(static_cast<std::uint32_t>(c) == row.codePoint);
    }
}

// AppendUtf8 and DecodeUtf8 agree on every scalar value, and the reference
// agrees with both.
TEST_CASE("append round trip")
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string s;
        AppendUtf8(s, c);
        char32_t back = 0;
        if (DecodeUtf8(s, 0, back) != s.size() || back != c)
            FAIL("U+" << std::hex << std::uint32_t(c));
        if ((c & 0xFF) == 0 || c < 0x2000)
            CHECK(s == Utf8Of(std::u32string(1, c)));
    }
}

// All 65,536 two-byte texts, between two letters: the letters always count,
// and the bytes between them count just as the reference reads them.
TEST_CASE("every two-byte text between letters")
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string middle{static_cast<char>(a), static_cast<char>(b)};
            const std::string bytes = "ω" + middle + "α";
            const WordValueInt inner = ClassicalValue(middle);
            const WordValueInt whole = ClassicalValue(bytes);
            if (whole != inner + 801 || inner != ValueThroughReference(middle, vsClassical) ||
                PositionalValue(bytes) != ValueThroughReference(bytes, vsPositional))
                FAIL("bytes " << Hex(middle) << ": value " << whole << ", inner " << inner);
            if ((FindInvalidUtf8(middle) == std::string_view::npos) != IsWellFormedUtf8(middle))
                FAIL("bytes " << Hex(middle) << ": well-formedness");
        }
    }
}

// Random texts drawn mostly from the bytes that make up Greek letters, so that
// truncated and misplaced sequences are common; long enough that letters
// straddle every position of an eight-byte word.
TEST_CASE("random Greek-heavy bytes")
{
    static const unsigned char pool[] = {0xCE, 0xCF, 0xCD, 0xE1, 0xBC, 0xBD, 0xBE, 0xBF,
                                         0x80, 0x85, 0x91, 0xA9, 0xB1, 0x89, 0xED, 0xA0,
                                         0xF0, 0x9F, 0xF4, 0x90, 0xC0, 0xFF, 0x41, 0x20};
    std::mt19937 rng(20240613);
    std::uniform_int_distribution<int> lengths(1, 47);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    for (int round = 0; round < 50'000; ++round) {
        std::string bytes;
        const int length = lengths(rng);
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(pool[pick(rng)]);
        const std::string folded = FoldText(bytes);
        for (const TValueSystem system : {vsClassical, vsPositional}) {
            const WordValueInt value = CalculateWordValue(bytes, system).WordValue;
            if (value != ValueThroughReference(bytes, system) ||
                CalculateWordValue(folded, system).WordValue != value)
                FAIL("bytes " << Hex(bytes));
        }
        const bool wellFormed = IsWellFormedUtf8(bytes);
        if ((FindInvalidUtf8(bytes) == std::string_view::npos) != wellFormed)
            FAIL("bytes " << Hex(bytes) << ": well-formedness");
        if (wellFormed && DecodeReference(folded).size() != DecodeReference(bytes).size())
            FAIL("bytes " << Hex(bytes) << ": folding changed the length");
    }
}

// The value of a text does not depend on where in memory, or after how many
// other bytes, it starts; nor does a broken sequence at its very end matter.
TEST_CASE("same value at every offset")
{
    struct Row
    {
        const char *name;
        std::string_view text;
        WordValueInt classical;
    };
    const Row rows[] = {
        {"monotonic", "Ιησούς Χριστός", 2368},
        {"polytonic", "ἐν ἀρχῇ ἦν ὁ λόγος", 1265},
        {"broken inside", "ἀ\xE1\xBCγ\xCEά\xF0\x9Fπ\xE1η", 93},
        {"cut extended at end", "ωω\xE1\xBC", 1600},
        {"cut two-byte at end", "ωω\xCE", 1600},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        for (std::size_t offset = 0; offset < 24; ++offset) {
            const std::string shifted = std::string(offset, ' ') + std::string(row.text);
            CHECK(ClassicalValue(shifted) == row.classical);
            CHECK(ClassicalValue(shifted + "x") == row.classical);
            CHECK(ClassicalValue(std::string_view(shifted).substr(offset)) == row.classical);
        }
    }
}
