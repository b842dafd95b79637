// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The arguments as the UTF-16 text Windows keeps them in: through the ANSI
// code page, Greek would arrive only where that page happens to be Greek.
#include "Arguments.h"

#include <cwchar>
#include <string>
#include <vector>

// The entry point MinGW's -municode start-up code calls.
int wmain(int argc, wchar_t **argv);

int wmain(int argc, wchar_t **argv)
{
    std::vector<std::u16string> arguments;
    arguments.reserve(std::size_t(argc));
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i], argv[i] + std::wcslen(argv[i]));
    return psifonomoi::cli::RunCliUtf16(arguments);
}
