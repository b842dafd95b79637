// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window program's start-up as main.cpp does it, ending at the first paint.
#include "Application.h"
#include "FirstPaint.h"
#include "Unit1.h"

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TForm1 form;
    Form1 = &form;
    new FirstPaint(&form);
    form.show();
    const int status = TApplication::exec();
    Form1 = nullptr;
    return status;
}
