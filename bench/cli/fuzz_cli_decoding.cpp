// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: arbitrary bytes through the CLI's whole input path (line
// splitting, decoding in one of several encodings, validation, escaping and
// number formatting), checking what must hold for any input:
//   - the exit status is 0 or 65 (65 exactly when some line was reported);
//     every mode: systems, --numeral, --csv, --group, --runs, --paragraphs;
//   - the output is well-formed UTF-8;
//   - one output row per input line (or per shared value or run, with
//     --group and --runs), with the right number of columns;
//   - options that do not go together are refused with 64 and no output;
//   - tiny buffers give exactly what big ones give;
//   - UTF-8 lines read from the input give the rows they give as TEXT
//     arguments (the block-at-a-time path against the line-at-a-time one).
#include "Cli.h"
#include "WordValue.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

int MemFd()
{
    const int fd = ::memfd_create("fuzz", 0);
    if (fd < 0)
        std::abort();
    return fd;
}

void Reset(int fd, const std::uint8_t *data, std::size_t size)
{
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    if (size && ::write(fd, data, size) != static_cast<ssize_t>(size))
        std::abort();
    ::lseek(fd, 0, SEEK_SET);
}

std::string ReadAll(int fd)
{
    std::string all;
    char chunk[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        all.append(chunk, static_cast<std::size_t>(n));
    return all;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::size_t Count(std::string_view s, char c)
{
    std::size_t n = 0;
    for (char x : s)
        n += x == c;
    return n;
}

// Rows of output: lines, or CRLF-ended records in CSV (where a quoted field
// may hold a lone CR or LF but never CR LF: the input has no LF within a line).
std::size_t Rows(std::string_view out, bool csv)
{
    if (!csv)
        return Count(out, '\n');
    std::size_t n = 0;
    for (std::size_t at = 0; (at = out.find("\r\n", at)) != std::string_view::npos; at += 2)
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const int in = MemFd(), out = MemFd(), err = MemFd();
    if (size < 3)
        return 0;
    // First byte: encoding (bits 0, 1 and 5), system, explain, and the small
    // read buffer size. The second four encodings keep state within a line.
    // Second byte: numeral, CSV, plain/group/runs, paragraphs, max words.
    // Third byte: the value runs must add up to; its high bit, --iota-adscript.
    const unsigned config = data[0], modes = data[1], target = data[2];
    data += 3, size -= 3;
    static const char *const kEncodings[] = {"UTF-8",         "windows-1253", "iso-8859-7",
                                             "SHIFT_JIS",     "CP1258",       "TCVN5712-1",
                                             "ISO-2022-JP-2", "BIG5-HKSCS"};
    static const char *const kSystems[] = {"classical", "positional", "both", "milesian"};
    static const char *const kNumerals[] = {nullptr, "--numeral", "--numeral=upper", nullptr};
    static const char *const kMaxWords[] = {nullptr, "--max-words=1", "--max-words=2",
                                            "--max-words=3"};
    const bool explain = config & 0x10, csv = modes & 4, paragraphs = modes & 0x20;
    const bool both = (config >> 2 & 3) == 2, numeral = kNumerals[modes & 3];
    const bool group = (modes >> 3 & 3) == 1, runs = (modes >> 3 & 3) == 2;
    const std::string find = "--find=" + std::to_string(target);
    std::vector<const char *> argv = {"psifonomoi-cli", "--encoding",
                                      kEncodings[(config & 3) | (config >> 3 & 4)], "--system",
                                      kSystems[config >> 2 & 3]};
    for (const char *option :
         {explain ? "--explain" : nullptr, kNumerals[modes & 3], csv ? "--csv" : nullptr,
          group ? "--group" : nullptr, runs ? "--runs" : nullptr, runs ? find.c_str() : nullptr,
          paragraphs ? "--paragraphs" : nullptr, kMaxWords[modes >> 6],
          target & 0x80 ? "--iota-adscript" : nullptr})
        if (option)
            argv.push_back(option);

    auto run = [&](std::size_t readBuffer, std::size_t outputBuffer, std::string &o,
                   std::string &e) {
        Reset(in, data, size);
        Reset(out, nullptr, 0);
        Reset(err, nullptr, 0);
        const psifonomoi::cli::IoConfig io{in, out, err, readBuffer, outputBuffer};
        const int status = psifonomoi::cli::RunCli(static_cast<int>(argv.size()), argv.data(), io);
        o = ReadAll(out);
        e = ReadAll(err);
        return status;
    };

    std::string o, e, smallO, smallE;
    const int status = run(1 << 16, 1 << 16, o, e);
    const bool usageError = ((group || runs) && both) || (explain && (group || runs)) ||
                            (paragraphs && !group && !runs) || (kMaxWords[modes >> 6] && !runs);
    if (usageError) {
        Check(status == 64 && o.empty() && !e.empty());
        return 0;
    }
    Check(status == 0 || status == 65);
    Check((status == 65) == !e.empty());
    Check(psifonomoi::FindInvalidUtf8(o) == std::string_view::npos);

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t lines = Count(input, '\n') + (!input.empty() && input.back() != '\n');
    Check(Count(e, '\n') <= lines);
    if (!explain) {
        const std::size_t rows = Rows(o, csv) - csv; // without the header
        Check(group || runs ? (group ? rows <= lines : true) : rows == lines);
        // Columns, counted as tabs in the default output (CSV may quote them).
        const std::size_t perValue = numeral ? 3 : 2;
        const std::size_t tabs = group  ? perValue + 1
                                 : runs ? perValue + 3
                                        : perValue * (both ? 2 : 1);
        for (std::size_t start = 0; !csv && start < o.size();) {
            const std::size_t end = o.find('\n', start);
            const std::string_view row = std::string_view(o).substr(start, end - start);
            Check(Count(row, '\t') == tabs);
            Check(!runs || row.starts_with(std::to_string(target) + '\t'));
            start = end + 1;
        }
    }

    const int smallStatus = run(1 + config % 7, 64, smallO, smallE);
    Check(smallStatus == status && smallO == o && smallE == e);

    // The same lines as arguments (which cannot hold NUL): the same rows.
    const bool utf8 = (config & 3) == 0 && (config & 0x20) == 0;
    if (utf8 && !explain && !group && !runs && input.find('\0') == std::string_view::npos) {
        std::vector<std::string> texts;
        for (std::size_t start = 0; start < input.size();) {
            std::size_t end = input.find('\n', start);
            const bool last = end == std::string_view::npos;
            end = last ? input.size() : end;
            std::size_t length = end - start;
            if (!last && length > 0 && input[end - 1] == '\r')
                --length;
            texts.emplace_back(input.substr(start, length));
            start = end + 1;
        }
        std::vector<const char *> withTexts = argv;
        withTexts.push_back("--");
        for (const std::string &text : texts)
            withTexts.push_back(text.c_str());
        Reset(in, nullptr, 0);
        Reset(out, nullptr, 0);
        Reset(err, nullptr, 0);
        const psifonomoi::cli::IoConfig io{in, out, err, 1 << 16, 1 << 16};
        const int textsStatus =
            psifonomoi::cli::RunCli(static_cast<int>(withTexts.size()), withTexts.data(), io);
        Check(textsStatus == status && ReadAll(out) == o);
    }
    return 0;
}
