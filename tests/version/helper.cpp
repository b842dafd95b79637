// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in executable: the tests read the version note the build gives it.
int main()
{
    return 0;
}
