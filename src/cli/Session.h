// One run of psifonomoi-cli over its texts or input lines, and the helpers
// its parts share. Internal to the command line.
#pragma once

#include "Cli.h"
#include "CliOptions.h"
#include "LineDecoder.h"
#include "OutputBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace psifonomoi::cli {

// Best effort: if the descriptor is gone there is no one left to tell.
void WriteMessage(int fd, const std::string &message);
// "0xHH".
std::string HexByte(unsigned char b);
std::size_t DigitCount(std::uint64_t n);

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
    // The text of a line as echoed: escaped, with its bad bytes as \xHH.
    bool AppendText(std::string_view raw, const DecodedLine &line);
    bool Explain(std::string_view raw, const DecodedLine &line, bool isArgument,
                 std::uint64_t number);
    bool ExplainChar(char32_t c, std::string_view bytes, std::size_t wc, std::size_t wp);
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

} // namespace psifonomoi::cli
