// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the two windows share: the guard that keeps exceptions inside a window
// procedure, their class procedure, the message loop with its dialog keys, and
// the instance.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace psifonomoi {

// The module whose resources the windows are made from.
HINSTANCE Instance();

// UTF-8 (an exception's message) to UTF-16 for the window system.
std::wstring Widen(std::string_view utf8);

// The text of `window` (a control's caption or an edit's contents), whole.
std::wstring WindowText(HWND window);

// The application's default handler: a message box with the exception's
// message; the program carries on.
void ShowException(const std::exception *error);

// Runs `handler`, reporting what it throws instead of letting it escape into
// the window system, where unwinding through its frames is undefined.
template <typename Handler> void RunGuarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &error) {
        ShowException(&error);
    } catch (...) {
        ShowException(nullptr);
    }
}

// The class procedure of a window made from a dialog resource, one object of
// TWindow per window: made on WM_INITDIALOG (the messages before it go to the
// dialog manager alone), kept in the window's user data, given every message
// through its Dispatch, deleted with the window. TWindow makes this its friend.
template <class TWindow> struct DialogWindow
{
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        bool handled = false;
        LRESULT result = 0;
        RunGuarded([&] {
            if (message == WM_INITDIALOG)
                SetWindowLongPtrW(window, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(new TWindow(window)));
            if (auto *form = reinterpret_cast<TWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                result = form->Dispatch(message, wParam, lParam, handled);
        });
        if (message == WM_NCDESTROY) {
            auto *form = reinterpret_cast<TWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete form;
        }
        return handled ? result : DefDlgProcW(window, message, wParam, lParam);
    }
};

// The dialog procedure of a window whose class procedure handles everything.
// The dialog manager sends WM_INITDIALOG only to a dialog that has one.
INT_PTR CALLBACK NoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the dialog manager may see `msg`. It presses the default button on
// Enter and the cancel button on Escape even with Shift, Ctrl or Alt held;
// the windows act only on the plain keys, so the modified ones are dropped.
bool IsModifiedDialogKey(const MSG &msg);

// Gives `msg` to the dialog manager of its top-level window, or dispatches it;
// Enter then presses the focused push button, however the focus got there.
void ProcessMessage(MSG &msg);

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

} // namespace psifonomoi
