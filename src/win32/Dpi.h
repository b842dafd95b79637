// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The display's DPI on every Windows the program runs on. Windows 10 (1607)
// gives each window a DPI of its own and sizes frames for it; Windows 7 and 8
// have one DPI for the whole system, and a program that imports the newer
// functions does not even start there. So they are looked up by name, once,
// and the system's DPI stands in where they are missing.
#pragma once

#include <windows.h>

namespace psifonomoi {

// The functions newer than Windows 7 that the windows use; null where this
// Windows lacks them.
struct TNewerFunctions
{
    UINT(WINAPI *GetDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI *AdjustWindowRectExForDpi)(RECT *, DWORD, BOOL, DWORD, UINT) = nullptr;
};

// Looked up on first use.
const TNewerFunctions &NewerFunctions();
// Empties NewerFunctions(), as on Windows 7, for a test build of the program
// that runs the stand-ins wherever it runs. Called before the first window.
void ForgetNewerFunctions();

// The DPI `window` is drawn at.
UINT WindowDpi(HWND window);
// AdjustWindowRectEx (no menu) for a window drawn at `dpi`.
void AdjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi);

} // namespace psifonomoi
