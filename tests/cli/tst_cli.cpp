// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// psifonomoi-cli end to end: arguments, standard input from a file and from a
// pipe, the encodings, the error paths and their exit statuses.
#include "ReferenceUnicode.h"
#include "TestSupport.h"

#include <doctest/doctest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace psifonomoi::test;

namespace {

using Args = std::vector<std::string>;

// The executable, from the working directory CTest gives the test.
ProcessResult RunCli(const Args &args, std::string_view input = {}, Input inputKind = Input::File)
{
    return RunProcess(PSIFONOMOI_CLI_PATH, args, input, inputKind);
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    lines.push_back(text.substr(start));
    return lines;
}

// Line i of the text, or empty past its end.
std::string LineOf(const std::string &text, std::size_t i)
{
    const std::vector<std::string> lines = Lines(text);
    return i < lines.size() ? lines[i] : std::string();
}

bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace

TEST_CASE("values")
{
    struct Row
    {
        const char *name;
        Args args;
        std::string_view input;
        Input inputKind;
        std::string_view expected;
    };
    const Row rows[] = {
        {"arguments", Args{"Ιησούς", "ΑΓΑΠΗ"}, "", Input::File, "888\t6\tΙησούς\n93\t3\tΑΓΑΠΗ\n"},
        {"arguments win over stdin", Args{"Ω"}, "Α\n", Input::File, "800\t8\tΩ\n"},
        {"positional", Args{"-s", "positional", "ΑΓΑΠΗ"}, "", Input::File, "28\t1\tΑΓΑΠΗ\n"},
        {"both", Args{"--system", "both", "Ιησούς"}, "", Input::File, "888\t6\t87\t6\tΙησούς\n"},
        {"both, joined forms", Args{"--system=both", "-sclassical", "-sboth", "Ω"}, "", Input::File,
         "800\t8\t24\t6\tΩ\n"},
        {"text after --", Args{"--", "-s", "--find"}, "", Input::File, "0\t0\t-s\n0\t0\t--find\n"},
        {"stdin file", Args{}, "Άρης\nαρης\n\n123 abc\n", Input::File,
         "309\t3\tΆρης\n309\t3\tαρης\n0\t0\t\n0\t0\t123 abc\n"},
        {"stdin pipe", Args{}, "Άρης\nαρης\n", Input::Pipe, "309\t3\tΆρης\n309\t3\tαρης\n"},
        {"empty input", Args{}, "", Input::File, ""},
        {"no final newline", Args{}, "α\nβ", Input::File, "1\t1\tα\n2\t2\tβ\n"},
        {"CRLF", Args{}, "α\r\nβ\r\n\r\n", Input::File, "1\t1\tα\n2\t2\tβ\n0\t0\t\n"},
        {"lone CR stays visible", Args{}, "α\rβ\nγ\r", Input::File, "3\t3\tα\\rβ\n3\t3\tγ\\r\n"},
        {"NUL bytes", Args{}, std::string_view("α\0β\n\0\n", 8), Input::File,
         "3\t3\tα\\0β\n0\t0\t\\0\n"},
        {"argument with newline", Args{"α\nβ", "γ"}, "", Input::File, "3\t3\tα\\nβ\n3\t3\tγ\n"},
        {"tabs, backslash, controls", Args{}, "α\tβ\\\x1b[2J\x7f\xc2\x9b\xc2\xa0\n", Input::File,
         "3\t3\tα\\tβ\\\\\\x1B[2J\\x7F\\u009B\xc2\xa0\n"},
        {"find", Args{"--find", "888"}, "Ιησούς\nΑΓΑΠΗ\nιησους\n", Input::File,
         "888\t6\tΙησούς\n888\t6\tιησους\n"},
        {"find, none", Args{"--find=1"}, "Β\nΓ", Input::File, ""},
        {"find both, positional match", Args{"-s", "both", "--find", "24"}, "Ω\nΚΔ\nΑ\n",
         Input::File, "800\t8\t24\t6\tΩ\n24\t6\t14\t5\tΚΔ\n"},
        {"windows-1253", Args{"--encoding", "windows-1253"},
         "\xc9\xe7\xf3\xef\xfd\xf2\n\xa2\xf1\xe7\xf2\n", Input::File,
         "888\t6\tΙησούς\n309\t3\tΆρης\n"},
        // 0xB6 is Ά in ISO-8859-7 but the pilcrow in windows-1253.
        {"iso-8859-7", Args{"--encoding=iso-8859-7"}, "\xb6\xf1\xe7\xf2\r\n", Input::File,
         "309\t3\tΆρης\n"},
        {"same bytes, windows-1253", Args{"--encoding=windows-1253"}, "\xb6\xf1\xe7\xf2",
         Input::File, "308\t2\t¶ρης\n"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const ProcessResult run = RunCli(row.args, row.input, row.inputKind);
        CHECK(run.err == "");
        CHECK(run.out == row.expected);
        CHECK(run.status == 0);
    }
}

TEST_CASE("invalid lines")
{
    struct Row
    {
        const char *name;
        Args args;
        std::string_view input;
        std::string_view expected;
        Args messages; // one per bad line, in order
    };
    const Row rows[] = {
        {"UTF-8", Args{}, "αγάπη\nλ\xceγος\nΩ\n\xff",
         "93\t3\tαγάπη\ninvalid\tinvalid\tλ\\xCEγος\n800\t8\tΩ\n"
         "invalid\tinvalid\t\\xFF\n",
         Args{"line 2: not valid UTF-8 at byte offset 2 (0xCE)",
              "line 4: not valid UTF-8 at byte offset 0 (0xFF)"}},
        {"UTF-8, both systems", Args{"-s", "both"}, "\xed\xa0\x80x\nΑ\n",
         "invalid\tinvalid\tinvalid\tinvalid\t\\xED\\xA0\\x80x\n1\t1\t1\t1\tΑ\n",
         Args{"line 1: not valid UTF-8 at byte offset 0 (0xED)"}},
        // Two undefined bytes of ISO-8859-7 that together would spell valid UTF-8.
        {"iso-8859-7", Args{"--encoding", "iso-8859-7"}, "\xe1\xd2\xae\xe1\n\xe2\n",
         "invalid\tinvalid\tα\\xD2\\xAEα\n2\t2\tβ\n",
         Args{"line 1: not valid iso-8859-7 at byte offset 1 (0xD2)"}},
        {"find skips bad lines", Args{"--find", "1"}, "\xff\nα\n", "1\t1\tα\n",
         Args{"line 1: not valid UTF-8"}},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const ProcessResult run = RunCli(row.args, row.input);
        CHECK(run.out == row.expected);
        CHECK(run.status == 65);
        const std::vector<std::string> lines = Lines(run.err);
        for (std::size_t i = 0; i < row.messages.size(); ++i) {
            INFO(run.err);
            REQUIRE(i < lines.size());
            CHECK(Contains(lines[i], row.messages[i]));
            CHECK(lines[i].starts_with("psifonomoi-cli: "));
        }
    }
}

TEST_CASE("usage errors")
{
    struct Row
    {
        const char *name;
        Args args;
        std::string_view message;
    };
    const Row rows[] = {
        {"unknown option", Args{"-x", "Α"}, "unknown option '-x'"},
        {"unknown long option", Args{"--systems=both"}, "--systems"},
        {"bad system", Args{"--system", "greek"}, "unknown system 'greek'"},
        {"system without value", Args{"-s"}, "needs a value"},
        {"find, not a number", Args{"--find", "12a"}, "--find"},
        {"find, negative", Args{"--find=-5"}, "--find"},
        {"find, too large", Args{"--find", "99999999999999999999"}, "--find"},
        {"value on a flag", Args{"--explain=yes"}, "takes no value"},
        {"Greek suffix", Args{"-ος"},
         "unknown option '-ος' (put '--' before texts that begin "
         "with a hyphen)"},
        {"runs without find", Args{"--runs"}, "--runs needs --find"},
        {"paragraphs alone", Args{"--paragraphs"}, "--paragraphs applies"},
        {"group and runs", Args{"--group", "--runs", "--find=1"}, "one of --group and --runs"},
        {"group, both", Args{"--group", "-s", "both"}, "single system"},
        {"runs, both", Args{"--runs", "--find=1", "-s", "both"}, "single system"},
        {"max-words alone", Args{"--max-words", "2"}, "--max-words applies"},
        {"max-words 0", Args{"--runs", "--find=1", "--max-words=0"}, "at least 1"},
        {"explain, group", Args{"--explain", "--group"}, "--explain cannot"},
        {"numeral, bad case", Args{"--numeral=greek"}, "lower or upper"},
        {"unknown encoding", Args{"--encoding", "klingon"}, "klingon"},
        {"LF not one byte", Args{"--encoding", "UTF-16LE"}, "0x0A"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const ProcessResult run = RunCli(row.args, "Α\n");
        INFO(run.err);
        CHECK(run.status == 64);
        CHECK(run.out == "");
        CHECK(Contains(run.err, row.message));
        CHECK(Contains(run.err, "Usage: psifonomoi-cli"));
        CHECK(IsWellFormedUtf8(run.err)); // no character cut in half
    }
}

// The single-byte encodings of Greek, under their names and iconv's aliases:
// the same text and values on every platform, the same bytes left undefined.
TEST_CASE("Greek code pages")
{
    struct Row
    {
        const char *name;
        Args args;
        std::string_view input;
        std::string_view expected;
        int status;
    };
    const Row rows[] = {
        {"windows-1253", Args{"--encoding", "windows-1253"},
         "\xc9\xe7\xf3\xef\xfd\xf2\r\n\xb6\xa2\n\x81\xaa\xd2\xff\n",
         "888\t6\tΙησούς\n1\t1\t¶Ά\ninvalid\tinvalid\t\\x81\\xAA\\xD2\\xFF\n", 65},
        {"CP1253", Args{"--encoding=CP1253"}, "\xa2\xf1\xe7\xf2", "309\t3\tΆρης\n", 0},
        {"ISO-8859-7 of 2003", Args{"--encoding", "ISO_8859-7:1987"},
         "\xa1\xa2\xa4\xa5\xaa\xb6\n\xae\xd2\xff\n",
         "1\t1\t‘’€₯ͺΆ\ninvalid\tinvalid\t\\xAE\\xD2\\xFF\n", 65},
        {"cp737", Args{"--encoding", "cp737"},
         "\x88\x9e\xa9\xa6\xe7\xaa\x20\xea\xa8\x9e\xaa\x20\xe4\r\n", "1207\t1\tΙησούς Άρης ϊ\n", 0},
        {"cp869", Args{"--encoding", "IBM869"},
         "\xad\xe1\xec\xe9\xa3\xed\x20\x86\xeb\xe1\xed\x20\xa0\xfc\n\x80\x93\n",
         "1607\t5\tΙησούς Άρης ϊΰ\ninvalid\tinvalid\t\\x80\\x93\n", 65},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const ProcessResult run = RunCli(row.args, row.input);
        CHECK(run.out == row.expected);
        CHECK(run.status == row.status);
        CHECK((run.err == "") == (row.status == 0));
    }
}

// A file from Windows ends its lines in CR LF: in every mode they are the lines
// an LF file has, with no CR in the text, the values or the explanation.
TEST_CASE("CR LF is the same line as LF")
{
    const std::string lf =
        "Ιησούς\nἰδίαν μητέρα ἀπέκτεινε\n\nΑΒΡΑΞΑΣ\n\nΜΕΙΘΡΑΣ\nλ\xceγος\n\nΝεῖλος";
    std::string crlf;
    for (const char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Args modes[] = {
        {},
        {"-s", "both", "--numeral"},
        {"--explain"},
        {"--explain", "--csv"},
        {"--csv"},
        {"--group"},
        {"--group", "--paragraphs"},
        {"--find", "1005", "--runs"},
        {"--find", "1005", "--runs", "--paragraphs"},
    };
    for (const Args &mode : modes) {
        std::string label = "mode:";
        for (const std::string &option : mode)
            label += " " + option;
        INFO(label);
        const ProcessResult fromLf = RunCli(mode, lf);
        const ProcessResult fromCrlf = RunCli(mode, crlf, Input::Pipe);
        CHECK(fromCrlf.out == fromLf.out);
        CHECK(fromCrlf.err == fromLf.err);
        CHECK(fromCrlf.status == fromLf.status);
        CHECK(!fromLf.out.empty());
        CHECK(!Contains(fromCrlf.out, "\\r"));
    }
}

TEST_CASE("explain marks look-alikes")
{
    // A Latin o in place of ο: λoγος is worth 303, not 373.
    const ProcessResult run = RunCli({"--explain", "λoγος", "ΑΩ"});
    CHECK(run.status == 0);
    const std::vector<std::string> lines = Lines(run.out);
    REQUIRE(lines.size() > 9);
    CHECK(lines[0] == "argument 1: λoγος");
    CHECK(lines[1] == "   30  U+03BB   λ → Λ");
    CHECK(lines[2] == "    0  U+006F   o  adds nothing: Latin small letter o, looks like Greek ο");
    CHECK(lines[4] == "   70  U+03BF   ο → Ο");
    CHECK(lines[6] == "  303  total, primary number 6");
    CHECK(lines[7] == "       letters 4 (vowels 1, consonants 3), words 1, characters "
                      "that count nothing 1");
    CHECK(lines[8] == "");
    CHECK(lines[9] == "argument 2: ΑΩ");

    // A numeral letter, counted by the full numerals only.
    const ProcessResult numeral = RunCli({"--explain", "ϛα, β", "-s", "milesian"});
    CHECK(LineOf(numeral.out, 1) == "  6  U+03DB   ϛ  numeral letter");
    CHECK(LineOf(numeral.out, 7) ==
          "     letters 2 (vowels 1, consonants 1), words 2, characters that count nothing 2");
    CHECK(LineOf(RunCli({"--explain", "ϛ"}).out, 1) ==
          "  0  U+03DB   ϛ  adds nothing here: numeral letter, worth 6 in milesian");

    const ProcessResult cyrillic = RunCli({"--explain", "-s", "both"}, "\xd0\xb0 \xcc\x81\n");
    CHECK(LineOf(cyrillic.out, 0) == "line 1: \xd0\xb0 \xcc\x81");
    CHECK(LineOf(cyrillic.out, 1) == "  0  0  U+0430   а  adds nothing: Cyrillic small letter a, "
                                     "looks like Greek α");
    CHECK(LineOf(cyrillic.out, 2) == "  0  0  U+0020   (space)  adds nothing");
    CHECK(LineOf(cyrillic.out, 3) == "  0  0  U+0301   \xe2\x97\x8c\xcc\x81  adds nothing");
    CHECK(LineOf(cyrillic.out, 4) ==
          "  0  0  total; primary numbers 0 (classical), 0 (positional)");
}

TEST_CASE("explain an invalid byte")
{
    const ProcessResult run = RunCli({"--explain"}, std::string_view("\xe1\xff\n", 3));
    CHECK(run.status == 65);
    CHECK(Contains(run.err, "line 1: not valid UTF-8 at byte offset 0 (0xE1)"));
    CHECK(LineOf(run.out, 0) == "line 1: \\xE1\\xFF");
    CHECK(LineOf(run.out, 1) == "  -  0xE1    not valid UTF-8");
    CHECK(LineOf(run.out, 2) == "  -  0xFF    not valid UTF-8");
    CHECK(LineOf(run.out, 3) == "  -  no total: the text is not valid UTF-8");
}

TEST_CASE("version and help")
{
    const ProcessResult version = RunCli({"--version"});
    CHECK(version.status == 0);
    CHECK(version.out == "psifonomoi-cli " PSIFONOMOI_VERSION "\n");

    CHECK(RunCli({"--help", "--bogus-after-help-is-still-an-error"}).status == 64);
    const ProcessResult help = RunCli({"-h"});
    CHECK(help.status == 0);
    for (const char *option : {"--system", "--find", "--explain", "--encoding", "either"}) {
        INFO(option);
        CHECK(Contains(help.out, option));
    }
}

TEST_CASE("a write error is not success")
{
    for (const Args &args : {Args{"Α"}, Args{"--version"}}) {
        const ProcessResult run =
            RunProcess(PSIFONOMOI_CLI_PATH, args, {}, Input::File, Output::Broken);
        CHECK(run.status == 74);
        CHECK(Contains(run.err, "error writing standard output"));
    }
}

TEST_CASE("a line longer than the read buffer")
{
    // Longer than the read buffer, so the buffer has to grow mid-line.
    std::string line;
    for (int i = 0; i < 3 * 1024 * 1024 / 10; ++i)
        line += "αβγδε"; // 10 bytes, worth 15
    const ProcessResult run = RunCli({}, "Ω\n" + line + "\nΑ");
    CHECK(run.status == 0);
    const std::string value = std::to_string(15LL * (3 * 1024 * 1024 / 10));
    CHECK(run.out.starts_with("800\t8\tΩ\n" + value + "\t"));
    CHECK(run.out.ends_with(line + "\n1\t1\tΑ\n"));
    CHECK(Lines(run.out).size() == 4);
}

TEST_CASE("iota adscript: each letter form in each system")
{
    // The text's value with its iota subscripts counted, per system, and how
    // many there are: without the option each adds nothing, with it Ι's value.
    struct Row
    {
        const char *name;
        std::string text;
        int classical, positional, milesian;
        int iotas;
    };
    const Row rows[] = {
        {"alpha with ypogegrammeni", "ᾳ", 11, 10, 11, 1},
        {"capital alpha with prosgegrammeni", "ᾼ", 11, 10, 11, 1},
        {"eta with ypogegrammeni", "ῃ", 18, 16, 18, 1},
        {"capital eta with prosgegrammeni", "ῌ", 18, 16, 18, 1},
        {"omega with ypogegrammeni", "ῳ", 810, 33, 810, 1},
        {"capital omega with prosgegrammeni", "ῼ", 810, 33, 810, 1},
        {"alpha, psili", "ᾀ", 11, 10, 11, 1},
        {"alpha, dasia, oxia", "ᾅ", 11, 10, 11, 1},
        {"alpha, varia", "ᾲ", 11, 10, 11, 1},
        {"alpha, oxia", "ᾴ", 11, 10, 11, 1},
        {"alpha, perispomeni", "ᾷ", 11, 10, 11, 1},
        {"capital alpha, dasia, perispomeni", "ᾏ", 11, 10, 11, 1},
        {"eta, dasia, perispomeni", "ᾗ", 18, 16, 18, 1},
        {"eta, varia", "ῂ", 18, 16, 18, 1},
        {"eta, oxia", "ῄ", 18, 16, 18, 1},
        {"eta, perispomeni", "ῇ", 18, 16, 18, 1},
        {"capital eta, psili, varia", "ᾚ", 18, 16, 18, 1},
        {"omega, psili, oxia", "ᾤ", 810, 33, 810, 1},
        {"omega, varia", "ῲ", 810, 33, 810, 1},
        {"omega, oxia", "ῴ", 810, 33, 810, 1},
        {"omega, perispomeni", "ῷ", 810, 33, 810, 1},
        {"capital omega, dasia, oxia", "ᾭ", 810, 33, 810, 1},
        {"decomposed: omega, combining ypogegrammeni", "ω\u0345", 810, 33, 810, 1},
        {"decomposed: alpha, psili, ypogegrammeni", "α\u0313\u0345", 11, 10, 11, 1},
        {"the word of the issue", "ᾠδή", 822, 44, 822, 1},
        {"two words, three subscripts", "τῷ ᾅδῃ", 1143, 82, 1143, 3},
        {"plain iota is no subscript", "ι", 10, 9, 10, 0},
        {"prosgegrammeni sign is an iota already", "\u1FBE", 10, 9, 10, 0},
        {"spacing ypogegrammeni is no letter", "\u037A", 0, 0, 0, 0},
        {"alpha with macron", "ᾱ", 1, 1, 1, 0},
    };
    for (const Row &row : rows) {
        const std::pair<const char *, int> systems[] = {{"classical", row.classical},
                                                        {"positional", row.positional},
                                                        {"milesian", row.milesian}};
        for (const auto &[system, value] : systems) {
            INFO(row.name, " (", system, ")");
            const int iota = std::string_view(system) == "positional" ? 9 : 10;
            const std::string with = std::to_string(value) + "\t" +
                                     std::to_string(value ? 1 + (value - 1) % 9 : 0) + "\t" +
                                     row.text + "\n";
            const int plain = value - row.iotas * iota;
            const std::string without = std::to_string(plain) + "\t" +
                                        std::to_string(plain ? 1 + (plain - 1) % 9 : 0) + "\t" +
                                        row.text + "\n";
            // As an argument and as a line of input (which takes the fast path
            // where the line allows it).
            CHECK(RunCli({"-s", system, "--iota-adscript", row.text}).out == with);
            CHECK(RunCli({"-s", system, "--iota-adscript"}, row.text + "\n").out == with);
            CHECK(RunCli({"-s", system}, row.text + "\n").out == without);
        }
    }
    // --explain: the added iota on a row of its own, under its letter.
    const ProcessResult explain = RunCli({"--explain", "--iota-adscript", "ᾠδή"});
    CHECK(LineOf(explain.out, 1) == "  800  U+1FA0   ᾠ → Ω");
    CHECK(LineOf(explain.out, 2) == "   10           + ι → Ι  iota adscript");
    CHECK(Contains(explain.out, "  822  total, primary number 3"));
}
