// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Command-line options of psifonomoi-cli and their parsing. Kept apart from the
// processing so that tests can check parsing without running anything.
#pragma once

#include "WordValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace psifonomoi::cli {

// The program's name, as messages and --version give it.
inline constexpr std::string_view kProgram = "psifonomoi-cli";

// Exit statuses, after the BSD sysexits convention.
enum ExitStatus : int
{
    kExitOk = 0,
    kExitUsage = 64,   // unknown option, bad option value
    kExitDataErr = 65, // some input was not valid in its encoding
    kExitIoErr = 74,   // reading the input or writing the output failed
};

enum class SystemChoice
{
    Classical,
    Positional,
    Milesian,
    Both // classical and positional
};

enum class NumeralCase
{
    None,
    Lower,
    Upper
};

struct Options
{
    SystemChoice system = SystemChoice::Classical;
    bool explain = false;
    std::optional<WordValueInt> find;
    std::string encoding; // empty: UTF-8
    std::vector<std::string> texts;
    NumeralCase numeral = NumeralCase::None; // --numeral: a Greek numeral column
    bool group = false;                      // rows only for values records share
    bool paragraphs = false;                 // a record is a block of lines
    bool runs = false;                       // runs of words adding up to --find
    std::size_t maxWords = 0;                // longest run; 0: the whole record
    bool csv = false;
    bool iotaAdscript = false; // an iota subscript counts as Ι written beside
    bool help = false;
    bool version = false;
};

struct ParseResult
{
    Options options;
    std::string error; // non-empty: a usage error, to be reported with exit 64
};

ParseResult ParseArguments(int argc, const char *const *argv);

// The help text and the version line, each ending in a newline.
std::string HelpText();
std::string VersionText();

// "Usage: ..." plus a hint at --help, for usage errors.
std::string UsageText();

} // namespace psifonomoi::cli
