// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's context menus: the edit's, in Greek and with an item that
// copies the result, and a copy menu on each result label.
#include "Application.h"
#include "Menus.h"
#include "Unit1.h"

#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

void CopyToClipboard(HWND owner, const std::wstring &text)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

// Where a menu opened from the keyboard (at == -1) appears: the control's
// top left corner.
POINT MenuPoint(HWND control, LPARAM at)
{
    POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        p = {0, 0};
        ClientToScreen(control, &p);
    }
    return p;
}

// Shows the first submenu of menu resource `id` and returns the command
// chosen, 0 for none.
int TrackMenu(int id, HWND owner, POINT at, void (*prepare)(HMENU, const void *), const void *data)
{
    const HMENU bar = LoadMenuW(psifonomoi::Instance(), MAKEINTRESOURCEW(id));
    if (!bar)
        return 0;
    const HMENU menu = GetSubMenu(bar, 0);
    prepare(menu, data);
    const int chosen = static_cast<int>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    DestroyMenu(bar);
    return chosen;
}

struct TEditState
{
    HWND edit;
    bool calculated;
};

void PrepareEdit1Menu(HMENU menu, const void *data)
{
    const auto *state = static_cast<const TEditState *>(data);
    DWORD start = 0, end = 0;
    SendMessageW(state->edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const bool selected = start != end;
    const auto enable = [menu](UINT id, bool on) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(WM_UNDO, SendMessageW(state->edit, EM_CANUNDO, 0, 0) != 0);
    enable(WM_CUT, selected);
    enable(WM_COPY, selected);
    enable(WM_CLEAR, selected);
    enable(WM_PASTE, IsClipboardFormatAvailable(CF_UNICODETEXT) != 0);
    enable(IDM_SelectAll, GetWindowTextLengthW(state->edit) > 0);
    enable(IDM_CopyResult, state->calculated);
}

void PrepareNothing(HMENU, const void *) {}

} // namespace

LRESULT CALLBACK TForm1::Edit1Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR form)
{
    if (message == WM_CONTEXTMENU) {
        psifonomoi::RunGuarded(
            [&] { reinterpret_cast<TForm1 *>(form)->Edit1ContextPopup(lParam); });
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(edit, Edit1Proc, 0);
    return DefSubclassProc(edit, message, wParam, lParam);
}

void TForm1::Edit1ContextPopup(LPARAM at)
{
    SetFocus(Edit1);
    const TEditState state{Edit1, FCalculatedSystem != nullptr};
    const int chosen =
        TrackMenu(IDR_Edit1Menu, FHandle, MenuPoint(Edit1, at), PrepareEdit1Menu, &state);
    if (chosen)
        MenuCommand(chosen);
}

void TForm1::ResultContextPopup(HWND label, LPARAM at)
{
    FMenuLabel = label;
    const int chosen =
        TrackMenu(IDR_ResultMenu, FHandle, MenuPoint(label, at), PrepareNothing, nullptr);
    if (chosen)
        MenuCommand(chosen);
    FMenuLabel = nullptr;
}

bool TForm1::MenuCommand(int id)
{
    switch (id) {
    case WM_UNDO:
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
        SendMessageW(Edit1, static_cast<UINT>(id), 0, 0);
        return true;
    case IDM_SelectAll:
        SendMessageW(Edit1, EM_SETSEL, 0, -1);
        return true;
    case IDM_CopyResult:
        CopyResultClick();
        return true;
    case IDM_CopyLabel:
        if (FMenuLabel)
            CopyToClipboard(FHandle, psifonomoi::WindowText(FMenuLabel));
        return true;
    default:
        return false;
    }
}

void TForm1::CopyResultClick()
{
    if (!FCalculatedSystem)
        return;
    std::wstring system = psifonomoi::WindowText(FCalculatedSystem);
    std::erase(system, L'&');
    CopyToClipboard(FHandle, FCalculatedText + L" = " + psifonomoi::WindowText(Label2) + L" (" +
                                 psifonomoi::WindowText(Label4) + L"), " + system);
}
