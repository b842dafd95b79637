// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// --group and --runs: records (lines, or blocks of lines with --paragraphs)
// gathered and compared, rather than valued one by one.
#include "Session.h"
#include "WordValue.h"

#include <algorithm>

namespace psifonomoi::cli {

bool IsWordSeparator(char32_t c)
{
    if (c < 0x80) // ASCII: all but letters and digits
        return !((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9');
    if (c < 0xC0) // C1 controls, no-break space and Latin-1 punctuation («» · ...)
        return c != 0xAA && c != 0xB5 && c != 0xBA;
    return c == 0xD7 || c == 0xF7 || c == 0x037E || c == 0x0387 || // × ÷ Greek ; and ·
           (c >= 0x2000 && c <= 0x206F) ||                         // spaces, dashes, quotes
           (c >= 0x2E00 && c <= 0x2E7F) || (c >= 0x3000 && c <= 0x3003) || c == 0xFEFF;
}

bool Session::Line(const DecodedLine &line, std::uint64_t number)
{
    if (!m_options.paragraphs)
        return !line.Valid() || Record(line.text, number); // invalid lines are only reported
    // A blank line (nothing but spaces and tabs) ends a paragraph.
    if (line.Valid() && line.text.find_first_not_of(" \t") == std::string_view::npos)
        return EndParagraph();
    if (!m_inParagraph) {
        m_inParagraph = true;
        m_paragraphInvalid = false;
        m_paragraphLine = number;
        m_paragraph.clear();
    } else {
        m_paragraph += " / ";
    }
    // A paragraph with an invalid line is left out whole, as the line would be.
    m_paragraphInvalid = m_paragraphInvalid || !line.Valid();
    if (!m_paragraphInvalid)
        m_paragraph += line.text;
    return true;
}

bool Session::EndParagraph()
{
    if (!m_inParagraph)
        return true;
    m_inParagraph = false;
    return m_paragraphInvalid || Record(m_paragraph, m_paragraphLine);
}

bool Session::Record(std::string_view text, std::uint64_t number)
{
    if (m_options.runs)
        return Runs(text, number);
    // Blank lines and text without letters all share 0, which pairs nothing.
    const WordValueInt value = ValueOf(text, m_systems[0]);
    if (value == 0 || (m_options.find && value != *m_options.find))
        return true;
    // One copy of the text, in one arena: nothing per system, no allocation per record.
    m_stored.push_back({value, number, m_arena.size(), text.size()});
    m_arena.append(text);
    return true;
}

bool Session::WriteGroups()
{
    // Records arrive in line order, so a stable sort by value orders each
    // group by line number.
    std::stable_sort(m_stored.begin(), m_stored.end(),
                     [](const Stored &a, const Stored &b) { return a.value < b.value; });
    for (std::size_t first = 0; first < m_stored.size();) {
        std::size_t end = first + 1;
        while (end < m_stored.size() && m_stored[end].value == m_stored[first].value)
            ++end;
        for (std::size_t i = first; end - first > 1 && i < end; ++i) {
            const Stored &r = m_stored[i];
            ValueFields(r.value);
            NumberField(r.line);
            if (!TextField(std::string_view(m_arena).substr(r.offset, r.length)) || !EndRow())
                return false;
        }
        first = end;
    }
    return true;
}

// Runs of consecutive words worth N in all. Word values are never negative, so
// the prefix sums never decrease: for each end, the start is the last word
// boundary whose prefix is the sum at the end minus N, if there is one, and it
// only moves forward. One pass, however long the record.
bool Session::Runs(std::string_view text, std::uint64_t number)
{
    m_wordStart.clear();
    m_wordEnd.clear();
    m_prefix.assign(1, 0);
    bool inWord = false;
    for (std::size_t pos = 0; pos <= text.size();) {
        char32_t c = U' ';
        std::size_t len = 1;
        if (pos < text.size())
            len = DecodeUtf8(text, pos, c);
        const bool separator = IsWordSeparator(c);
        if (!separator && !inWord)
            m_wordStart.push_back(pos);
        if (separator && inWord) {
            m_wordEnd.push_back(pos);
            const std::size_t start = m_wordStart.back();
            m_prefix.push_back(m_prefix.back() +
                               ValueOf(text.substr(start, pos - start), m_systems[0]));
        }
        inWord = !separator;
        pos += len ? len : 1;
    }

    const WordValueInt target = *m_options.find;
    const std::size_t words = m_wordEnd.size();
    const std::size_t maxWords = m_options.maxWords ? m_options.maxWords : words;
    std::size_t start = 0; // the last boundary whose prefix is at most the goal
    for (std::size_t end = 1; end <= words; ++end) {
        if (m_prefix[end] == m_prefix[end - 1] || m_prefix[end] < target)
            continue; // a word worth 0 cannot end a run; or too little so far
        const WordValueInt goal = m_prefix[end] - target;
        while (start + 1 <= words && m_prefix[start + 1] <= goal)
            ++start;
        // At the last boundary with this prefix, the next word is worth more than 0.
        if (m_prefix[start] != goal || start >= end || end - start > maxWords)
            continue;
        ValueFields(target);
        NumberField(number);
        NumberField(start + 1);
        NumberField(end - start);
        if (!TextField(text.substr(m_wordStart[start], m_wordEnd[end - 1] - m_wordStart[start])) ||
            !EndRow())
            return false;
    }
    return true;
}

} // namespace psifonomoi::cli
