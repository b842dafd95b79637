// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the command line meets the operating system's files: reading the input
// descriptor and writing the output ones, byte for byte (no text-mode newline
// translation). One implementation per platform, chosen by CMake. On Windows a
// console is written as text (WriteConsoleW), so that Greek shows right
// whatever the console's code page; files and pipes get the UTF-8 bytes.
#pragma once

#include <cstddef>
#include <memory>

namespace psifonomoi::cli {

// Reads up to `size` bytes from `fd`: how many, 0 at the end of the input, or
// -1 with an errno value in `error`. Interrupted reads are retried.
std::ptrdiff_t ReadSome(int fd, char *data, std::size_t size, int &error);

class OutputDevice
{
public:
    explicit OutputDevice(int fd);
    ~OutputDevice();
    OutputDevice(const OutputDevice &) = delete;
    OutputDevice &operator=(const OutputDevice &) = delete;

    // Writes all `size` bytes of UTF-8: 0, or an errno value on failure. A
    // character cut in two by the caller's buffer may span two calls.
    int Write(const char *data, std::size_t size);

private:
    struct State; // the platform's
    std::unique_ptr<State> m_state;
};

} // namespace psifonomoi::cli
