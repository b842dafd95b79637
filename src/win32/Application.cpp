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

void ProcessMessage(MSG &msg)
{
    if (IsModifiedDialogKey(msg))
        return;
    const HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top && IsDialogMessageW(top, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
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
