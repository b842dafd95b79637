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
#include <memory>

namespace psifonomoi::cli {

namespace {

// The columns of each value below 10000, the common case, ready to copy: its
// digits, the separator, its primary number, the separator again and, for
// --numeral, the numeral and a separator. A value then costs one look-up and
// one copy, instead of divisions for the digits and the primary number, a call
// for the numeral and a write per byte.
template <std::size_t Size> struct SmallValue
{
    char columns[Size - 1]; // past `length`, bytes the next write covers
    unsigned char length;
};
constexpr std::size_t kSmallValues = 10000;
// A numeral below 10000 takes at most ͵ and a letter, three letters and the
// keraia: twelve bytes.
constexpr std::size_t kPlainColumns = 8, kNumeralColumns = 24;
template <std::size_t Size> using SmallValueTable = std::array<SmallValue<Size>, kSmallValues>;

template <std::size_t Size>
std::unique_ptr<const SmallValueTable<Size>> MakeSmallValues(char separator, NumeralCase numeral)
{
    auto t = std::make_unique<SmallValueTable<Size>>();
    for (std::size_t n = 0; n < kSmallValues; ++n) {
        char *const columns = (*t)[n].columns;
        const auto digits = static_cast<std::size_t>(1 + (n >= 10) + (n >= 100) + (n >= 1000));
        for (std::size_t k = digits, rest = n; k-- > 0; rest /= 10)
            columns[k] = static_cast<char>('0' + rest % 10);
        char *p = columns + digits;
        *p++ = separator;
        *p++ = static_cast<char>('0' + PrimaryNumber(static_cast<WordValueInt>(n)));
        *p++ = separator;
        if (numeral != NumeralCase::None) {
            char letters[kNumeralMax];
            const std::size_t length = GreekNumeral(n, numeral == NumeralCase::Upper, letters);
            if (length == 0)
                *p++ = '-';
            std::memcpy(p, letters, length);
            p += length;
            *p++ = separator;
        }
        (*t)[n].length = static_cast<unsigned char>(p - columns);
    }
    return t;
}

// Made on first use, for the separator and numerals asked for: a run wants
// one of these tables.
template <std::size_t Size> const SmallValueTable<Size> &SmallValues(bool csv, NumeralCase numeral)
{
    static std::unique_ptr<const SmallValueTable<Size>> tables[2][3];
    auto &table = tables[csv][static_cast<std::size_t>(numeral)];
    if (!table)
        table = MakeSmallValues<Size>(csv ? ',' : '\t', numeral);
    return *table;
}

// What a row looks like, read from the options once a block: the writes of
// a row go through char pointers, which could alias any member, so settings
// read from members would be read again for every row.
struct RowFormat
{
    char separator;
    bool csv;
    NumeralCase numeral;
};

// Writes the row of a plain line with `Systems` values at `out`, which has
// room for it and for the reader's slack past the text; returns the end. A
// plain line needs no escaping, nor in CSV quotes: its table took commas and
// quotes for care.
template <std::size_t Systems, std::size_t Size>
char *WriteRow(char *out, std::string_view text, const std::array<WordValueInt, 2> &values,
               const SmallValueTable<Size> &small, const RowFormat &format)
{
    for (std::size_t i = 0; i < Systems; ++i) {
        // Word values are sums of letter values, never negative.
        const auto value = static_cast<std::uint64_t>(values[i]);
        if (value < kSmallValues) [[likely]] {
            const SmallValue<Size> &columns = small[value];
            std::memcpy(out, &columns, sizeof columns);
            out += columns.length;
            continue;
        }
        out = PutDecimal(out, value);
        *out++ = format.separator;
        *out++ = static_cast<char>('0' + PrimaryNumber(values[i]));
        *out++ = format.separator;
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
        std::memcpy(out, text.data(), LineReader::kSlack);
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
    const bool csv = m_options.csv, two = m_systemCount == 2;
    if (m_options.numeral == NumeralCase::None) {
        const auto &small = SmallValues<kPlainColumns>(csv, NumeralCase::None);
        return two ? PlainLines<2>(lines, number, small) : PlainLines<1>(lines, number, small);
    }
    const auto &small = SmallValues<kNumeralColumns>(csv, m_options.numeral);
    return two ? PlainLines<2>(lines, number, small) : PlainLines<1>(lines, number, small);
}

template <std::size_t Systems, class SmallValues>
bool Session::PlainLines(std::string_view lines, std::uint64_t &number, const SmallValues &small)
{
    const RowFormat format{m_options.csv ? ',' : '\t', m_options.csv, m_options.numeral};
    const std::array<bool, 2> positional = m_positionalColumn;
    const bool iotaAdscript = m_options.iotaAdscript, find = m_options.find.has_value();
    const std::size_t rowMax = Systems * (2 * 20 + kNumeralMax + 3) + LineReader::kSlack;
    // Rows go straight into the output buffer's free room, held in locals for
    // the same reason as the format; they are handed back before anything
    // else writes.
    std::uint64_t n = number;
    char *start = nullptr, *out = nullptr, *end = nullptr;
    const auto handBack = [&] {
        m_out.Wrote(static_cast<std::size_t>(out - start));
        start = out = end = nullptr;
    };
    const bool ok = ValueLines(
        lines, *m_pairs, [&](const LineValues &line) __attribute__((always_inline)) {
            ++n;
            if (!line.plain) {
                handBack();
                return Item(line.text, false, n);
            }
            Values values{};
            for (std::size_t i = 0; i < Systems; ++i)
                values[i] = positional[i] ? line.positional : line.first;
            if (iotaAdscript) [[unlikely]] {
                const auto iotas = static_cast<WordValueInt>(IotaSubscriptCount(line.text));
                for (std::size_t i = 0; i < Systems; ++i)
                    values[i] += iotas * IotaValue(i);
            }
            if (find && !Matches(values))
                return true;
            const std::size_t size = line.text.size() + rowMax;
            if (static_cast<std::size_t>(end - out) < size) [[unlikely]] {
                handBack();
                start = out = m_out.Room(size, end);
                if (!start)
                    return PlainRowByParts(line.text, values);
            }
            out = WriteRow<Systems>(out, line.text, values, small, format);
            return true;
        });
    handBack();
    number = n;
    return ok;
}

bool Session::PlainRowByParts(std::string_view text, const Values &values)
{
    // Only a line longer than the output buffer comes here.
    for (std::size_t i = 0; i < m_systemCount; ++i)
        ValueFields(values[i]);
    return TextField(text) && EndRow();
}

} // namespace psifonomoi::cli
