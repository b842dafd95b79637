// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window program: set up the application, show the calculator window and
// run until it closes.
#include "Application.h"
#include "Unit1.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TForm1 form;
    Form1 = &form;
    form.show();
    const int status = TApplication::exec();
    Form1 = nullptr;
    return status;
}
