#include "Session.h"

#include "WordValue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace psifonomoi::cli {

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
    return {'0', 'x', kHexDigits[b >> 4], kHexDigits[b & 0xF]};
}

std::size_t DigitCount(std::uint64_t n)
{
    char tmp[20];
    return FormatDecimal(n, tmp);
}

bool Session::AppendText(std::string_view raw, const DecodedLine &line)
{
    if (line.Valid())
        return m_out.AppendEscaped(line.text);
    PiecesOf echo([this](std::string_view utf8) { return m_out.AppendEscaped(utf8); },
                  [this](std::size_t, unsigned char byte) { return m_out.AppendBadByte(byte); });
    return m_decoder.Walk(raw, echo);
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

    if (!line.Valid()) {
        if (m_options.find)
            return true; // reported above; it cannot be shown to match
        for (int i = m_classical + m_positional; i > 0; --i)
            m_out.Append("invalid\tinvalid\t");
        return AppendText(raw, line) && m_out.Put('\n');
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

} // namespace psifonomoi::cli
