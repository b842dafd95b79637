// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Cli.h"

int main(int argc, char **argv)
{
    return psifonomoi::cli::RunCli(argc, argv);
}
