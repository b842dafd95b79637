// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Arguments that arrive as UTF-16 text (Windows' command line), whatever the
// system's ANSI code page, rather than as bytes.
#pragma once

#include "Cli.h"

#include <string>
#include <string_view>
#include <vector>

namespace psifonomoi::cli {

// The argument as UTF-8. An unpaired surrogate has no UTF-8 form: it becomes
// the three bytes its code unit would take (0xED 0xA0..0xBF ...), which no
// decoder accepts, so that it is reported and shown as invalid bytes, as a
// broken argument is on Linux, instead of being quietly replaced.
std::string ArgumentToUtf8(std::u16string_view argument);

// RunCli on such arguments (the first is the program). --encoding then
// applies to the input's bytes only: the arguments are text already.
int RunCliUtf16(const std::vector<std::u16string> &arguments, IoConfig io = {});

} // namespace psifonomoi::cli
