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

constexpr char kDashHint[] = " (put '--' before texts that begin with a hyphen)";

std::optional<SystemChoice> ParseSystem(std::string_view s)
{
    if (s == "classical")
        return SystemChoice::Classical;
    if (s == "positional")
        return SystemChoice::Positional;
    if (s == "milesian")
        return SystemChoice::Milesian;
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

// Stores an option's value in the options, or says what is wrong with it.
using StoreValue = std::string (*)(Options &o, std::string_view value);

std::string StoreSystem(Options &o, std::string_view value)
{
    const auto system = ParseSystem(value);
    if (!system)
        return "unknown system '" + std::string(value) +
               "' (choose classical, positional, milesian or both)";
    o.system = *system;
    return {};
}

std::string StoreFind(Options &o, std::string_view value)
{
    const auto n = ParseValue(value);
    if (!n)
        return "--find needs a word value, a whole number of at least 0, not '" +
               std::string(value) + "'";
    o.find = n;
    return {};
}

std::string StoreMaxWords(Options &o, std::string_view value)
{
    const auto n = ParseValue(value);
    if (!n || *n == 0)
        return "--max-words needs a whole number of at least 1, not '" + std::string(value) + "'";
    o.maxWords = static_cast<std::size_t>(*n);
    return {};
}

std::string StoreEncoding(Options &o, std::string_view value)
{
    if (value.empty())
        return "--encoding needs an encoding name";
    o.encoding = value;
    return {};
}

std::string StoreNumeral(Options &o, std::string_view value)
{
    if (value == "lower")
        o.numeral = NumeralCase::Lower;
    else if (value == "upper")
        o.numeral = NumeralCase::Upper;
    else
        return "--numeral takes lower or upper, not '" + std::string(value) + "'";
    return {};
}

enum class Takes
{
    Nothing,      // a flag
    Value,        // after '=', joined to a short name, or as the next argument
    OptionalValue // only ever after '=', so that a following text stays a text
};

struct OptionRow
{
    std::string_view name;
    Takes takes;
    bool Options::*flag;          // what a flag sets
    StoreValue store;             // what takes the value of the others
    std::string_view whenOmitted; // an optional value left out
};

constexpr OptionRow kOptions[] = {
    {"-s", Takes::Value, nullptr, StoreSystem, {}},
    {"--system", Takes::Value, nullptr, StoreSystem, {}},
    {"--find", Takes::Value, nullptr, StoreFind, {}},
    {"--max-words", Takes::Value, nullptr, StoreMaxWords, {}},
    {"--encoding", Takes::Value, nullptr, StoreEncoding, {}},
    {"--numeral", Takes::OptionalValue, nullptr, StoreNumeral, "lower"},
    {"--explain", Takes::Nothing, &Options::explain, nullptr, {}},
    {"-h", Takes::Nothing, &Options::help, nullptr, {}},
    {"--help", Takes::Nothing, &Options::help, nullptr, {}},
    {"--version", Takes::Nothing, &Options::version, nullptr, {}},
    {"--group", Takes::Nothing, &Options::group, nullptr, {}},
    {"--paragraphs", Takes::Nothing, &Options::paragraphs, nullptr, {}},
    {"--runs", Takes::Nothing, &Options::runs, nullptr, {}},
    {"--csv", Takes::Nothing, &Options::csv, nullptr, {}},
    {"--iota-adscript", Takes::Nothing, &Options::iotaAdscript, nullptr, {}},
};

const OptionRow *FindOption(std::string_view name)
{
    for (const OptionRow &row : kOptions)
        if (row.name == name)
            return &row;
    return nullptr;
}

// Options that make no sense together; empty when they all do.
std::string CheckCombination(const Options &o)
{
    const bool both = o.system == SystemChoice::Both;
    if (o.runs && !o.find)
        return "--runs needs --find N, the value the runs must add up to";
    if (o.group && o.runs)
        return "choose one of --group and --runs";
    if (o.paragraphs && !o.group && !o.runs)
        return "--paragraphs applies only to --group and --runs";
    if (o.maxWords && !o.runs)
        return "--max-words applies only to --runs";
    if ((o.group || o.runs) && both)
        return std::string(o.group ? "--group" : "--runs") + " needs a single system, not 'both'";
    if (o.explain && (o.group || o.runs))
        return std::string("--explain cannot be combined with ") + (o.group ? "--group" : "--runs");
    return {};
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

        const OptionRow *row = FindOption(name);
        // Name the whole argument: a short name is only its first byte, which may
        // be half of a letter (a suffix such as -ος is a text, not an option).
        if (!row)
            return fail("unknown option '" + std::string(arg) + "'" + kDashHint);
        if (row->takes == Takes::Nothing) {
            if (inlineValue)
                return fail("option '" + std::string(name) + "' takes no value, in '" +
                            std::string(arg) + "'" + kDashHint);
            o.*row->flag = true;
            continue;
        }

        std::string_view value;
        if (inlineValue)
            value = *inlineValue;
        else if (row->takes == Takes::OptionalValue)
            value = row->whenOmitted;
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return fail("option '" + std::string(name) + "' needs a value");
        if (std::string error = row->store(o, value); !error.empty())
            return fail(std::move(error));
    }
    if (!o.help && !o.version)
        if (std::string error = CheckCombination(o); !error.empty())
            return fail(std::move(error));
    return result;
}

