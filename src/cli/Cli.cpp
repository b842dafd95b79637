// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Cli.h"

#include "CliOptions.h"
#include "LineDecoder.h"
#include "Lookalikes.h"
#include "OutputBuffer.h"
#include "WordValue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace psifonomoi::cli {
namespace {

constexpr std::string_view kProgram = "psifonomoi-cli";

void WriteMessage(int fd, const std::string &message)
{
    // Diagnostics are best effort: if standard error is gone there is no one
    // left to tell, and the exit status still says what happened.
    std::size_t done = 0;
    while (done < message.size()) {
        const ssize_t n = ::write(fd, message.data() + done, message.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string HexByte(unsigned char b)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    return {'0', 'x', kHex[b >> 4], kHex[b & 0xF]};
}

std::size_t DigitCount(std::uint64_t n)
{
    char tmp[20];
    return FormatDecimal(n, tmp);
}

class Session
{
public:
    Session(const Options &options, LineDecoder &decoder, const IoConfig &io)
        : m_options(options), m_decoder(decoder), m_out(io.out, io.outputBuffer), m_err(io.err),
          m_classical(options.system != SystemChoice::Positional),
          m_positional(options.system != SystemChoice::Classical)
    {
    }

    // Values one line or argument. False only when the output cannot be written.
    bool Item(std::string_view raw, bool isArgument, std::uint64_t number);
    int ReadStream(int fd, std::size_t bufferSize);
    int Finish();

private:
    bool ReportInvalid(const DecodedLine &line, bool isArgument, std::uint64_t number);
    bool AppendText(const DecodedLine &line);
    bool Explain(const DecodedLine &line, bool isArgument, std::uint64_t number);
    bool ExplainValues(std::uint64_t classical, std::uint64_t positional, std::size_t wc,
                       std::size_t wp);
    bool ExplainDash(std::size_t wc, std::size_t wp);
    bool Pad(std::size_t width, std::size_t used);
    bool Matches(WordValueInt classical, WordValueInt positional) const
    {
        return !m_options.find || (m_classical && classical == *m_options.find) ||
               (m_positional && positional == *m_options.find);
    }
    int WriteFailed();

    const Options &m_options;
    LineDecoder &m_decoder;
    OutputBuffer m_out;
    int m_err;
    bool m_classical;
    bool m_positional;
    bool m_sawInvalid = false;
};

bool Session::AppendText(const DecodedLine &line)
{
    std::size_t pos = 0;
    for (const BadByte &bad : line.bad) {
        if (!m_out.AppendEscaped(line.text.substr(pos, bad.at - pos)) ||
            !m_out.AppendBadByte(bad.byte))
            return false;
        pos = bad.at;
    }
    return m_out.AppendEscaped(line.text.substr(pos));
}

bool Session::ReportInvalid(const DecodedLine &line, bool isArgument, std::uint64_t number)
{
    m_sawInvalid = true;
    // Flush first so that on a terminal the message comes out next to its line.
    if (!m_out.Flush())
        return false;
    const BadByte &first = line.bad.front();
    WriteMessage(m_err, std::string(kProgram) + ": " + (isArgument ? "argument " : "line ") +
                            std::to_string(number) + ": not valid " + m_decoder.Name() +
                            " at byte offset " + std::to_string(first.offset) + " (" +
                            HexByte(first.byte) + ")\n");
    return true;
}

bool Session::Item(std::string_view raw, bool isArgument, std::uint64_t number)
{
    const DecodedLine line = m_decoder.Decode(raw);
    if (!line.Valid() && !ReportInvalid(line, isArgument, number))
        return false;
    if (m_options.explain)
        return Explain(line, isArgument, number);

    if (!line.Valid()) {
        if (m_options.find)
            return true; // reported above; it cannot be shown to match
        for (int i = m_classical + m_positional; i > 0; --i)
            m_out.Append("invalid\tinvalid\t");
        return AppendText(line) && m_out.Put('\n');
    }

    const WordValueInt classical = m_classical ? ClassicalValue(line.text) : 0;
    const WordValueInt positional = m_positional ? PositionalValue(line.text) : 0;
    if (!Matches(classical, positional))
        return true;
    // Word values are sums of letter values, never negative.
    if (m_classical) {
        m_out.AppendNumber(static_cast<std::uint64_t>(classical));
        m_out.Put('\t');
        m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(classical)));
        m_out.Put('\t');
    }
    if (m_positional) {
        m_out.AppendNumber(static_cast<std::uint64_t>(positional));
        m_out.Put('\t');
        m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(positional)));
        m_out.Put('\t');
    }
    return m_out.AppendEscaped(line.text) && m_out.Put('\n');
}

