// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSupport.h"

#include <doctest/doctest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

namespace psifonomoi::test {
namespace {

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

} // namespace

TempFile::TempFile(std::string_view contents)
{
    std::string name = (std::filesystem::temp_directory_path() / "psifonomoi-test-XXXXXX").string();
    m_fd = ::mkstemp(name.data());
    REQUIRE_MESSAGE(m_fd >= 0, "cannot make a temporary file");
    ::unlink(name.c_str());
    REQUIRE(WriteAll(m_fd, contents));
    REQUIRE(::lseek(m_fd, 0, SEEK_SET) == 0);
}

TempFile::~TempFile()
{
    ::close(m_fd);
}

std::string TempFile::ReadAll() const
{
    std::string all;
    char chunk[1 << 16];
    ssize_t n;
    for (off_t at = 0; (n = ::pread(m_fd, chunk, sizeof chunk, at)) > 0; at += n)
        all.append(chunk, std::size_t(n));
    return all;
}

ProcessResult RunProcess(const std::string &program, const std::vector<std::string> &args,
                         std::string_view input, Input inputKind, Output outputKind)
{
    // A child that exits without reading its input must fail the write, not
    // kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    TempFile in(inputKind == Input::File ? input : std::string_view{}), out, err;
    int pipeFds[2] = {-1, -1};
    if (inputKind == Input::Pipe)
        REQUIRE(::pipe(pipeFds) == 0);
    const int full = outputKind == Output::Broken ? ::open("/dev/full", O_WRONLY) : -1;
    if (outputKind == Output::Broken)
        REQUIRE_MESSAGE(full >= 0, "no /dev/full");

    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    REQUIRE(pid >= 0);
    if (pid == 0) {
        ::dup2(inputKind == Input::Pipe ? pipeFds[0] : in.fd(), 0);
        ::dup2(full >= 0 ? full : out.fd(), 1);
        ::dup2(err.fd(), 2);
        if (pipeFds[1] >= 0)
            ::close(pipeFds[1]);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (inputKind == Input::Pipe) {
        ::close(pipeFds[0]);
        WriteAll(pipeFds[1], input);
        ::close(pipeFds[1]);
    }
    if (full >= 0)
        ::close(full);
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0)
        REQUIRE(errno == EINTR);
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, out.ReadAll(), err.ReadAll()};
}

std::optional<char32_t> DecodeWindows1253(unsigned char code)
{
    iconv_t cd = ::iconv_open("UTF-32LE", "CP1253");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in = static_cast<char>(code);
    unsigned char out[8] = {};
    char *inp = &in;
    char *outp = reinterpret_cast<char *>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t rc = ::iconv(cd, &inp, &inLeft, &outp, &outLeft);
    ::iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || sizeof out - outLeft != 4)
        return std::nullopt;
    return char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 |
           char32_t(out[3]) << 24;
}

} // namespace psifonomoi::test
