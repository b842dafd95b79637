// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The rows of plain lines, the bulk of any word list: valued a block at a time
// by ValueLines and written straight into the output buffer. Every other line
// takes Item, the one path that knows every case; this one must only ever
// give the same bytes as Item would.
#include "Session.h"

#include "LineReader.h"
#include "Numeral.h"

#include <cstring>

namespace psifonomoi::cli {

bool Session::Lines(std::string_view lines, std::uint64_t &number)
{
    return ValueLines(lines, *m_pairs, [&](const LineValues &line) {
        ++number;
        if (!line.plain)
            return Item(line.text, false, number);
        Values values{};
        for (std::size_t i = 0; i < m_systemCount; ++i)
            values[i] = m_positionalColumn[i] ? line.positional : line.first;
        if (m_options.iotaAdscript) [[unlikely]] {
            const auto iotas = static_cast<WordValueInt>(IotaSubscriptCount(line.text));
            for (std::size_t i = 0; i < m_systemCount; ++i)
                values[i] += iotas * IotaValue(i);
        }
        if (m_options.find && !Matches(values))
            return true;
        return PlainRow(line.text, values);
    });
}

bool Session::PlainRow(std::string_view text, const Values &values)
{
    // A plain line needs no escaping, nor in CSV quotes: its table took commas
    // and quotes for care. Only a line longer than the buffer is written by parts.
    const bool csv = m_options.csv;
    char *const start =
        m_out.Room(text.size() + m_systemCount * (2 * 20 + kNumeralMax + 3) + LineReader::kSlack);
    if (!start) {
        for (std::size_t i = 0; i < m_systemCount; ++i)
            ValueFields(values[i]);
        return TextField(text) && EndRow();
    }
    const char separator = csv ? ',' : '\t';
    char *out = start;
    for (std::size_t i = 0; i < m_systemCount; ++i) {
        // Word values are sums of letter values, never negative.
        const auto value = static_cast<std::uint64_t>(values[i]);
        out = PutDecimal(out, value);
        *out++ = separator;
        *out++ = static_cast<char>('0' + PrimaryNumber(values[i]));
        *out++ = separator;
        if (m_options.numeral != NumeralCase::None) {
            const std::size_t length =
                GreekNumeral(value, m_options.numeral == NumeralCase::Upper, out);
            if (length == 0)
                *out++ = '-';
            out += length;
            *out++ = separator;
        }
    }
    if (text.size() <= LineReader::kSlack) {
        // A whole number of words from the reader's buffer, whose slack covers
        // what lies past the text; the output's room covers it too.
        char words[LineReader::kSlack];
        std::memcpy(words, text.data(), sizeof words);
        std::memcpy(out, words, sizeof words);
    } else {
        CopyBytes(out, text);
    }
    out += text.size();
    if (csv)
        *out++ = '\r';
    *out++ = '\n';
    m_out.Wrote(static_cast<std::size_t>(out - start));
    return true;
}

} // namespace psifonomoi::cli