bool Session::Pad(std::size_t width, std::size_t used)
{
    for (; used < width; ++used)
        m_out.Put(' ');
    return !m_out.Failed();
}

bool Session::ExplainValues(std::uint64_t classical, std::uint64_t positional, std::size_t wc,
                            std::size_t wp)
{
    if (m_classical) {
        Pad(wc + 2, DigitCount(classical));
        m_out.AppendNumber(classical);
    }
    if (m_positional) {
        Pad(wp + 2, DigitCount(positional));
        m_out.AppendNumber(positional);
    }
    return m_out.Append("  ");
}

bool Session::ExplainDash(std::size_t wc, std::size_t wp)
{
    if (m_classical)
        Pad(wc + 1, 0), m_out.Put('-');
    if (m_positional)
        Pad(wp + 1, 0), m_out.Put('-');
    return m_out.Append("  ");
}

// One block per text: a heading, one row per character (value, code point,
// character, and either its folded capital or why it adds nothing), a total.
//
//   line 1: λoγος
//       30  U+03BB   λ → Λ
//        0  U+006F   o  adds nothing: Latin small letter o, looks like Greek ο
//   ...
//      303  total, primary number 6
bool Session::Explain(const DecodedLine &line, bool isArgument, std::uint64_t number)
{
    const auto classical = static_cast<std::uint64_t>(ClassicalValue(line.text));
    const auto positional = static_cast<std::uint64_t>(PositionalValue(line.text));
    if (!line.Valid() && m_options.find)
        return true;
    if (!Matches(static_cast<WordValueInt>(classical), static_cast<WordValueInt>(positional)))
        return true;
    const std::size_t wc = DigitCount(classical), wp = DigitCount(positional);

    m_out.Append(isArgument ? "argument " : "line ");
    m_out.AppendNumber(number);
    m_out.Append(": ");
    AppendText(line);
    m_out.Put('\n');

    std::size_t pos = 0;
    auto nextBad = line.bad.begin();
    while (pos < line.text.size() || nextBad != line.bad.end()) {
        if (nextBad != line.bad.end() && nextBad->at == pos) {
            ExplainDash(wc, wp);
            m_out.Append(HexByte(nextBad->byte));
            m_out.Append("    not valid ");
            m_out.Append(m_decoder.Name());
            m_out.Put('\n');
            ++nextBad;
            continue;
        }
        char32_t c = 0;
        std::size_t len = DecodeUtf8(line.text, pos, c);
        if (len == 0) { // decoded text is well formed; guard against looping all the same
            c = 0xFFFD;
            len = 1;
        }
        const std::string_view bytes = line.text.substr(pos, len);
        pos += len;

        const int cv = LetterValue(c, vsClassical), pv = LetterValue(c, vsPositional);
        ExplainValues(static_cast<std::uint64_t>(cv), static_cast<std::uint64_t>(pv), wc, wp);

        char code[16] = "U+";
        std::size_t codeLen = 2;
        for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
            code[codeLen++] = "0123456789ABCDEF"[(c >> shift) & 0xF];
        m_out.Append({code, codeLen});
        Pad(9, codeLen);

        // The character itself, made visible when it would not be.
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            m_out.AppendEscaped(bytes);
        else if (c == U' ')
            m_out.Append("(space)");
        else if (c == 0xA0)
            m_out.Append("(no-break space)");
        else if (c >= 0x0300 && c < 0x0370) // combining marks, shown on a dotted circle
            m_out.Append("\u25CC"), m_out.Append(bytes);
        else
            m_out.Append(bytes);

        if (LetterIndex(c) != 0) {
            std::string folded;
            AppendUtf8(folded, FoldChar(c));
            m_out.Append(" \u2192 ");
            m_out.Append(folded);
        } else {
            m_out.Append("  adds nothing");
            if (const Lookalike *look = FindLookalike(c)) {
                std::string greek;
                AppendUtf8(greek, look->greek);
                m_out.Append(": ");
                m_out.Append(look->name);
                m_out.Append(", looks like Greek ");
                m_out.Append(greek);
            }
        }
        m_out.Put('\n');
    }

    if (line.Valid()) {
        ExplainValues(classical, positional, wc, wp);
        if (m_classical && m_positional) {
            m_out.Append("total; primary numbers ");
            m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(classical)));
            m_out.Append(" (classical), ");
            m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(positional)));
            m_out.Append(" (positional)\n");
        } else {
            m_out.Append("total, primary number ");
            m_out.AppendNumber(
                static_cast<std::uint64_t>(PrimaryNumber(m_classical ? classical : positional)));
            m_out.Put('\n');
        }
    } else {
        ExplainDash(wc, wp);
        m_out.Append("no total: the text is not valid ");
        m_out.Append(m_decoder.Name());
        m_out.Put('\n');
    }
    return m_out.Put('\n');
}

