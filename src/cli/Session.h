// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One run of psifonomoi-cli over its texts or input lines, and the helpers
// its parts share. Internal to the command line.
#pragma once

#include "Cli.h"
#include "CliOptions.h"
#include "LineDecoder.h"
#include "OutputBuffer.h"

#include "LineValues.h"
#include "WordValue.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace psifonomoi::cli {

// Diagnostics are best effort: if the descriptor is gone there is no one left
// to tell, and the exit status still says what happened.
void WriteMessage(int fd, const std::string &message);
// A byte as messages name it: "0xHH".
std::string HexByte(unsigned char b);
// How many decimal digits n has.
std::size_t DigitCount(std::uint64_t n);

class Session
{
public:
    Session(const Options &options, LineDecoder &decoder, const IoConfig &io);

    // Values one line or argument. False only when the output cannot be written.
    bool Item(std::string_view raw, bool isArgument, std::uint64_t number);
    int ReadStream(int fd, std::size_t bufferSize);
    // Ends the run: the last paragraph, the groups, the flush; the exit status.
    int Finish();

private:
    // The values of a text in the one or two systems shown, in column order.
    using Values = std::array<WordValueInt, 2>;
    Values ValuesOf(std::string_view utf8) const;
    // A text's value in one system, with the iota adscript if asked for.
    WordValueInt ValueOf(std::string_view utf8, TValueSystem system) const;
    WordValueInt IotaValue(std::size_t column) const;
    bool Matches(const Values &values) const;
    bool ReportInvalid(const DecodedLine &line, bool isArgument, std::uint64_t number);

    // The fast path of plain rows (SessionPlain.cpp): UTF-8 input, one row per
    // line. Lines() values a block of whole lines in one pass and sends the
    // lines that need care to Item.
    bool Lines(std::string_view lines, std::uint64_t &number);
    template <std::size_t Systems, class SmallValues>
    bool PlainLines(std::string_view lines, std::uint64_t &number, const SmallValues &small);
    bool PlainRowByParts(std::string_view text, const Values &values);
    int WriteFailed();

    // Output rows: fields separated by tabs, the text last and escaped; or
    // with --csv, RFC 4180 records under a header row.
    void Header();
    void Separator();
    void NumberField(std::uint64_t n);
    void Field(std::string_view ascii);
    void ValueFields(WordValueInt value); // value, primary, numeral if asked for
    bool TextField(std::string_view utf8);
    bool EndRow();
    // The text of a line as echoed: escaped, with its bad bytes as \xHH.
    bool AppendText(std::string_view raw, const DecodedLine &line);

    // --explain
    bool Explain(std::string_view raw, const DecodedLine &line, bool isArgument,
                 std::uint64_t number);
    bool ExplainText(std::string_view utf8, std::uint64_t number);
    bool ExplainChar(char32_t c, std::string_view bytes, std::uint64_t number);
    bool ExplainBadByte(unsigned char byte, std::uint64_t number);
    bool ExplainIota(std::uint64_t number);
    bool ExplainTotal(const DecodedLine &line, const Values &values);
    std::string ExplainNote(char32_t c, bool counts) const;
    bool ExplainValues(const Values &values);
    bool ExplainDash();
    bool ExplainCounts(std::string_view utf8);
    bool Pad(std::size_t width, std::size_t used);

    // --group and --runs: records are lines, or blocks of lines (--paragraphs).
    bool Line(const DecodedLine &line, std::uint64_t number);
    bool EndParagraph();
    bool Record(std::string_view text, std::uint64_t number);
    bool Runs(std::string_view text, std::uint64_t number);
    bool WriteGroups();

    const Options &m_options;
    LineDecoder &m_decoder;
    OutputBuffer m_out;
    int m_err;
    std::array<std::size_t, 2> m_widths{}; // --explain: digits of each column's total
    std::size_t m_fields = 0;
    std::array<TValueSystem, 2> m_systems{};
    std::size_t m_systemCount = 1;
    bool m_sawInvalid = false;
    bool m_plainPath = false;                 // Lines() serves this run
    const PairTable *m_pairs = nullptr;       // its table
    std::array<bool, 2> m_positionalColumn{}; // which half of the table a column takes

    // The paragraph being gathered: its text joined with " / ", its first line.
    std::string m_paragraph;
    std::uint64_t m_paragraphLine = 0;
    bool m_inParagraph = false;
    bool m_paragraphInvalid = false;

    // --group: every record's value and line number, its text in one arena.
    struct Stored
    {
        WordValueInt value;
        std::uint64_t line;
        std::size_t offset, length;
    };
    std::vector<Stored> m_stored;
    std::string m_arena;

    // --runs: the words of the record and the prefix sums of their values.
    std::vector<std::size_t> m_wordStart, m_wordEnd;
    std::vector<WordValueInt> m_prefix;
};

// Whether c separates words: white space, controls and punctuation.
bool IsWordSeparator(char32_t c);

} // namespace psifonomoi::cli
