// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Arguments.h"

#include "WordValue.h"

namespace psifonomoi::cli {

std::string ArgumentToUtf8(std::u16string_view argument)
{
    std::string utf8;
    utf8.reserve(argument.size() * 3);
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const char32_t unit = argument[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < argument.size() &&
            argument[i + 1] >= 0xDC00 && argument[i + 1] < 0xE000) {
            AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (argument[++i] - 0xDC00));
        } else if (unit >= 0xD800 && unit < 0xE000) {
            utf8 += {char(0xED), char(0x80 | (unit >> 6 & 0x3F)), char(0x80 | (unit & 0x3F))};
        } else {
            AppendUtf8(utf8, unit);
        }
    }
    return utf8;
}

int RunCliUtf16(const std::vector<std::u16string> &arguments, IoConfig io)
{
    std::vector<std::string> utf8;
    utf8.reserve(arguments.size());
    for (const std::u16string &argument : arguments)
        utf8.push_back(ArgumentToUtf8(argument));
    std::vector<const char *> argv;
    for (const std::string &argument : utf8)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    io.textArguments = true;
    return RunCli(int(utf8.size()), argv.data(), io);
}

} // namespace psifonomoi::cli