int Session::WriteFailed()
{
    WriteMessage(m_err, std::string(kProgram) + ": error writing standard output: " +
                            std::strerror(m_out.error()) + "\n");
    return kExitIoErr;
}

int Session::Finish()
{
    if (!m_out.Flush())
        return WriteFailed();
    return m_sawInvalid ? kExitDataErr : kExitOk;
}

int Session::ReadStream(int fd, std::size_t bufferSize)
{
    // Lines are handled in place in one buffer; only a line longer than the
    // buffer makes it grow, so memory follows the longest line, not the input.
    std::size_t capacity = std::max<std::size_t>(bufferSize, 16);
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t start = 0, scan = 0, end = 0;
    std::uint64_t number = 0;
    bool eof = false;

    auto emit = [&](std::size_t lineEnd, bool terminated) {
        std::size_t len = lineEnd - start;
        // A CR before the LF is part of the line ending (files from Windows).
        if (terminated && len > 0 && buffer[start + len - 1] == '\r')
            --len;
        return Item(std::string_view(buffer.get() + start, len), false, ++number);
    };

    for (;;) {
        while (scan < end) {
            const auto *nl =
                static_cast<const char *>(std::memchr(buffer.get() + scan, '\n', end - scan));
            if (!nl) {
                scan = end;
                break;
            }
            const auto lineEnd = static_cast<std::size_t>(nl - buffer.get());
            if (!emit(lineEnd, true))
                return WriteFailed();
            start = scan = lineEnd + 1;
        }
        if (eof) {
            if (start < end && !emit(end, false)) // the last line, without a final LF
                return WriteFailed();
            return Finish();
        }

        if (start > 0) {
            std::memmove(buffer.get(), buffer.get() + start, end - start);
            end -= start;
            scan -= start;
            start = 0;
        }
        if (end == capacity) {
            const std::size_t grown = capacity * 2;
            auto bigger = std::make_unique_for_overwrite<char[]>(grown);
            std::memcpy(bigger.get(), buffer.get(), end);
            buffer = std::move(bigger);
            capacity = grown;
        }
        // Hand over what is done before possibly waiting for more input, so
        // that an interactive user or a co-process sees each answer.
        if (!m_out.Flush())
            return WriteFailed();
        ssize_t n;
        do
            n = ::read(fd, buffer.get() + end, capacity - end);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            const int err = errno;
            if (!m_out.Flush())
                return WriteFailed();
            WriteMessage(m_err, std::string(kProgram) +
                                    ": error reading standard input: " + std::strerror(err) + "\n");
            return kExitIoErr;
        }
        if (n == 0)
            eof = true;
        end += static_cast<std::size_t>(n);
    }
}

} // namespace

int RunCli(int argc, const char *const *argv, const IoConfig &io)
{
    const ParseResult parsed = ParseArguments(argc, argv);
    if (!parsed.error.empty()) {
        WriteMessage(io.err, std::string(kProgram) + ": " + parsed.error + "\n" + UsageText());
        return kExitUsage;
    }
    const Options &options = parsed.options;
    if (options.help || options.version) {
        OutputBuffer out(io.out, 4096);
        out.Append(options.help ? HelpText() : VersionText());
        if (!out.Flush()) {
            WriteMessage(io.err, std::string(kProgram) + ": error writing standard output: " +
                                     std::strerror(out.error()) + "\n");
            return kExitIoErr;
        }
        return kExitOk;
    }

    std::string error;
    const auto decoder = LineDecoder::Create(options.encoding, error);
    if (!decoder) {
        WriteMessage(io.err, std::string(kProgram) + ": " + error + "\n" + UsageText());
        return kExitUsage;
    }

    Session session(options, *decoder, io);
    if (options.texts.empty())
        return session.ReadStream(io.in, io.readBuffer);
    std::uint64_t number = 0;
    for (const std::string &text : options.texts)
        if (!session.Item(text, true, ++number))
            break; // the write error is reported by Finish
    return session.Finish();
}

} // namespace psifonomoi::cli
