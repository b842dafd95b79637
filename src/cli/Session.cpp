// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Session.h"

#include "ByteScan.h"
#include "Device.h"
#include "LineReader.h"
#include "Numeral.h"
#include "WordValue.h"

#include <cstring>

namespace psifonomoi::cli {

void WriteMessage(int fd, const std::string &message)
{
    // Diagnostics are best effort: if standard error is gone there is no one
    // left to tell, and the exit status still says what happened.
    OutputDevice(fd).Write(message.data(), message.size());
}

std::string HexByte(unsigned char b)
{
    return {'0', 'x', kHexDigits[b >> 4], kHexDigits[b & 0xF]};
}

std::size_t DigitCount(std::uint64_t n)
{
    char tmp[20];
    return FormatDecimal(n, tmp);
}

namespace {

// Whether a CSV field must be quoted: it holds a comma, a quote, CR or LF.
// Eight bytes at a time, as most fields need nothing.
bool NeedsQuotes(std::string_view s)
{
    std::size_t i = 0;
    for (std::uint64_t w; i + 8 <= s.size(); i += 8) {
        std::memcpy(&w, s.data() + i, 8);
        if (HasByte(w, ',') | HasByte(w, '"') | HasByte(w, '\r') | HasByte(w, '\n'))
            return true;
    }
    for (; i < s.size(); ++i)
        if (s[i] == ',' || s[i] == '"' || s[i] == '\r' || s[i] == '\n')
            return true;
    return false;
}

constexpr std::string_view SystemName(TValueSystem system)
{
    return system == vsClassical ? "classical" : system == vsMilesian ? "milesian" : "positional";
}

} // namespace

Session::Session(const Options &options, LineDecoder &decoder, const IoConfig &io)
    : m_options(options), m_decoder(decoder), m_out(io.out, io.outputBuffer), m_err(io.err)
{
    switch (options.system) {
    case SystemChoice::Classical:
        m_systems[0] = vsClassical;
        break;
    case SystemChoice::Positional:
        m_systems[0] = vsPositional;
        break;
    case SystemChoice::Milesian:
        m_systems[0] = vsMilesian;
        break;
    case SystemChoice::Both:
        m_systems = {vsClassical, vsPositional};
        m_systemCount = 2;
        break;
    }
    m_plainPath = decoder.IsUtf8() && !options.explain && !options.group && !options.runs;
    if (m_plainPath) // the table is made on first use: only runs that read lines want it
        m_pairs = &PairValues(m_systems[0] == vsMilesian ? vsMilesian : vsClassical, options.csv);
    for (std::size_t i = 0; i < m_systemCount; ++i)
        m_positionalColumn[i] = m_systems[i] == vsPositional;
    if (options.csv)
        Header();
}

WordValueInt Session::ValueOf(std::string_view utf8, TValueSystem system) const
{
    const WordValueInt value = SystemValue(utf8, system);
    if (!m_options.iotaAdscript)
        return value;
    return value + static_cast<WordValueInt>(IotaSubscriptCount(utf8)) * LetterValue(U'Ι', system);
}

WordValueInt Session::IotaValue(std::size_t column) const
{
    return LetterValue(U'Ι', m_systems[column]);
}

Session::Values Session::ValuesOf(std::string_view utf8) const
{
    Values values{};
    for (std::size_t i = 0; i < m_systemCount; ++i)
        values[i] = ValueOf(utf8, m_systems[i]);
    return values;
}

bool Session::Matches(const Values &values) const
{
    if (!m_options.find)
        return true;
    for (std::size_t i = 0; i < m_systemCount; ++i)
        if (values[i] == *m_options.find)
            return true;
    return false;
}

void Session::Header()
{
    // Column names are part of the interface: scripts select by them.
    auto valueColumns = [this](std::string_view prefix) {
        for (std::string_view column : {"value", "primary", "numeral"}) {
            if (column == "numeral" && m_options.numeral == NumeralCase::None)
                break;
            Separator();
            m_out.Append(prefix);
            m_out.Append(column);
        }
    };
    if (m_options.explain) {
        for (std::string_view column : {"line", "code_point", "character", "folded"})
            Field(column);
        for (std::size_t i = 0; i < m_systemCount; ++i)
            Field(std::string(SystemName(m_systems[i])) + "_value");
        Field("note");
        EndRow();
        return;
    }
    if (m_options.group || m_options.runs) {
        valueColumns("");
        Field("line");
        if (m_options.runs) {
            Field("first_word");
            Field("word_count");
        }
    } else {
        for (std::size_t i = 0; i < m_systemCount; ++i)
            valueColumns(std::string(SystemName(m_systems[i])) + "_");
    }
    Field("text");
    EndRow();
}

void Session::Separator()
{
    if (m_fields++ > 0)
        m_out.Put(m_options.csv ? ',' : '\t');
}

void Session::NumberField(std::uint64_t n)
{
    Separator();
    m_out.AppendNumber(n);
}

void Session::Field(std::string_view ascii)
{
    Separator();
    m_out.Append(ascii);
}

void Session::ValueFields(WordValueInt value)
{
    // Word values are sums of letter values, never negative.
    NumberField(static_cast<std::uint64_t>(value));
    NumberField(static_cast<std::uint64_t>(PrimaryNumber(value)));
    if (m_options.numeral != NumeralCase::None) {
        char numeral[kNumeralMax];
        const std::size_t len = GreekNumeral(static_cast<std::uint64_t>(value),
                                             m_options.numeral == NumeralCase::Upper, numeral);
        Field(len ? std::string_view(numeral, len) : "-");
    }
}

bool Session::TextField(std::string_view utf8)
{
    Separator();
    if (!m_options.csv)
        return m_out.AppendEscaped(utf8);
    // RFC 4180: quoted when it holds a comma, a quote or a line break, with
    // inner quotes doubled.
    if (!NeedsQuotes(utf8))
        return m_out.Append(utf8);
    m_out.Put('"');
    for (std::size_t quote; (quote = utf8.find('"')) != std::string_view::npos;) {
        m_out.Append(utf8.substr(0, quote + 1));
        m_out.Put('"');
        utf8.remove_prefix(quote + 1);
    }
    m_out.Append(utf8);
    return m_out.Put('"');
}

bool Session::EndRow()
{
    m_fields = 0;
    if (m_options.csv)
        m_out.Put('\r');
    return m_out.Put('\n');
}

bool Session::AppendText(std::string_view raw, const DecodedLine &line)
{
    if (line.Valid())
        return TextField(line.text);
    if (!m_options.csv) {
        Separator();
        PiecesOf echo([this](std::string_view utf8) { return m_out.AppendEscaped(utf8); },
                      [this](std::size_t, unsigned char b) { return m_out.AppendBadByte(b); });
        return m_decoder.Walk(raw, echo);
    }
    std::string text; // CSV: quoted as a whole, so built first
    PiecesOf echo(
        [&text](std::string_view utf8) {
            text.append(utf8);
            return true;
        },
        [&text](std::size_t, unsigned char b) {
            text.append(EscapedByte(b));
            return true;
        });
    m_decoder.Walk(raw, echo);
    return TextField(text);
}

bool Session::ReportInvalid(const DecodedLine &line, bool isArgument, std::uint64_t number)
{
    m_sawInvalid = true;
    // Flush first so that on a terminal the message comes out next to its line.
    if (!m_out.Flush())
        return false;
    WriteMessage(m_err, std::string(kProgram) + ": " + (isArgument ? "argument " : "line ") +
                            std::to_string(number) + ": not valid " + m_decoder.Name() +
                            " at byte offset " + std::to_string(line.firstBad) + " (" +
                            HexByte(line.firstByte) + ")\n");
    return true;
}

bool Session::Item(std::string_view raw, bool isArgument, std::uint64_t number)
{
    const DecodedLine line = m_decoder.Decode(raw);
    if (!line.Valid() && !ReportInvalid(line, isArgument, number))
        return false;
    if (m_options.explain)
        return Explain(raw, line, isArgument, number);
    if (m_options.group || m_options.runs)
        return Line(line, number);

    if (!line.Valid()) {
        if (m_options.find)
            return true; // reported above; it cannot be shown to match
        const std::size_t perSystem = m_options.numeral == NumeralCase::None ? 2 : 3;
        for (std::size_t i = m_systemCount * perSystem; i > 0; --i)
            Field("invalid");
        return AppendText(raw, line) && EndRow();
    }

    const Values values = ValuesOf(line.text);
    if (!Matches(values))
        return true;
    for (std::size_t i = 0; i < m_systemCount; ++i)
        ValueFields(values[i]);
    return TextField(line.text) && EndRow();
}

int Session::WriteFailed()
{
    WriteMessage(m_err, std::string(kProgram) + ": error writing standard output: " +
                            std::strerror(m_out.Error()) + "\n");
    return kExitIoErr;
}

int Session::Finish()
{
    if (m_options.paragraphs && !EndParagraph())
        return WriteFailed();
    if (m_options.group && !WriteGroups())
        return WriteFailed();
    if (!m_out.Flush())
        return WriteFailed();
    return m_sawInvalid ? kExitDataErr : kExitOk;
}

int Session::ReadStream(int fd, std::size_t bufferSize)
{
    LineReader reader(fd, bufferSize);
    std::uint64_t number = 0;
    for (;;) {
        if (m_plainPath) {
            if (!Lines(reader.NextLines(), number))
                return WriteFailed();
        } else {
            while (const std::optional<std::string_view> line = reader.NextLine())
                if (!Item(*line, false, ++number))
                    return WriteFailed();
        }
        if (reader.AtEnd()) {
            if (!reader.Rest().empty() && !Item(reader.Rest(), false, ++number))
                return WriteFailed();
            return Finish();
        }
        // Hand over what is done before possibly waiting for more input, so
        // that an interactive user or a co-process sees each answer.
        if (!m_out.Flush())
            return WriteFailed();
        if (const int err = reader.Read()) {
            if (!m_out.Flush())
                return WriteFailed();
            WriteMessage(m_err, std::string(kProgram) +
                                    ": error reading standard input: " + std::strerror(err) + "\n");
            return kExitIoErr;
        }
    }
}

} // namespace psifonomoi::cli
