// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Cli.h"

#include "Session.h"

#include <cstring>
#include <memory>
#include <string>

namespace psifonomoi::cli {

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
                                     std::strerror(out.Error()) + "\n");
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

    std::unique_ptr<LineDecoder> textDecoder;
    if (io.textArguments && !options.texts.empty())
        textDecoder = LineDecoder::Create("", error);
    Session session(options, textDecoder ? *textDecoder : *decoder, io);
    if (options.texts.empty())
        return session.ReadStream(io.in, io.readBuffer);
    std::uint64_t number = 0;
    for (const std::string &text : options.texts)
        if (!session.Item(text, true, ++number))
            break; // the write error is reported by Finish
    return session.Finish();
}

} // namespace psifonomoi::cli
