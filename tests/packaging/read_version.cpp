// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints the file version recorded in an executable's version note as
// "a.b.c.d", or "--.--" when it has none: the same reader the about window
// uses, pointed at an installed file.
#include "ExeVersion.h"

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    namespace ev = psifonomoi::exeversion;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s EXECUTABLE\n", argv[0]);
        return 64;
    }
    const auto block = ev::ReadVersionInfo(QFile::decodeName(argv[1]));
    const auto info = block ? ev::QueryFixedFileInfo(*block) : std::nullopt;
    if (!info) {
        std::puts("--.--");
        return 1;
    }
    std::printf("%u.%u.%u.%u\n", info->fileVersionMS >> 16, info->fileVersionMS & 0xFFFFu,
                info->fileVersionLS >> 16, info->fileVersionLS & 0xFFFFu);
    return 0;
}
