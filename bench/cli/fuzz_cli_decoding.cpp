// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: arbitrary bytes through the CLI's whole input path (line
// splitting, decoding in one of several encodings, validation, escaping and
// number formatting), checking what must hold for any input:
//   - the exit status is 0 or 65 (65 exactly when some line was reported);
//   - the output is well-formed UTF-8;
//   - one output line per input line, with the right number of columns;
//   - tiny buffers give exactly what big ones give.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const int in = MemFd(), out = MemFd(), err = MemFd();
    if (size < 1)
        return 0;
    // First byte: encoding, system, explain, and the small read buffer size.
    const unsigned config = data[0];
    ++data, --size;
    static const char *const kEncodings[] = {"UTF-8", "windows-1253", "iso-8859-7", "SHIFT_JIS"};
    static const char *const kSystems[] = {"classical", "positional", "both", "both"};
    const bool explain = config & 0x10;
    const bool both = (config >> 2 & 3) >= 2;
    std::vector<const char *> argv = {"psifonomoi-cli", "--encoding", kEncodings[config & 3],
                                      "--system", kSystems[config >> 2 & 3]};
    if (explain)
        argv.push_back("--explain");

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
    Check(status == 0 || status == 65);
    Check((status == 65) == !e.empty());
    Check(psifonomoi::FindInvalidUtf8(o) == std::string_view::npos);

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t lines = Count(input, '\n') + (!input.empty() && input.back() != '\n');
    Check(Count(e, '\n') <= lines);
    if (!explain) {
        Check(Count(o, '\n') == lines);
        const std::size_t tabs = both ? 4 : 2;
        std::size_t start = 0;
        while (start < o.size()) {
            const std::size_t end = o.find('\n', start);
            Check(Count(std::string_view(o).substr(start, end - start), '\t') == tabs);
            start = end + 1;
        }
    }

    const int smallStatus = run(1 + config % 7, 64, smallO, smallE);
    Check(smallStatus == status && smallO == o && smallE == e);
    return 0;
}
