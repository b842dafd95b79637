// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CliOptions.h"

#include <charconv>

#ifndef PSIFONOMOI_VERSION
#error "PSIFONOMOI_VERSION must come from the build (the project's version)"
#endif

namespace psifonomoi::cli {
namespace {

constexpr std::string_view kProgram = "psifonomoi-cli";

std::optional<SystemChoice> ParseSystem(std::string_view s)
{
    if (s == "classical")
        return SystemChoice::Classical;
    if (s == "positional")
        return SystemChoice::Positional;
    if (s == "both")
        return SystemChoice::Both;
    return std::nullopt;
}

std::optional<WordValueInt> ParseValue(std::string_view s)
{
    // Plain decimal digits only: a word value is never negative, and a sign or
    // stray character is more likely a typing slip than a wish.
    if (s.empty() || s.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    WordValueInt value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

} // namespace

ParseResult ParseArguments(int argc, const char *const *argv)
{
    ParseResult result;
    Options &o = result.options;
    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };

    bool operandsOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
            o.texts.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }

        // Split "--name=value" and "-sVALUE"; otherwise the value is the next argument.
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
        }

        const bool takesValue =
            name == "-s" || name == "--system" || name == "--find" || name == "--encoding";
        if (!takesValue) {
            if (inlineValue)
                return fail("option '" + std::string(name) + "' takes no value");
            if (name == "--explain")
                o.explain = true;
            else if (name == "-h" || name == "--help")
                o.help = true;
            else if (name == "--version")
                o.version = true;
            else
                return fail("unknown option '" + std::string(arg) + "'");
            continue;
        }

        std::string_view value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return fail("option '" + std::string(name) + "' needs a value");
        }

        if (name == "-s" || name == "--system") {
            const auto system = ParseSystem(value);
            if (!system)
                return fail("unknown system '" + std::string(value) +
                            "' (choose classical, positional or both)");
            o.system = *system;
        } else if (name == "--find") {
            const auto n = ParseValue(value);
            if (!n)
                return fail("--find needs a word value, a whole number of at least 0, not '" +
                            std::string(value) + "'");
            o.find = n;
        } else {
            if (value.empty())
                return fail("--encoding needs an encoding name");
            o.encoding = value;
        }
    }
    return result;
}

std::string UsageText()
{
    return "Usage: " + std::string(kProgram) +
           " [-s classical|positional|both] [--find N] [--explain] [--encoding NAME] [TEXT...]\n"
           "Try '" +
           std::string(kProgram) + " --help' for more information.\n";
}

std::string VersionText()
{
    return std::string(kProgram) + " " PSIFONOMOI_VERSION "\n";
}

std::string HelpText()
{
    return R"(Usage: psifonomoi-cli [OPTIONS] [TEXT...]
Gives the numerical value of Greek text (isopsephy): the word value, the sum of
the values of the text's letters, and the primary number, that sum reduced to
one digit by repeated digit sums. Capital and small letters, and letters with
and without accents, count alike; anything that is not one of the 24 letters of
the alphabet adds nothing.

Each TEXT argument is valued; without any, each line of standard input is.
One output line is printed for each, in the same order:

  WORD-VALUE <tab> PRIMARY <tab> TEXT

TEXT is printed as given, except that backslash, tab, line breaks, NUL and other
control characters are written as escapes (\\ \t \n \r \0 \xHH, \u0085 for C1
controls), so that the output keeps exactly one line for each input line. A CR
just before the LF that ends a line belongs to the line ending and is dropped.
Output is always UTF-8.

Options:
  -s, --system SYSTEM  letter values to use:
                         classical   the Greek alphabetic numerals: Α=1 .. Θ=9,
                                     Ι=10 .. Π=80, Ρ=100 .. Ω=800 (default)
                         positional  the letter's place in the alphabet: Α=1 .. Ω=24
                         both        four numbers per line: classical value,
                                     its primary, positional value, its primary
      --find N         print only the lines (or TEXTs) whose word value is N,
                       for a reverse look-up in a word list; with --system both
                       a line is printed when either of its two values is N
                       (both are shown, so you can see which one matched)
      --explain        instead of one line per text, show every character with
                       its code point, its folded capital and its value, then
                       the total; characters that add nothing are marked, and
                       Latin or Cyrillic letters that look like Greek ones are
                       named (a Latin o typed for ο is the commonest cause of a
                       wrong total)
      --encoding NAME  the input (lines and TEXT arguments) is in encoding NAME
                       instead of UTF-8, e.g. windows-1253 or iso-8859-7; any
                       name iconv knows whose line feed is the single byte 0x0A
  -h, --help           show this help and exit
      --version        show the version and exit

A line that is not valid in its encoding is reported on standard error with its
line number and the byte offset, counted from 0 within the line, of its first
bad byte; its output line shows "invalid" in place of each number and the bad
bytes as \xHH. All other lines are still valued. With --find, invalid lines are
only reported on standard error.

Exit status: 0 on success; 64 for a usage error; 65 if some input was not valid
in its encoding; 74 if reading the input or writing the output failed.
)";
}

} // namespace psifonomoi::cli
