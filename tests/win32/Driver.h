// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Works the real window program from outside, as a user or a screen reader
// would: starts psifonomoi.exe, finds its windows and controls, sets text,
// clicks, presses keys and reads the labels back. Window messages and
// SendInput cross processes, under Wine too.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace psifonomoi::test {

// Waits until `done` holds or `seconds` pass; says which.
bool WaitFor(const std::function<bool()> &done, double seconds = 10);

class TProgram
{
public:
    // Starts the program beside this driver (psifonomoi.exe, or the one
    // PSIFONOMOI_PROGRAM names) and waits for its main window.
    TProgram();
    // Takes over the program that is already running (started by run-gui.sh
    // with Wine's trace of its GDI objects, see LiveGdiObjects).
    struct TRunning
    {
    };
    explicit TProgram(TRunning);
    TProgram(const TProgram &) = delete;
    TProgram &operator=(const TProgram &) = delete;
    ~TProgram();

    HWND Form() const { return m_form; }
    HWND Control(int id) const { return GetDlgItem(m_form, id); }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    HANDLE Process() const { return m_process.hProcess; }
    bool Running() const;
    // Waits until the program has handled what it was sent.
    void Settle() const;

    // The top-level window of class `className` of this program, or null.
    HWND FindTopLevel(const wchar_t *className) const;
    // How many windows the program has, its controls included.
    int CountWindows() const;

    // What a user does.
    void SetText(int id, const std::wstring &text) const;
    void Click(int id) const;     // returns when the click is handled
    void PostClick(int id) const; // for a click that opens a modal window
    void Focus(HWND control) const;
    HWND Focused() const;
    // Presses `key` with the modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU);
    // `extended` for the keypad's Enter.
    void Press(HWND window, WORD key, const std::vector<WORD> &modifiers = {},
               bool extended = false) const;
    // Presses `key` wherever the focus is, moving nothing first.
    void PressFocused(WORD key, const std::vector<WORD> &modifiers = {},
                      bool extended = false) const;
    // Presses the left mouse button on `control` and lets it go outside.
    void PressAndSlideOff(HWND control) const;
    void Paste(int id, const std::wstring &text) const;

private:
    void WaitForForm();
    PROCESS_INFORMATION m_process{};
    HWND m_form = nullptr;
};

// Whether this runs under Wine.
bool UnderWine();
// The version of Windows this runs on, major * 100 + minor (601: Windows 7),
// whatever a manifest makes GetVersionEx say.
int WindowsVersion();
// The GDI objects alive in `process` when it last made or freed one, from
// Wine's trace of them in the file PSIFONOMOI_GDI_TRACE_WIN names; -1 each
// when there is no such trace.
struct TGdiObjects
{
    long own = -1;        // what the program can make: fonts, bitmaps, memory DCs...
    long displayDcs = -1; // Wine's cache behind GetDC and BeginPaint
};
TGdiObjects LiveGdiObjects(HANDLE process);

// What Active Accessibility (oleacc) tells a screen reader of a control,
// asked from outside as a screen reader asks. Needs COM initialised.
struct TAccessible
{
    std::wstring name, description;
    long role = 0, state = 0;
};
TAccessible Ask(HWND control);

std::wstring Text(HWND window);
// Puts `text` on the clipboard, as another program would.
void SetClipboard(const std::wstring &text);
RECT ClientRectIn(HWND control, HWND parent);
SIZE ClientSize(HWND window);
bool Checked(HWND button);

} // namespace psifonomoi::test
