// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// --explain: one row per character, its value, code point and fold.
#include "Lookalikes.h"
#include "Session.h"
#include "WordValue.h"

namespace psifonomoi::cli {
namespace {

constexpr bool IsVowel(int letterIndex)
{
    // Α Ε Η Ι Ο Υ Ω
    return letterIndex == 1 || letterIndex == 5 || letterIndex == 7 || letterIndex == 9 ||
           letterIndex == 15 || letterIndex == 20 || letterIndex == 24;
}

} // namespace

bool Session::Pad(std::size_t width, std::size_t used)
{
    for (; used < width; ++used)
        m_out.Put(' ');
    return !m_out.Failed();
}

bool Session::ExplainValues(const Values &values)
{
    for (std::size_t i = 0; i < m_systemCount; ++i) {
        const auto v = static_cast<std::uint64_t>(values[i]);
        Pad(m_widths[i] + 2, DigitCount(v));
        m_out.AppendNumber(v);
    }
    return m_out.Append("  ");
}

bool Session::ExplainDash()
{
    for (std::size_t i = 0; i < m_systemCount; ++i) {
        Pad(m_widths[i] + 1, 0);
        m_out.Put('-');
    }
    return m_out.Append("  ");
}

// Why a character that is no letter adds what it does (empty for a letter).
std::string Session::ExplainNote(char32_t c, bool counts) const
{
    if (LetterIndex(c) != 0)
        return {};
    if (m_options.iotaAdscript && HasIotaSubscript(c))
        return "iota subscript: adds the iota below";
    if (const int numeral = NumeralLetterValue(c)) {
        // Counted by the full numerals only: say so wherever it shows 0.
        std::string note = counts ? "numeral letter" : "adds nothing here: numeral letter";
        if (!counts || m_systemCount > 1)
            note += ", worth " + std::to_string(numeral) + " in milesian";
        return note;
    }
    std::string note = "adds nothing";
    if (const Lookalike *look = FindLookalike(c)) {
        note += ": ";
        note += look->name;
        note += ", looks like Greek ";
        AppendUtf8(note, look->greek);
    }
    return note;
}

// One row: value(s), code point, the character, its fold or why it adds nothing.
// In CSV: line, code point, character, fold, value(s), note.
bool Session::ExplainChar(char32_t c, std::string_view bytes, std::uint64_t number)
{
    Values values{};
    bool counts = false;
    for (std::size_t i = 0; i < m_systemCount; ++i) {
        values[i] = LetterValue(c, m_systems[i]);
        counts = counts || values[i] != 0;
    }
    char code[16] = "U+";
    std::size_t codeLen = 2;
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        code[codeLen++] = kHexDigits[(c >> shift) & 0xF];
    std::string folded;
    if (LetterIndex(c) != 0)
        AppendUtf8(folded, FoldChar(c));

    if (m_options.csv) {
        NumberField(number);
        Field({code, codeLen});
        TextField(bytes);
        TextField(folded);
        for (std::size_t i = 0; i < m_systemCount; ++i)
            NumberField(static_cast<std::uint64_t>(values[i]));
        TextField(ExplainNote(c, counts));
        return EndRow();
    }

    ExplainValues(values);
    m_out.Append({code, codeLen});
    Pad(9, codeLen);
    // The character itself, made visible when it would not be (controls,
    // separators and bidi controls come out escaped).
    if (c == U' ')
        m_out.Append("(space)");
    else if (c == 0xA0)
        m_out.Append("(no-break space)");
    else if (c >= 0x0300 && c < 0x0370) { // combining marks, shown on a dotted circle
        m_out.Append("\u25CC");
        m_out.Append(bytes);
    } else
        m_out.AppendEscaped(bytes);
    if (!folded.empty()) {
        m_out.Append(" \u2192 ");
        m_out.Append(folded);
    } else {
        m_out.Append("  ");
        m_out.Append(ExplainNote(c, counts));
    }
    return m_out.Put('\n');
}

// Under the total: letters (vowels and consonants), words, and characters that
// count nothing in the systems shown. Riddles give such counts as clues.
bool Session::ExplainCounts(std::string_view utf8)
{
    std::uint64_t vowels = 0, consonants = 0, words = 0, nothing = 0;
    bool inWord = false;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(utf8, pos, c);
        pos += len ? len : 1;
        const int index = LetterIndex(c);
        const bool iota = m_options.iotaAdscript && HasIotaSubscript(c);
        vowels += iota; // the iota written beside
        if (index)
            ++(IsVowel(index) ? vowels : consonants);
        else if (!iota && LetterValue(c, m_systems[0]) == 0) // numeral letters count in milesian
            ++nothing;
        const bool separator = IsWordSeparator(c);
        words += !separator && !inWord;
        inWord = !separator;
    }
    std::size_t indent = 2; // under the word "total"
    for (std::size_t i = 0; i < m_systemCount; ++i)
        indent += m_widths[i] + 2;
    Pad(indent, 0);
    m_out.Append("letters ");
    m_out.AppendNumber(vowels + consonants);
    m_out.Append(" (vowels ");
    m_out.AppendNumber(vowels);
    m_out.Append(", consonants ");
    m_out.AppendNumber(consonants);
    m_out.Append("), words ");
    m_out.AppendNumber(words);
    m_out.Append(", characters that count nothing ");
    m_out.AppendNumber(nothing);
    return m_out.Put('\n');
}

