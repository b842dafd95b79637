// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the engine and command-line suites need of the operating system, so
// that the suites themselves are the same on every platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace psifonomoi::test {

// A temporary file open for reading and writing in binary, holding
// `contents` and positioned at its start; removed when destroyed.
class TempFile
{
public:
    explicit TempFile(std::string_view contents = {});
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    int fd() const { return m_fd; }
    // Everything in the file, whatever the current position.
    std::string ReadAll() const;

private:
    int m_fd = -1;
};

enum class Input
{
    File, // standard input is a regular file (the usual case for word lists)
    Pipe,
};

enum class Output
{
    File,
    Broken, // every write fails: /dev/full, or a pipe nobody reads
};

struct ProcessResult
{
    int status = -1; // -1: did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` (a path relative to the working directory) with the UTF-8
// arguments `args`, handing it `input` on standard input.
ProcessResult RunProcess(const std::string &program, const std::vector<std::string> &args,
                         std::string_view input = {}, Input inputKind = Input::File,
                         Output outputKind = Output::File);

// The character of a Windows-1253 code by the system's own converter (iconv,
// or the Windows code page); empty for a code the converter leaves undefined.
std::optional<char32_t> DecodeWindows1253(unsigned char code);

} // namespace psifonomoi::test
