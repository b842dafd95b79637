// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up and shutdown: the controls library, the window classes, the main
// window from its resource, and the message loop until it closes.
#include "AboutUnit.h"
#include "Application.h"
#include "Dpi.h"
#include "HVersionLabel.h"
#include "Unit1.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show)
{
    int code = 1;
    psifonomoi::RunGuarded([&] {
#ifdef PSIFONOMOI_WITHOUT_NEWER_FUNCTIONS
        // The test build that runs the stand-ins of Windows 7 (tests/win32).
        psifonomoi::ForgetNewerFunctions();
#endif
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        TForm1::RegisterClass();
        TAboutFrm::RegisterClass();
        THVersionLabel::RegisterClass();
        TForm1 *form = TForm1::Create();
        ShowWindow(form->Handle(), show);
        code = psifonomoi::RunMessageLoop();
    });
    return code;
}