// The rows of a text's characters, one row per character.
bool Session::ExplainText(std::string_view utf8, std::uint64_t number)
{
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = 0;
        std::size_t len = DecodeUtf8(utf8, pos, c);
        if (len == 0) { // decoded text is well formed; guard against looping all the same
            c = 0xFFFD;
            len = 1;
        }
        if (!ExplainChar(c, utf8.substr(pos, len), number))
            return false;
        if (m_options.iotaAdscript && HasIotaSubscript(c) && !ExplainIota(number))
            return false;
        pos += len;
    }
    return true;
}

// The row of a byte that is not valid in the input's encoding: no code point,
// fold or value.
bool Session::ExplainBadByte(unsigned char byte, std::uint64_t number)
{
    if (m_options.csv) {
        NumberField(number);
        Field("");
        Field(EscapedByte(byte));
        Field("");
        for (std::size_t i = 0; i < m_systemCount; ++i)
            Field("");
        Field("not valid " + m_decoder.Name());
        return EndRow();
    }
    ExplainDash();
    m_out.Append(HexByte(byte));
    m_out.Append("    not valid ");
    m_out.Append(m_decoder.Name());
    return m_out.Put('\n');
}

// With --iota-adscript, the iota that a subscript stands for, on a row of its
// own under its letter: what it adds is then plain to see.
bool Session::ExplainIota(std::uint64_t number)
{
    Values values{};
    for (std::size_t i = 0; i < m_systemCount; ++i)
        values[i] = IotaValue(i);
    if (m_options.csv) {
        NumberField(number);
        Field("");
        Field("");
        TextField("Ι");
        for (std::size_t i = 0; i < m_systemCount; ++i)
            NumberField(static_cast<std::uint64_t>(values[i]));
        Field("iota adscript");
        return EndRow();
    }
    ExplainValues(values);
    Pad(9, 0);
    m_out.Append("+ ι \u2192 Ι  iota adscript");
    return m_out.Put('\n');
}

// Under the rows: the total and its primary number(s), then the counts; or,
// for a text that is not valid, why there is no total.
bool Session::ExplainTotal(const DecodedLine &line, const Values &values)
{
    if (!line.Valid()) {
        ExplainDash();
        m_out.Append("no total: the text is not valid ");
        m_out.Append(m_decoder.Name());
        return m_out.Put('\n');
    }
    ExplainValues(values);
    if (m_systemCount > 1) {
        m_out.Append("total; primary numbers ");
        m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(values[0])));
        m_out.Append(" (classical), ");
        m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(values[1])));
        m_out.Append(" (positional)\n");
    } else {
        m_out.Append("total, primary number ");
        m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(values[0])));
        m_out.Put('\n');
    }
    return ExplainCounts(line.text);
}

// One block per text: a heading, one row per character (value, code point,
// character, and either its folded capital or why it adds nothing), a total
// and the counts.
//
//   line 1: λoγος
//       30  U+03BB   λ → Λ
//        0  U+006F   o  adds nothing: Latin small letter o, looks like Greek ο
//   ...
//      303  total, primary number 6
//           letters 4 (vowels 1, consonants 3), words 1, characters that count nothing 1
bool Session::Explain(std::string_view raw, const DecodedLine &line, bool isArgument,
                      std::uint64_t number)
{
    const Values values = ValuesOf(line.text);
    if (!line.Valid() && m_options.find)
        return true;
    if (!Matches(values))
        return true;
    for (std::size_t i = 0; i < m_systemCount; ++i)
        m_widths[i] = DigitCount(static_cast<std::uint64_t>(values[i]));

    if (!m_options.csv) {
        m_out.Append(isArgument ? "argument " : "line ");
        m_out.AppendNumber(number);
        m_out.Append(": ");
        AppendText(raw, line);
        m_fields = 0;
        m_out.Put('\n');
    }

    if (line.Valid()) {
        ExplainText(line.text, number);
    } else {
        PiecesOf rows(
            [&](std::string_view utf8) { return ExplainText(utf8, number); },
            [&](std::size_t, unsigned char byte) { return ExplainBadByte(byte, number); });
        m_decoder.Walk(raw, rows);
    }

    if (m_options.csv) // one row per character only: totals and counts follow from them
        return !m_out.Failed();
    ExplainTotal(line, values);
    return m_out.Put('\n');
}

} // namespace psifonomoi::cli
