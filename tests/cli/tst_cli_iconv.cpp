// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the converter is iconv (Linux): every encoding it lists either
// round-trips a line or is refused, and multi-byte encodings cut short.
#include "Cli.h"
#include "LineDecoder.h"
#include "TestSupport.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <iconv.h>
#include <sstream>
#include <string>
#include <vector>

using namespace psifonomoi::cli;
using namespace psifonomoi::test;

namespace {

struct Result
{
    int status;
    std::string out;
    std::string err;
};

Result Run(const std::vector<const char *> &args, std::string_view input)
{
    std::vector<const char *> argv{"psifonomoi-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    TempFile in(input), out, err;
    const int status =
        RunCli(int(argv.size()), argv.data(), {in.fd(), out.fd(), err.fd(), 1 << 16, 1 << 16});
    return {status, out.ReadAll(), err.ReadAll()};
}

// text (UTF-8) in the given encoding, from the initial state and flushed;
// empty when the encoding cannot hold it.
std::string Encode(const std::string &text, const std::string &encoding)
{
    const iconv_t cd = ::iconv_open(encoding.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(text.size() * 8 + 64, '\0');
    char *in = const_cast<char *>(text.data()), *o = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    const bool ok = ::iconv(cd, &in, &inLeft, &o, &outLeft) == 0 &&
                    ::iconv(cd, nullptr, nullptr, &o, &outLeft) == 0;
    ::iconv_close(cd);
    return ok ? out.substr(0, std::size_t(o - out.data())) : std::string();
}

std::vector<std::string> IconvNames()
{
    std::string list;
    if (std::FILE *p = ::popen("iconv --list", "r")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;)
            list.append(chunk, n);
        ::pclose(p);
    }
    for (char &c : list)
        if (c == '/' || c == ',' || c == '\n')
            c = ' ';
    std::istringstream words(list);
    std::vector<std::string> names;
    for (std::string name; words >> name;)
        names.push_back(name);
    return names;
}

} // namespace

TEST_CASE("every encoding iconv lists round-trips a line or is refused")
{
    const std::vector<std::string> names = IconvNames();
    REQUIRE(names.size() > 100);
    int tried = 0;
    for (const std::string &encoding : names) {
        INFO(encoding);
        // The first line the encoding can hold: Greek, Greek capitals without
        // accents (as in the Japanese sets), or else Latin, so that converters
        // without Greek still show whether they keep a line's last character.
        for (const std::string line : {"Ιησούς Χριστός", "ΙΗΣΟΥΣ", "abc"}) {
            const std::string encodedLine = Encode(line, encoding);
            const std::string lineFeed = Encode("\n", encoding);
            if (encodedLine.empty() || lineFeed.empty())
                continue;
            ++tried;
            // A line with its line feed and a last one without.
            const Result r =
                Run({"--encoding", encoding.c_str()}, encodedLine + lineFeed + encodedLine);
            if (lineFeed != "\n") {
                CHECK(r.status == 64);
            } else {
                const Result utf8 = Run({}, line + '\n' + line);
                CHECK(r.out == utf8.out);
                CHECK(r.err == utf8.err);
                CHECK(r.status == utf8.status);
            }
            break;
        }
    }
    CHECK(tried > 100);
}

TEST_CASE("a double-byte lead cut off by the end of the line")
{
    // iconv's EINVAL: the byte is set aside like any other bad byte.
    std::string error;
    const auto decoder = LineDecoder::Create("SHIFT_JIS", error);
    REQUIRE(decoder);
    const DecodedLine line = decoder->Decode("a\x82");
    CHECK(line.text == "a");
    CHECK(line.badCount == 1);
    CHECK(line.firstBad == 1);
    CHECK(line.firstByte == 0x82);
}
