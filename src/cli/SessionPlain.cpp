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

#include <array>
#include <cstring>

namespace psifonomoi::cli {

namespace {

// The columns of each value below 10000, the common case, ready to copy: its
// digits, the separator, its primary number and the separator again. A value
// then costs one look-up and one eight-byte copy, instead of two divisions for
// the digits, one for the primary number and a write per byte.
struct SmallValue
{
    char columns[7]; // past `length`, bytes the next write covers
    unsigned char length;
};
constexpr std::size_t kSmallValues = 10000;
using SmallValueTable = std::array<SmallValue, kSmallValues>;

SmallValueTable MakeSmallValues(char separator)
{
    SmallValueTable t{};
    for (std::size_t n = 0; n < kSmallValues; ++n) {
        SmallValue &v = t[n];
        const auto digits = static_cast<std::size_t>(1 + (n >= 10) + (n >= 100) + (n >= 1000));
        for (std::size_t k = digits, rest = n; k-- > 0; rest /= 10)
            v.columns[k] = static_cast<char>('0' + rest % 10);
        v.columns[digits] = separator;
        v.columns[digits + 1] =
            static_cast<char>('0' + PrimaryNumber(static_cast<WordValueInt>(n)));
        v.columns[digits + 2] = separator;
        v.length = static_cast<unsigned char>(digits + 3);
    }
    return t;
}

// Made on first use: 80 kB each, and a run wants one.
const SmallValueTable &SmallValues(bool csv)
{
    if (csv) {
        static const SmallValueTable table = MakeSmallValues(',');
        return table;
    }
    static const SmallValueTable table = MakeSmallValues('\t');
    return table;
}

// What a row looks like, read from the options once a block: the writes of
// a row go through char pointers, which could alias any member, so settings
// read from members would be read again for every row.
struct RowFormat
{
    std::size_t systems;
    const SmallValueTable *small;
    char separator;
    bool csv;
    NumeralCase numeral;
};

// Writes the row of a plain line at `out`, which has room for it and for the
// reader's slack past the text; returns the end. A plain line needs no
// escaping, nor in CSV quotes: its table took commas and quotes for care.
char *WriteRow(char *out, std::string_view text, const std::array<WordValueInt, 2> &values,
               const RowFormat &format)
{
    for (std::size_t i = 0; i < format.systems; ++i) {
        // Word values are sums of letter values, never negative.
        const auto value = static_cast<std::uint64_t>(values[i]);
        if (value < kSmallValues) [[likely]] {
            const SmallValue &small = (*format.small)[value];
            std::memcpy(out, &small, sizeof small);
            out += small.length;
        } else {
            out = PutDecimal(out, value);
            *out++ = format.separator;
            *out++ = static_cast<char>('0' + PrimaryNumber(values[i]));
            *out++ = format.separator;
        }
        if (format.numeral != NumeralCase::None) {
            const std::size_t length =
                GreekNumeral(value, format.numeral == NumeralCase::Upper, out);
            if (length == 0)
                *out++ = '-';
            out += length;
            *out++ = format.separator;
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
    if (format.csv)
        *out++ = '\r';
    *out++ = '\n';
    return out;
}

} // namespace

bool Session::Lines(std::string_view lines, std::uint64_t &number)
{
    const RowFormat format{m_systemCount, &SmallValues(m_options.csv), m_options.csv ? ',' : '\t',
                           m_options.csv, m_options.numeral};
    const std::array<bool, 2> positional = m_positionalColumn;
    const bool iotaAdscript = m_options.iotaAdscript, find = m_options.find.has_value();
    const std::size_t rowMax = format.systems * (2 * 20 + kNumeralMax + 3) + LineReader::kSlack;
    return ValueLines(lines, *m_pairs, [&](const LineValues &line) {
        ++number;
        if (!line.plain)
            return Item(line.text, false, number);
        Values values{};
        for (std::size_t i = 0; i < format.systems; ++i)
            values[i] = positional[i] ? line.positional : line.first;
        if (iotaAdscript) [[unlikely]] {
            const auto iotas = static_cast<WordValueInt>(IotaSubscriptCount(line.text));
            for (std::size_t i = 0; i < format.systems; ++i)
                values[i] += iotas * IotaValue(i);
        }
        if (find && !Matches(values))
            return true;
        char *const start = m_out.Room(line.text.size() + rowMax);
        if (!start) [[unlikely]]
            return PlainRowByParts(line.text, values);
        m_out.Wrote(static_cast<std::size_t>(WriteRow(start, line.text, values, format) - start));
        return true;
    });
}

bool Session::PlainRowByParts(std::string_view text, const Values &values)
{
    // Only a line longer than the output buffer comes here.
    for (std::size_t i = 0; i < m_systemCount; ++i)
        ValueFields(values[i]);
    return TextField(text) && EndRow();
}

} // namespace psifonomoi::cli
