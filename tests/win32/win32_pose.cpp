// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Puts the running window program into a pose for scripts/screenshot:
//   win32_pose result   ΑΓΑΠΗ in the edit, Calculate pressed
//   win32_pose about    the about window opened
// (Typing into Wine through X loses letters; window messages do not.)
#include "Unit1Ids.h"

#include <windows.h>

#include <cstring>

int main(int argc, char **argv)
{
    HWND form = nullptr;
    for (int i = 0; i < 500 && !(form = FindWindowW(L"TForm1", nullptr)); ++i)
        Sleep(20);
    if (!form || argc != 2)
        return 1;
    if (std::strcmp(argv[1], "result") == 0) {
        SendDlgItemMessageW(form, IDC_Edit1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ΑΓΑΠΗ"));
        SendDlgItemMessageW(form, IDC_Button1, BM_CLICK, 0, 0);
        return 0;
    }
    if (std::strcmp(argv[1], "about") == 0) {
        PostMessageW(GetDlgItem(form, IDC_Button2), BM_CLICK, 0, 0);
        for (int i = 0; i < 500; ++i) {
            const HWND about = FindWindowW(L"TAboutFrm", nullptr);
            if (about && IsWindowVisible(about))
                return 0;
            Sleep(20);
        }
    }
    return 1;
}