std::string UsageText()
{
    return "Usage: " + std::string(kProgram) +
           " [-s classical|positional|milesian|both] [--numeral[=upper]]\n"
           "       [--find N [--runs [--max-words K]]] [--group] [--paragraphs] [--explain]\n"
           "       [--iota-adscript] [--csv] [--encoding NAME] [TEXT...]\n"
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

(--numeral adds a column after each PRIMARY; --group and --runs print other
rows, described with them.)

TEXT is printed as given, except that backslash, tab, line breaks, NUL and other
control characters are written as escapes (\\ \t \n \r \0 \xHH, \u0085 for C1
controls), so that the output keeps exactly one line for each input line; so
are the line and paragraph separators (\u2028 \u2029) and the bidi controls
(\u200E \u200F \u202A..\u202E \u2066..\u2069), which could make a terminal
show a value beside the wrong text. A CR just before the LF that ends a line
belongs to the line ending and is dropped. Output is always UTF-8.

Options:
  -s, --system SYSTEM  letter values to use:
                         classical   the Greek alphabetic numerals: Α=1 .. Θ=9,
                                     Ι=10 .. Π=80, Ρ=100 .. Ω=800 (default)
                         positional  the letter's place in the alphabet: Α=1 .. Ω=24
                         milesian    the full alphabetic numerals of 27 signs:
                                     classical plus ϛ=6, ϟ=90, ϡ=900
                         both        four numbers per line: classical value,
                                     its primary, positional value, its primary
      --numeral[=lower|upper]
                       add the value written as a Greek numeral (888 is ωπηʹ,
                       2011 ͵βιαʹ; upper: ΩΠΗʹ); 0 and values of 1,000,000 or
                       more have none and show -
      --find N         print only the lines (or TEXTs) whose word value is N,
                       for a reverse look-up in a word list; with --system both
                       a line is printed when either of its two values is N
                       (both are shown, so you can see which one matched)
      --runs           with --find N: in each line, the runs of consecutive
                       words whose values add up to N, one row per run:
                         VALUE PRIMARY LINE FIRST-WORD WORD-COUNT RUN-TEXT
                       (first word counted from 1). Words are separated by
                       white space and punctuation; a word worth 0 neither
                       starts nor ends a run. A run may be as long as the
                       whole line (or paragraph) unless --max-words bounds it
      --max-words K    with --runs: runs of at most K words
      --group          read the whole input, then print the lines whose values
                       two or more lines share, for isopsephic verse:
                         VALUE PRIMARY LINE TEXT
                       ordered by value, then line number; lines worth 0 are
                       left out; with --find N, only the lines worth N
      --paragraphs     with --group or --runs: a record is a block of lines
                       separated by blank lines (a couplet, a stanza), valued
                       as one and shown by its first line number, its lines
                       joined by " / "
      --csv            CSV (RFC 4180: CRLF line ends, a field with a comma,
                       quote or line break quoted, inner quotes doubled) under a
                       header row of column names; texts are not escaped.
                       With --explain: one row per character (line, code
                       point, character, folded capital, value, note)
      --explain        instead of one line per text, show every character with
                       its code point, its folded capital and its value, then
                       the total; characters that add nothing are marked, and
                       Latin or Cyrillic letters that look like Greek ones are
                       named (a Latin o typed for ο is the commonest cause of a
                       wrong total)
      --iota-adscript  count the iota subscript as the iota it was: in
                       antiquity it was written beside its letter (ΩΙΔΗ for
                       ᾠδή), and ancient isopsephic verse counts it. Each
                       letter with ypogegrammeni or prosgegrammeni (ᾳ ῃ ῳ ᾼ ῌ
                       ῼ, with any breathing or accent) and each combining
                       U+0345 adds the value of Ι (ᾠδή: 822, not 812); by
                       default, as in the window, it adds nothing
      --encoding NAME  the input (lines and TEXT arguments) is in encoding NAME
                       instead of UTF-8, e.g. windows-1253 or iso-8859-7; any
                       name iconv knows whose line feed is the single byte 0x0A
  -h, --help           show this help and exit
      --version        show the version and exit
      --               end of options: every later argument is a TEXT, even
                       one that begins with a hyphen (a suffix such as -ος)

A line that is not valid in its encoding is reported on standard error with its
line number and the byte offset, counted from 0 within the line, of its first
bad byte; its output line shows "invalid" in place of each number and the bad
bytes as \xHH. All other lines are still valued. With --find, --group and
--runs, invalid lines (and paragraphs holding one) are only reported.
--group and --runs need a single system; --explain goes with neither.

Exit status: 0 on success; 64 for a usage error; 65 if some input was not valid
in its encoding; 74 if reading the input or writing the output failed.
)";
}

} // namespace psifonomoi::cli
