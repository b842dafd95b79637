// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Application.h"

extern "C" IMAGE_DOS_HEADER __ImageBase; // the linker's name for this module

namespace psifonomoi {

HINSTANCE Instance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring Widen(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

void ShowException(const std::exception *error)
{
    // Nothing may escape from here either: this runs inside a handler.
    try {
        const std::wstring text = error ? Widen(error->what()) : L"Άγνωστο σφάλμα";
        MessageBoxW(GetActiveWindow(), text.c_str(), L"Ψηφόνομοι", MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxW(GetActiveWindow(), L"Σφάλμα", L"Ψηφόνομοι", MB_OK | MB_ICONERROR);
    }
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

bool IsModifiedDialogKey(const MSG &msg)
{
    if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) ||
        (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

namespace {

// The dialog manager presses the focused push button on Enter only while it
// is drawn as the default button, and it draws it so only when it moves the
// focus itself (Tab, WM_NEXTDLGCTL). A window's first focus, a click (even
// one let go outside the button) and the focus given back on activation
// leave a plain button, and Enter went to the window's default instead, or
// nowhere in a window with none. So after whatever moved the focus, a push
// button that has it is made the default one, and once the focus is
// elsewhere the window's own default (or none) comes back.
void FollowFocus()
{
    static HWND followed = nullptr;
    const HWND focus = GetFocus();
    if (focus == followed)
        return;
    followed = focus;
    const HWND top = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    if (!top || top == focus)
        return;
    const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if (code & DLGC_UNDEFPUSHBUTTON)
        SendMessageW(top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    else if (!(code & DLGC_DEFPUSHBUTTON)) {
        const LRESULT defaultId = SendMessageW(top, DM_GETDEFID, 0, 0);
        SendMessageW(top, DM_SETDEFID, HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : 0, 0);
    }
}

} // namespace

void ProcessMessage(MSG &msg)
{
    FollowFocus(); // before Enter is read, and below for the look at once
    if (IsModifiedDialogKey(msg))
        return;
    const HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!top || !IsDialogMessageW(top, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    FollowFocus();
}

int RunMessageLoop()
{
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 1;
        ProcessMessage(msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace psifonomoi
