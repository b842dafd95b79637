// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// psifonomoi-cli as a function of its arguments and three file descriptors, so
// that tests and the fuzzer run exactly what the executable runs.
#pragma once

#include <cstddef>

namespace psifonomoi::cli {

struct IoConfig
{
    int in = 0;
    int out = 1;
    int err = 2;
    // Initial size of the read buffer (it grows to hold the longest line) and
    // size of the output buffer. Large by default for throughput; tests and the
    // fuzzer make them tiny to reach the paths at buffer edges.
    std::size_t readBuffer = std::size_t(1) << 17;
    std::size_t outputBuffer = std::size_t(1) << 17;
    // The TEXT arguments are UTF-8 text already (they came as UTF-16, see
    // Arguments.h), so --encoding applies to the input only.
    bool textArguments = false;
};

// Runs the command line and returns the exit status (see ExitStatus).
int RunCli(int argc, const char *const *argv, const IoConfig &io = {});

} // namespace psifonomoi::cli
