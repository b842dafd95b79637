// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The block-at-a-time pass against the exact, line-at-a-time functions: a line
// it calls plain must be valid, hold nothing to escape and have exactly the
// values SystemValue gives; and it must call plain what is plain, or the fast
// path would be no faster. Each fragment stands at every offset in a word.
#include "ByteScan.h"
#include "LineValues.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace psifonomoi;

namespace {

// What may not stand in a plain line: controls, backslash, DEL, and the lead
// bytes of the C1 controls (C2) and of every longer sequence (E0 and up).
bool HasEscapeOrLongSequence(std::string_view text)
{
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == '\\' || b == 0x7F || b == 0xC2 || b >= 0xE0)
            return true;
    }
    return false;
}

} // namespace

TEST_CASE("lines valued a block at a time")
{
    struct Row
    {
        const char *name;
        std::string fragment;
        bool plain;
    };
    const Row rows[] = {
        {"Greek word", "Ιησούς", true},
        {"Latin and punctuation", "abc; 1-2 (q)", true},
        {"comma", "α, β", true},
        {"quotes", "\"α\"", true},
        {"Latin-1 letter", "é", true},
        {"combining ypogegrammeni", "ω\u0345", true},
        {"stigma (two bytes, milesian)", "ϛ", true},
        {"empty", "", true},
        {"tab", "α\tβ", false},
        {"NUL", std::string("α\0β", 5), false},
        {"lone CR", "α\rβ", false},
        {"CR CR", "α\r\r", false},
        {"backslash", "α\\β", false},
        {"DEL", "α\x7f", false},
        {"C1 control", "\xc2\x85", false},
        {"no-break space (C2 lead)", "\xc2\xa0", false},
        {"polytonic (three bytes)", "ᾠδή", false},
        {"ohm sign", "\u2126", false},
        {"bidi control", "\u202e", false},
        {"stray continuation", "α\xb1", false},
        {"lead without continuation", "\xce", false},
        {"lead then lead", "\xce\xce\xb1", false},
        {"overlong", "\xc0\xaf", false},
        {"overlong C1", "\xc1\x81", false},
        {"surrogate", "\xed\xa0\x80", false},
        {"past U+10FFFF", "\xf4\x90\x80\x80", false},
        {"0xFF", "\xff", false},
    };
    struct Table
    {
        TValueSystem system;
        bool csv;
    };
    const Table tables[] = {
        {vsClassical, false}, {vsMilesian, false}, {vsClassical, true}, {vsMilesian, true}};
    for (const Row &row : rows) {
        for (std::size_t offset = 0; offset < 17; ++offset) {
            for (const char *ending : {"\n", "\r\n"}) {
                INFO(row.name, " at offset ", offset, ending[0] == '\r' ? " (CR LF)" : "");
                // The fragment's line between two lines of letters, each
                // long enough to cross words.
                const std::string line = std::string(offset, 'a') + row.fragment + "ξ";
                const std::string block = "ΑΓΑΠΗ αγάπη\n" + line + ending + "ω\n";
                for (const auto &[system, csv] : tables) {
                    // CSV quotes a field with a comma or a quote: not plain there.
                    const bool quoted = row.fragment.find_first_of(",\"") != std::string::npos;
                    std::vector<LineValues> lines;
                    CHECK(ValueLines(block, PairValues(system, csv), [&](const LineValues &l) {
                        lines.push_back(l);
                        return true;
                    }));
                    REQUIRE(lines.size() == 3);
                    CHECK(lines[1].text == line);
                    CHECK(lines[1].plain == (row.plain && !(csv && quoted)));
                    for (const LineValues &l : lines) {
                        if (!l.plain)
                            continue;
                        CHECK(FindInvalidUtf8(l.text) == std::string_view::npos);
                        CHECK_FALSE(HasEscapeOrLongSequence(l.text));
                        CHECK((!csv || l.text.find_first_of(",\"") == std::string_view::npos));
                        CHECK(l.first == SystemValue(l.text, system));
                        CHECK(l.positional == SystemValue(l.text, vsPositional));
                    }
                }
            }
        }
    }
}

TEST_CASE("a block stops when its reader does")
{
    int seen = 0;
    CHECK_FALSE(ValueLines("α\nβ\nγ\n", PairValues(vsClassical),
                           [&](const LineValues &) { return ++seen < 2; }));
    CHECK(seen == 2);
}

