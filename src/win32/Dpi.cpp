// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Dpi.h"

namespace psifonomoi {

namespace {

template <typename TFunction> void LookUp(HMODULE module, const char *name, TFunction &function)
{
    // Through void (*)(), the one cast GCC takes for any function type.
    function =
        reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TNewerFunctions &Functions()
{
    static TNewerFunctions functions = [] {
        TNewerFunctions found;
        if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
            LookUp(user32, "GetDpiForWindow", found.GetDpiForWindow);
            LookUp(user32, "AdjustWindowRectExForDpi", found.AdjustWindowRectExForDpi);
        }
        return found;
    }();
    return functions;
}

} // namespace

const TNewerFunctions &NewerFunctions()
{
    return Functions();
}

void ForgetNewerFunctions()
{
    Functions() = {};
}

UINT WindowDpi(HWND window)
{
    if (const auto getDpi = NewerFunctions().GetDpiForWindow)
        return getDpi(window);
    // The system's DPI, which a program that says it is DPI-aware is drawn at
    // before Windows 10. (Windows 8.1 tells a window moved to a monitor of
    // another DPI with WM_DPICHANGED.)
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void AdjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi)
{
    if (const auto adjust = NewerFunctions().AdjustWindowRectExForDpi)
        adjust(&rect, style, FALSE, exStyle, dpi);
    else // frames drawn at the system's DPI, as before Windows 10
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

} // namespace psifonomoi
