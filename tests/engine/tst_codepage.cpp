// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Every character of the Windows-1253 (Greek) code page, decoded by the
// system's own converter (iconv, or Windows' code page), must fold and be
// valued as the letter tables keyed on that code page say. The tables below
// are typed from those tables, code by code, and do not come from the engine.
#include "ReferenceUnicode.h"
#include "TestSupport.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <ios>
#include <map>
#include <optional>

using namespace psifonomoi;
using namespace psifonomoi::test;

namespace {

// Windows-1253 code of a character -> code of the plain capital it folds to.
const std::map<int, int> kFoldTable = {
    {0xDC, 0xC1}, {0xDD, 0xC5}, {0xDE, 0xC7}, {0xDF, 0xC9}, {0xE1, 0xC1}, {0xE2, 0xC2},
    {0xE3, 0xC3}, {0xE4, 0xC4}, {0xE5, 0xC5}, {0xE6, 0xC6}, {0xE7, 0xC7}, {0xE8, 0xC8},
    {0xE9, 0xC9}, {0xEA, 0xCA}, {0xEB, 0xCB}, {0xEC, 0xCC}, {0xED, 0xCD}, {0xEE, 0xCE},
    {0xEF, 0xCF}, {0xF0, 0xD0}, {0xF1, 0xD1}, {0xF2, 0xD3}, {0xF3, 0xD3}, {0xF4, 0xD4},
    {0xF5, 0xD5}, {0xF6, 0xD6}, {0xF7, 0xD7}, {0xF8, 0xD8}, {0xF9, 0xD9}, {0xFC, 0xCF},
    {0xFD, 0xD5}, {0xFE, 0xD9}, {0xA2, 0xC1}, {0xB8, 0xC5}, {0xB9, 0xC7}, {0xBA, 0xC9},
    {0xBC, 0xCF}, {0xBE, 0xD5}, {0xBF, 0xD9},
};

// The letters with dialytika count as their letter: ϊ ΐ Ϊ are Ι, ϋ ΰ Ϋ are Υ.
const std::map<int, int> kDialytikaFolds = {
    {0xFA, 0xC9}, {0xC0, 0xC9}, {0xDA, 0xC9}, {0xFB, 0xD5}, {0xE0, 0xD5}, {0xDB, 0xD5},
};

struct Values
{
    int classical;
    int positional;
};

// Windows-1253 code of a plain capital -> its value in the two systems.
const std::map<int, Values> kValueTable = {
    {0xC1, {1, 1}},    {0xC2, {2, 2}},    {0xC3, {3, 3}},    {0xC4, {4, 4}},    {0xC5, {5, 5}},
    {0xC6, {7, 6}},    {0xC7, {8, 7}},    {0xC8, {9, 8}},    {0xC9, {10, 9}},   {0xCA, {20, 10}},
    {0xCB, {30, 11}},  {0xCC, {40, 12}},  {0xCD, {50, 13}},  {0xCE, {60, 14}},  {0xCF, {70, 15}},
    {0xD0, {80, 16}},  {0xD1, {100, 17}}, {0xD3, {200, 18}}, {0xD4, {300, 19}}, {0xD5, {400, 20}},
    {0xD6, {500, 21}}, {0xD7, {600, 22}}, {0xD8, {700, 23}}, {0xD9, {800, 24}},
};

std::optional<char32_t> Decode1253(int code)
{
    return DecodeWindows1253(static_cast<unsigned char>(code));
}

int FoldedCode(int code)
{
    if (const auto it = kFoldTable.find(code); it != kFoldTable.end())
        return it->second;
    if (const auto it = kDialytikaFolds.find(code); it != kDialytikaFolds.end())
        return it->second;
    return code;
}

} // namespace

TEST_CASE("the converter knows the code page")
{
    // Without a working converter every code would be passed over and prove nothing.
    CHECK(Decode1253(0xC1) == std::optional<char32_t>(U'\u0391'));
    CHECK(Decode1253(0xF2) == std::optional<char32_t>(U'\u03C2'));
    int assigned = 0;
    for (int code = 0; code < 256; ++code)
        assigned += Decode1253(code).has_value();
    CHECK_MESSAGE(assigned >= 239, "the CP1253 converter is missing most of the code page");
}

TEST_CASE("every code")
{
    for (int code = 0; code < 256; ++code) {
        INFO("code 0x" << std::hex << code);
        const std::optional<char32_t> c = Decode1253(code);
        if (!c) {
            // Unassigned codes can never reach the calculation; none of them is in a table.
            CHECK((!kFoldTable.contains(code) && !kValueTable.contains(code)));
            continue;
        }

        const int foldedCode = FoldedCode(code);
        const std::optional<char32_t> folded = Decode1253(foldedCode);
        REQUIRE(folded.has_value());
        CHECK(FoldChar(*c) == *folded);

        const auto value = kValueTable.find(foldedCode);
        const int classical = value == kValueTable.end() ? 0 : value->second.classical;
        const int positional = value == kValueTable.end() ? 0 : value->second.positional;
        CHECK(LetterValue(*c, vsClassical) == classical);
        CHECK(LetterValue(*c, vsPositional) == positional);
        CHECK(LetterIndex(*c) == positional);

        const std::u32string text(1, *c);
        const std::string u8 = Utf8Of(text);
        const std::u16string u16 = Utf16Of(text);
        CHECK(ClassicalValue(u8) == classical);
        CHECK(ClassicalValue(u16) == classical);
        CHECK(PositionalValue(u8) == positional);
        CHECK(PositionalValue(u16) == positional);
        CHECK(FoldText(u16) == Utf16Of(std::u32string(1, *folded)));
        CHECK(FoldText(u8) == Utf8Of(std::u32string(1, *folded)));
    }
}

// The whole code page in one text: folding keeps every position, and the sum
// is the sum of the tables.
TEST_CASE("the whole code page as one text")
{
    std::u32string text, expected;
    long long classical = 0, positional = 0;
    for (int code = 0; code < 256; ++code) {
        const std::optional<char32_t> c = Decode1253(code);
        if (!c)
            continue;
        text += *c;
        const int foldedCode = FoldedCode(code);
        expected += *Decode1253(foldedCode);
        if (const auto v = kValueTable.find(foldedCode); v != kValueTable.end()) {
            classical += v->second.classical;
            positional += v->second.positional;
        }
    }
    const std::u16string u16 = Utf16Of(text);
    const std::string u8 = Utf8Of(text);

    CHECK(FoldText(u16) == Utf16Of(expected));
    CHECK(FoldText(u8) == Utf8Of(expected));
    CHECK(CalculateWordValue(u16, vsClassical).WordValue == classical);
    CHECK(CalculateWordValue(u8, vsClassical).WordValue == classical);
    CHECK(CalculateWordValue(u16, vsPositional).WordValue == positional);
    CHECK(CalculateWordValue(u8, vsPositional).WordValue == positional);
}
