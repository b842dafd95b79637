// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The CLI library at its edges: lines split across reads, buffers that must
// grow or flush mid-text, the decoders' bad-byte bookkeeping, escaping.
#include "Arguments.h"
#include "Cli.h"
#include "CliOptions.h"
#include "LineDecoder.h"
#include "Lookalikes.h"
#include "Numeral.h"
#include "OutputBuffer.h"
#include "ReferenceUnicode.h"
#include "TestSupport.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using namespace psifonomoi;
using namespace psifonomoi::cli;
using namespace psifonomoi::test;

namespace {

using Args = std::vector<std::string>;

struct Result
{
    int status;
    std::string out;
    std::string err;
    bool operator==(const Result &) const = default;
};

Result Run(const Args &args, std::string_view input, std::size_t readBuffer,
           std::size_t outputBuffer)
{
    std::vector<const char *> argv{"psifonomoi-cli"};
    for (const std::string &a : args)
        argv.push_back(a.c_str());
    TempFile in(input), out, err;
    IoConfig io{in.fd(), out.fd(), err.fd(), readBuffer, outputBuffer};
    const int status = RunCli(int(argv.size()), argv.data(), io);
    return {status, out.ReadAll(), err.ReadAll()};
}

std::string Escaped(std::string_view text, std::size_t capacity)
{
    TempFile out;
    OutputBuffer buffer(out.fd(), capacity);
    if (!buffer.AppendEscaped(text) || !buffer.Flush())
        return "write failed";
    return out.ReadAll();
}

} // namespace