TEST_CASE("short lines, several ending in one word")
{
    // Lines of a few bytes put up to eight line feeds in a word, and more lines
    // in a block than the pass hands on at once.
    struct Row
    {
        const char *name;
        std::string piece; // line i is this, i % 4 times
        std::string ending;
    };
    const Row rows[] = {
        {"Greek letters", "α", "\n"}, {"Latin letters", "a", "\n"}, {"mixed", "aβ", "\n"},
        {"CR LF", "ω", "\r\n"},       {"not plain", "\xff", "\n"},
    };
    constexpr int kLines = 300;
    for (const Row &row : rows) {
        INFO(row.name);
        std::string block;
        std::vector<std::string> expected;
        for (int i = 0; i < kLines; ++i) {
            std::string line;
            for (int k = 0; k < i % 4; ++k)
                line += row.piece;
            block += line + row.ending;
            expected.push_back(line);
        }
        std::vector<LineValues> lines;
        CHECK(ValueLines(block, PairValues(vsClassical), [&](const LineValues &l) {
            lines.push_back(l);
            return true;
        }));
        REQUIRE(lines.size() == expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            INFO("line ", i);
            CHECK(lines[i].text == expected[i]);
            CHECK(lines[i].plain == (expected[i].empty() || row.piece != "\xff"));
            if (lines[i].plain) {
                CHECK(lines[i].first == SystemValue(expected[i], vsClassical));
                CHECK(lines[i].positional == SystemValue(expected[i], vsPositional));
            }
        }
        for (const int stop : {1, 63, 64, 65, 129, kLines}) {
            INFO("stopping at line ", stop);
            int seen = 0;
            CHECK_FALSE(ValueLines(block, PairValues(vsClassical),
                                   [&](const LineValues &) { return ++seen < stop; }));
            CHECK(seen == stop);
        }
    }
}

TEST_CASE("lines across the pass's stretches")
{
    // The pass takes a block a few thousand bytes at a time: a line may start
    // in one stretch and end many later, and its line feed, or a fault next to
    // it, may fall on either side of a stretch's edge.
    struct Row
    {
        const char *name;
        std::string piece;
        bool plain;
    };
    const Row rows[] = {
        {"Greek", "ω", true},
        {"lead before the line feed", "ω\xce", false},
        {"stray continuation", "\xb1", false},
        {"CR before the line feed", "ω\r", true},
    };
    for (const Row &row : rows) {
        for (const std::size_t letters : {1020, 1023, 1024, 1025, 2047, 40000}) {
            for (std::size_t offset = 0; offset < 10; ++offset) {
                INFO(row.name, ", ", letters, " letters after ", offset, " bytes");
                std::string line = std::string(offset, 'a');
                for (std::size_t i = 0; i + 1 < letters; ++i)
                    line += "ω";
                line += row.piece;
                const std::string block = "α\n" + line + "\nβ\n";
                std::vector<LineValues> lines;
                CHECK(ValueLines(block, PairValues(vsClassical), [&](const LineValues &l) {
                    lines.push_back(l);
                    return true;
                }));
                REQUIRE(lines.size() == 3);
                const std::string_view text =
                    row.piece.back() == '\r' ? std::string_view(line).substr(0, line.size() - 1)
                                             : std::string_view(line);
                CHECK(lines[1].text == text);
                CHECK(lines[1].plain == row.plain);
                CHECK(lines[2].text == "β");
                CHECK(lines[2].plain);
                CHECK(lines[2].first == 2);
                if (row.plain) {
                    CHECK(lines[1].first == SystemValue(text, vsClassical));
                    CHECK(lines[1].positional == SystemValue(text, vsPositional));
                }
            }
        }
    }
}

TEST_CASE("the bits of a byte in a word")
{
    // Every pattern of line feeds in a word, among bytes that differ from it by
    // one bit or share its high bit, found alike by both forms of the test.
    for (const unsigned char other : {0x00, 0x0B, 0x08, 0x8A, 0xFF, 0xCE}) {
        for (unsigned pattern = 0; pattern < 256; ++pattern) {
            unsigned char word[8];
            for (unsigned k = 0; k < 8; ++k)
                word[k] = pattern >> k & 1 ? '\n' : other;
            INFO("pattern ", pattern, " among ", unsigned(other));
            CHECK(ByteBits(word, '\n') == pattern);
            CHECK(ByteBitsPortable(word, '\n') == pattern);
        }
    }
}
