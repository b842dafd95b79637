// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The Win32 about window, worked from outside: opened by Information, modal,
// its version read from the program's resource, its keys, its closing.
#include "AboutUnitIds.h"
#include "Driver.h"

#include <doctest/doctest.h>

#include <oleacc.h>

using namespace psifonomoi::test;

namespace {

// Information in the main window (Unit1.ui's Button2, the fourth control).
HWND Information(const TProgram &p)
{
    return FindWindowExW(p.Form(), nullptr, L"Button", L"Πληροφορίες");
}

HWND Open(const TProgram &p)
{
    PostMessageW(Information(p), BM_CLICK, 0, 0);
    HWND about = nullptr;
    REQUIRE(WaitFor([&] {
        about = p.FindTopLevel(L"TAboutFrm");
        return about && IsWindowVisible(about);
    }));
    p.Settle();
    return about;
}

} // namespace

TEST_CASE("Information opens the modal about window with the program's version")
{
    TProgram p;
    const HWND about = Open(p);
    CHECK(!IsWindowEnabled(p.Form()));
    CHECK(GetWindow(about, GW_OWNER) == p.Form());
    CHECK(Text(about) == L"Πληροφορίες");
    CHECK(Text(GetDlgItem(about, IDC_HVersionLabel1)) == L"2.0");
    CHECK(!IsWindowEnabled(GetDlgItem(about, IDC_Button2)));
    CHECK(p.Focused() == GetDlgItem(about, IDC_Button1));
    const SIZE client = ClientSize(about);
    CHECK(client.cx == 371);
    CHECK(client.cy == 247);
}

TEST_CASE("keys in the about window: Enter presses the focused button only, Escape nothing")
{
    struct Row
    {
        const char *name;
        WORD key, modifier;
        bool closes, asOpened; // asOpened: the focus left where the window put it
    };
    const Row rows[] = {{"Escape", VK_ESCAPE, 0, false, false},
                        {"Shift+Enter", VK_RETURN, VK_SHIFT, false, false},
                        {"Enter", VK_RETURN, 0, true, false},
                        {"Enter as the window opens", VK_RETURN, 0, true, true}};
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        const HWND about = Open(p);
        std::vector<WORD> modifiers;
        if (row.modifier)
            modifiers.push_back(row.modifier);
        if (row.asOpened)
            p.PressFocused(row.key, modifiers);
        else
            p.Press(GetDlgItem(about, IDC_Button1), row.key, modifiers);
        CHECK(WaitFor([&] { return !IsWindow(about); }, row.closes ? 5 : 0.5) == row.closes);
        CHECK(IsWindowEnabled(p.Form()) == row.closes);
    }
}

TEST_CASE("every way of closing releases the window, and it opens afresh each time")
{
    struct Row
    {
        const char *name;
        UINT message;
        WPARAM wParam;
    };
    const Row rows[] = {
        {"OK", BM_CLICK, 0}, {"close box", WM_CLOSE, 0}, {"system menu", WM_SYSCOMMAND, SC_CLOSE}};
    TProgram p;
    const int before = p.CountWindows();
    for (const Row &row : rows) {
        INFO(row.name);
        const HWND about = Open(p);
        CHECK(p.CountWindows() > before);
        const HWND target = row.message == BM_CLICK ? GetDlgItem(about, IDC_Button1) : about;
        PostMessageW(target, row.message, row.wParam, 0);
        CHECK(WaitFor([&] { return !IsWindow(about); }));
        p.Settle();
        CHECK(IsWindowEnabled(p.Form()));
        CHECK(p.CountWindows() == before);
    }
}

TEST_CASE("the about window reads as one text: icon, title, version, the warning as one sentence")
{
    CoInitialize(nullptr);
    {
        TProgram p;
        PostMessageW(FindWindowExW(p.Form(), nullptr, L"Button", L"Πληροφορίες"), BM_CLICK, 0, 0);
        HWND about = nullptr;
        REQUIRE(WaitFor([&] { return (about = p.FindTopLevel(L"TAboutFrm")) != nullptr; }));
        p.Settle();
        const std::wstring warning =
            Text(GetDlgItem(about, IDC_Label2)) + L" " + Text(GetDlgItem(about, IDC_Label3));
        struct Row
        {
            int id;
            std::wstring name;
        };
        const Row rows[] = {
            {IDC_Image5, L"Εικονίδιο του προγράμματος Ψηφόνομοι"},
            {IDC_Label10, L"Ψηφόνομοι ®  έκδοση"},
            {IDC_HVersionLabel1, L"2.0"},
            {IDC_Label2, warning},
            {IDC_GRImg, L"Νόμισμα με το γράμμα Ψ που περιστρέφεται"},
            {IDC_Button1, L"Εντάξει"},
        };
        for (const Row &row : rows) {
            INFO(row.id);
            CHECK(Ask(GetDlgItem(about, row.id)).name == row.name);
        }
        // The second half of the sentence is not read again on its own.
        CHECK((Ask(GetDlgItem(about, IDC_Label3)).state & STATE_SYSTEM_INVISIBLE) != 0);
        PostMessageW(about, WM_CLOSE, 0, 0);
    }
    CoUninitialize();
}