TEST_CASE("buffer edges")
{
    static const char kWords[] = "Ιησούς\r\nαγάπη\n\nλ\xceγος\r\n\r\r\n\0x\nΩ\r";
    const std::string words(kWords, sizeof kWords - 1);
    struct Row
    {
        const char *name;
        Args args;
        std::string input;
    };
    const Row rows[] = {
        {"mixed lines", Args{}, words},
        {"both systems", Args{"-s", "both"}, words},
        {"explain", Args{"--explain"}, words},
        {"find", Args{"--find", "93"}, words},
        {"long line", Args{}, std::string(300, 'o') + "ω\nα"},
        {"windows-1253", Args{"--encoding", "windows-1253"}, "\xc9\xe7\xf3\r\n\xd2\xe1\n\xff"},
        {"only newlines", Args{}, "\n\n\r\n\n"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        // Whatever the buffer sizes, the result must be the one of big buffers.
        const Result reference = Run(row.args, row.input, 1 << 20, 1 << 20);
        CHECK((reference.status == 0 || reference.status == 65));
        CHECK(!reference.out.empty());
        for (std::size_t readBuffer : {1, 2, 3, 7, 16})
            for (std::size_t outputBuffer : {1, 64, 100}) {
                INFO("read " << readBuffer << ", output " << outputBuffer);
                CHECK(Run(row.args, row.input, readBuffer, outputBuffer) == reference);
            }
    }
}

TEST_CASE("raw arguments")
{
    // Bytes that a command line of text could not carry.
    struct Row
    {
        const char *name;
        Args args;
        int status;
        std::string_view out;
        std::string_view err;
    };
    const Row rows[] = {
        {"invalid argument", Args{"Α", "\xce", "Β"}, 65,
         "1\t1\tΑ\ninvalid\tinvalid\t\\xCE\n2\t2\tΒ\n",
         "psifonomoi-cli: argument 2: not valid UTF-8 at byte offset 0 (0xCE)\n"},
        {"encoded argument", Args{"--encoding", "ISO-8859-7", "\xe1\xb6"}, 0, "2\t2\tαΆ\n", ""},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const Result r = Run(row.args, {}, 16, 64);
        CHECK(r.err == row.err);
        CHECK(r.out == row.out);
        CHECK(r.status == row.status);
    }
}

// Arguments that come as UTF-16 (Windows' command line): text whatever the
// code pages, a broken surrogate shown as the bad bytes it stands for, and
// --encoding left to the input.
TEST_CASE("UTF-16 arguments")
{
    const char16_t high = 0xD83D, low = 0xDE00;
    struct Row
    {
        const char *name;
        std::vector<std::u16string> args;
        int status;
        std::string_view out;
        std::string_view err;
    };
    const Row rows[] = {
        {"Greek, polytonic, beyond the BMP",
         {u"Ιησούς", u"Νεῖλος", u"α😀β"},
         0,
         "888\t6\tΙησούς\n365\t5\tΝεῖλος\n3\t3\tα😀β\n",
         ""},
        {"pair written out", {std::u16string{u'α', high, low}}, 0, "1\t1\tα😀\n", ""},
        {"unpaired high surrogate",
         {std::u16string{u'α', high, u'β'}},
         65,
         "invalid\tinvalid\tα\\xED\\xA0\\xBDβ\n",
         "psifonomoi-cli: argument 1: not valid UTF-8 at byte offset 2 (0xED)\n"},
        {"unpaired low surrogate at the end",
         {std::u16string{u'Ω', low}},
         65,
         "invalid\tinvalid\tΩ\\xED\\xB8\\x80\n",
         "psifonomoi-cli: argument 1: not valid UTF-8 at byte offset 2 (0xED)\n"},
        {"--encoding is for the input",
         {u"--encoding", u"windows-1253", u"Ιησούς"},
         0,
         "888\t6\tΙησούς\n",
         ""},
        {"and is still checked", {u"--encoding", u"klingon", u"Ιησούς"}, 64, "", "klingon"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        std::vector<std::u16string> args{u"psifonomoi-cli"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        TempFile in, out, err;
        const int status = RunCliUtf16(args, {in.fd(), out.fd(), err.fd(), 16, 64});
        CHECK(out.ReadAll() == row.out);
        CHECK(err.ReadAll().starts_with(row.err) == !row.err.starts_with("klingon"));
        CHECK(status == row.status);
    }
}

TEST_CASE("escape")
{
    struct Row
    {
        const char *name;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"plain Greek", "Ψηφόνομοι", "Ψηφόνομοι"},
        {"named escapes", std::string("a\\b\tc\nd\re\0", 10), "a\\\\b\\tc\\nd\\re\\0"},
        {"other C0 and DEL", "\x01\x1b\x1f\x7f", "\\x01\\x1B\\x1F\\x7F"},
        {"C1 controls", "\xc2\x80\xc2\x85\xc2\x9f", "\\u0080\\u0085\\u009F"},
        {"printable after C2", "\xc2\xa0\xc2\xab\xc2\xbf", "\xc2\xa0\xc2\xab\xc2\xbf"},
        {"bidi controls and line separators",
         "a\u202Eb\u2028\u2029\u200E\u200F\u202A\u202D\u2066\u2069",
         "a\\u202Eb\\u2028\\u2029\\u200E\\u200F\\u202A\\u202D\\u2066\\u2069"},
        {"their neighbours stay", "\u200D\u2010\u2019\u2027\u202F\u2065\u206A\u2126\u20AC",
         "\u200D\u2010\u2019\u2027\u202F\u2065\u206A\u2126\u20AC"},
        {"longer than the buffer", std::string(500, 'x') + '\t' + std::string(70, 'y'),
         std::string(500, 'x') + "\\t" + std::string(70, 'y')},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK(Escaped(row.text, 1 << 16) == row.expected);
        CHECK(Escaped(row.text, 64) == row.expected); // runs and escapes straddling flushes
    }
}

TEST_CASE("format decimal")
{
    for (std::uint64_t n : {0ull, 7ull, 10ull, 1234567890ull, 18446744073709551615ull}) {
        char buffer[20];
        const std::size_t len = FormatDecimal(n, buffer);
        CHECK(std::string(buffer, len) == std::to_string(n));
    }
}

TEST_CASE("decoder")
{
    struct Row
    {
        const char *name;
        std::string encoding;
        std::string raw;
        std::string text;
        std::vector<int> bad; // triples: position in text, offset in raw, byte
    };
    const Row rows[] = {
        {"UTF-8, valid", "", std::string("αβ\0γ", 7), std::string("αβ\0γ", 7), std::vector<int>{}},
        {"UTF-8, cut short at the end", "utf8", "α\xce", "α", std::vector<int>{2, 2, 0xCE}},
        {"UTF-8, overlong and surrogate", "UTF-8", "\xc0\xafx\xed\xa0\x80", "x",
         std::vector<int>{0, 0, 0xC0, 0, 1, 0xAF, 1, 3, 0xED, 1, 4, 0xA0, 1, 5, 0x80}},
        {"windows-1253 undefined", "windows-1253", "\xaa\xe1\xd2\xff", "α",
         std::vector<int>{0, 0, 0xAA, 2, 2, 0xD2, 2, 3, 0xFF}},
        {"iso-8859-7 undefined", "iso-8859-7", "\xe1\xae", "α", std::vector<int>{2, 1, 0xAE}},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        std::string error;
        const auto decoder = LineDecoder::Create(row.encoding, error);
        INFO(error);
        REQUIRE(decoder);
        // Twice, so that leftovers of one line cannot leak into the next.
        for (int round = 0; round < 2; ++round) {
            const DecodedLine line = decoder->Decode(row.raw);
            CHECK(line.text == row.text);
            CHECK(FindInvalidUtf8(line.text) == std::string_view::npos);
            CHECK(line.badCount * 3 == row.bad.size());
            if (!row.bad.empty())
                CHECK((std::vector<int>{int(line.firstBad), int(line.firstByte)}) ==
                      std::vector<int>(row.bad.begin() + 1, row.bad.begin() + 3));
            // The walk gives the same text with each bad byte where it stood.
            std::string walked;
            std::vector<int> walkedBad;
            PiecesOf pieces(
                [&](std::string_view t) { return walked.append(t), true; },
                [&](std::size_t offset, unsigned char b) {
                    walkedBad.insert(walkedBad.end(), {int(walked.size()), int(offset), b});
                    return true;
                });
            CHECK(decoder->Walk(row.raw, pieces));
            CHECK(walked == row.text);
            CHECK(walkedBad == row.bad);
            if (row.encoding.empty())
                CHECK(static_cast<const void *>(line.text.data()) ==
                      static_cast<const void *>(row.raw.data())); // valid UTF-8 is not copied
        }
    }
}

TEST_CASE("modes")
{
    const std::string verse = "ΑΒΡΑΞΑΣ\nx\n\nΜΕΙΘΡΑΣ\n \nΝεῖλος\nα\n";
    struct Row
    {
        const char *name;
        Args args;
        std::string input;
        std::string out;
    };
    const Row rows[] = {
        {"milesian, numeral, csv", Args{"-s", "milesian", "--numeral", "--csv"}, "ϛϟϡ\n\n",
         "milesian_value,milesian_primary,milesian_numeral,text\r\n"
         "996,6,ϡϟϛ\u0374,ϛϟϡ\r\n0,0,-,\r\n"},
        {"numerals of both", Args{"-s", "both", "--numeral=upper"}, "Ιησούς",
         "888\t6\tΩΠΗ\u0374\t87\t6\tΠΖ\u0374\tΙησούς\n"},
        {"explain, csv", Args{"--explain", "--csv", "-s", "milesian"}, "o,ϛ\n\xff",
         "line,code_point,character,folded,milesian_value,note\r\n"
         "1,U+006F,o,,0,\"adds nothing: Latin small letter o, looks like Greek ο\"\r\n"
         "1,U+002C,\",\",,0,adds nothing\r\n1,U+03DB,ϛ,,6,numeral letter\r\n"
         "2,,\\xFF,,,not valid UTF-8\r\n"},
        {"group", Args{"--group"}, verse,
         "365\t5\t1\tΑΒΡΑΞΑΣ\n365\t5\t4\tΜΕΙΘΡΑΣ\n365\t5\t6\tΝεῖλος\n"},
        {"group of one value", Args{"--group", "--find=1"}, verse + "Α\n",
         "1\t1\t7\tα\n1\t1\t8\tΑ\n"},
        {"group, paragraphs", Args{"--group", "--paragraphs", "--numeral"},
         verse + "\nΝεῖλος\n\xff\nΝεῖλος",
         "365\t5\tτξε\u0374\t1\tΑΒΡΑΞΑΣ / x\n365\t5\tτξε\u0374\t4\tΜΕΙΘΡΑΣ\n"},
        {"group, csv quoting", Args{"--group", "--csv"}, "\"α\",\nα\n",
         "value,primary,line,text\r\n1,1,1,\"\"\"α\"\",\"\r\n1,1,2,α\r\n"},
        // Νέρων = ἰδίαν μητέρα ἀπέκτεινε = 1005: a run of a whole record, one at its end.
        {"runs", Args{"--find", "1005", "--runs"},
         "ἰδίαν μητέρα ἀπέκτεινε\n— 0 ἰδίαν μητέρα, ἀπέκτεινε Νέρων.",
         "1005\t6\t1\t1\t3\tἰδίαν μητέρα ἀπέκτεινε\n"
         "1005\t6\t2\t2\t3\tἰδίαν μητέρα, ἀπέκτεινε\n"
         "1005\t6\t2\t5\t1\tΝέρων\n"},
        {"runs, bounded, across lines",
         Args{"--find", "1005", "--runs", "--max-words=2", "--paragraphs"},
         "ἰδίαν μητέρα\nἀπέκτεινε Νέρων", "1005\t6\t1\t4\t1\tΝέρων\n"},
        {"runs, zeros inside, not at the ends", Args{"--find", "3", "--runs"}, "x α x β x γ",
         "3\t3\t1\t2\t3\tα x β\n3\t3\t1\t6\t1\tγ\n"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const Result r = Run(row.args, row.input, 7, 64);
        CHECK(r.out == row.out);
        CHECK(r.status == (row.input.find('\xff') != std::string::npos ? 65 : 0));
    }
}

TEST_CASE("numeral")
{
    struct Row
    {
        const char *name;
        std::uint64_t n;
        std::string_view lower;
        std::string_view upper; // letter for letter; the numeral signs have no case
    };
    const Row rows[] = {
        {"0", 0, "", ""},
        {"6", 6, "ϛ\u0374", "Ϛ\u0374"},
        {"90", 90, "ϟ\u0374", "Ϟ\u0374"},
        {"900", 900, "ϡ\u0374", "Ϡ\u0374"},
        {"1000", 1000, "͵α\u0374", "͵Α\u0374"},
        {"1006", 1006, "͵αϛ\u0374", "͵ΑϚ\u0374"},
        {"2011", 2011, "͵βια\u0374", "͵ΒΙΑ\u0374"},
        {"9999", 9999, "͵θϡϟθ\u0374", "͵ΘϠϞΘ\u0374"},
        {"10000", 10000, "͵ι\u0374", "͵Ι\u0374"},
        {"123456", 123456, "͵ρ͵κ͵γυνϛ\u0374", "͵Ρ͵Κ͵ΓΥΝϚ\u0374"},
        {"999999", 999999, "͵ϡ͵ϟ͵θϡϟθ\u0374", "͵Ϡ͵Ϟ͵ΘϠϞΘ\u0374"},
        {"1000000", 1000000, "", ""},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        char buffer[kNumeralMax];
        CHECK(std::string_view(buffer, GreekNumeral(row.n, false, buffer)) == row.lower);
        CHECK(std::string_view(buffer, GreekNumeral(row.n, true, buffer)) == row.upper);
    }
}

TEST_CASE("parse")
{
    struct Row
    {
        const char *name;
        Args args;
        SystemChoice system;
        std::int64_t find; // -1: none
        Args texts;
    };
    const Row rows[] = {
        {"defaults", Args{}, SystemChoice::Classical, -1, Args{}},
        {"options among texts", Args{"Α", "-s", "both", "Β", "--find=0"}, SystemChoice::Both, 0,
         Args{"Α", "Β"}},
        {"last one wins", Args{"-spositional", "--find", "5", "--find", "7"},
         SystemChoice::Positional, 7, Args{}},
        {"dash and double dash", Args{"-", "--", "--explain", "-s"}, SystemChoice::Classical, -1,
         Args{"-", "--explain", "-s"}},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        std::vector<const char *> argv{"psifonomoi-cli"};
        for (const std::string &a : row.args)
            argv.push_back(a.c_str());
        const ParseResult r = ParseArguments(int(argv.size()), argv.data());
        CHECK(r.error == "");
        CHECK(r.options.system == row.system);
        CHECK(r.options.find.value_or(-1) == row.find);
        CHECK(r.options.texts == row.texts);
        CHECK(!r.options.explain);
    }
}

TEST_CASE("look-alikes add nothing and resemble letters")
{
    // Naming a character that does add something, or pointing at something
    // that is no letter, would mislead exactly where --explain should help.
    int found = 0;
    for (char32_t c = 0; c < 0x3000; ++c) {
        const Lookalike *look = FindLookalike(c);
        if (!look)
            continue;
        ++found;
        CHECK(look->code == c);
        CHECK(LetterIndex(c) == 0);
        CHECK(LetterIndex(look->greek) != 0);
        CHECK(!look->name.empty());
    }
    CHECK(found >= 40);
    CHECK((FindLookalike(U'o') && FindLookalike(U'o')->greek == U'ο'));
    CHECK((FindLookalike(U'\u0430') && FindLookalike(U'\u0430')->greek == U'α'));
    CHECK(!FindLookalike(U'q'));
    CHECK(!FindLookalike(U'ο'));
}

TEST_CASE("plain rows on either side of 10000")
{
    // Values below 10000 take a table of ready columns (digits, primary number,
    // numeral), larger ones are written column by column: both must say what
    // the engine and the numeral writer say, in every layout.
    std::vector<std::string> texts;
    for (int omegas = 0; omegas <= 14; ++omegas) {
        std::string omega;
        for (int k = 0; k < omegas; ++k)
            omega += "ω";
        for (const char *rest : {"", "α", "ιθ", "τπιθ", "υ", "ωυ"})
            texts.push_back(omega + rest);
    }
    std::string input;
    for (const std::string &text : texts)
        input += text + "\n";
    struct Mode
    {
        bool both;
        NumeralCase numeral;
        bool csv;
    };
    for (const Mode mode :
         {Mode{false, NumeralCase::None, false}, Mode{true, NumeralCase::None, false},
          Mode{false, NumeralCase::None, true}, Mode{false, NumeralCase::Lower, false},
          Mode{true, NumeralCase::Upper, false}, Mode{true, NumeralCase::Lower, true}}) {
        Args args;
        if (mode.both)
            args.insert(args.end(), {"-s", "both"});
        if (mode.numeral != NumeralCase::None)
            args.push_back(mode.numeral == NumeralCase::Upper ? "--numeral=upper" : "--numeral");
        if (mode.csv)
            args.push_back("--csv");
        const std::string separator = mode.csv ? "," : "\t";
        std::string expected;
        for (const std::string &text : texts) {
            for (const TValueSystem system : {vsClassical, vsPositional}) {
                if (system == vsPositional && !mode.both)
                    continue;
                const WordValueInt value = SystemValue(text, system);
                expected += std::to_string(value) + separator +
                            std::to_string(PrimaryNumber(value)) + separator;
                if (mode.numeral != NumeralCase::None) {
                    char numeral[kNumeralMax];
                    const std::size_t length =
                        GreekNumeral(static_cast<std::uint64_t>(value),
                                     mode.numeral == NumeralCase::Upper, numeral);
                    expected += (length ? std::string(numeral, length) : "-") + separator;
                }
            }
            expected += text + (mode.csv ? "\r\n" : "\n");
        }
        const Result r = Run(args, input, 1 << 16, 1 << 16);
        INFO(doctest::toString(args.size()), " options: ", r.out.substr(0, 80));
        CHECK(r.status == 0);
        // CSV starts with a header row.
        CHECK(r.out.substr(mode.csv ? r.out.find('\n') + 1 : 0) == expected);
    }
}
