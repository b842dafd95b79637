// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The Win32 main window, worked from outside: one row per behaviour the Qt
// window's suite checks, on the real program under the real dialog manager.
#include "Driver.h"
#include "Form1Design.h"
#include "Menus.h"
#include "Unit1Ids.h"
#include "WordValue.h"

#include <doctest/doctest.h>

#include <string>

using namespace psifonomoi::test;
namespace design = psifonomoi::design::form1;

namespace {

std::wstring Word(const TProgram &p)
{
    return Text(p.Control(IDC_Label2));
}
std::wstring Primary(const TProgram &p)
{
    return Text(p.Control(IDC_Label4));
}

std::wstring Clipboard()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t *>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void CloseAbout(const TProgram &p)
{
    HWND about = nullptr;
    REQUIRE(WaitFor([&] { return (about = p.FindTopLevel(L"TAboutFrm")) != nullptr; }));
    PostMessageW(about, WM_CLOSE, 0, 0);
    REQUIRE(WaitFor([&] { return !IsWindow(about); }));
}

} // namespace

TEST_CASE("starts empty with the classical system chosen, at its designed size and place")
{
    TProgram p;
    CHECK(Text(p.Control(IDC_Edit1)).empty());
    CHECK(Checked(p.Control(IDC_RadioButton1)));
    CHECK(!Checked(p.Control(IDC_RadioButton2)));
    CHECK(Word(p) == L"0");
    CHECK(Primary(p) == L"0");
    CHECK(Text(p.Form()) == L"Ψηφόνομοι");
    const SIZE client = ClientSize(p.Form());
    CHECK(client.cx == design::kClientWidth);
    CHECK(client.cy == design::kClientHeight);
    RECT outer;
    GetWindowRect(p.Form(), &outer);
    CHECK(outer.left == design::kFirstLeft);
    CHECK(outer.top == design::kFirstTop);
    CHECK((GetWindowLongW(p.Control(IDC_Button1), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON);
    CHECK(p.Focused() == p.Control(IDC_Edit1));
    CHECK(SendMessageW(p.Control(IDC_Edit1), EM_GETLIMITTEXT, 0, 0) > 0x10000000);
}

TEST_CASE("Wine is the Windows that the run asks for")
{
    // PSIFONOMOI_WINVER, set in the prefix by run-gui.sh.
    char asked[16] = "";
    GetEnvironmentVariableA("PSIFONOMOI_WINVER", asked, sizeof asked);
    INFO("asked for " << asked);
    if (UnderWine() && asked[0])
        CHECK(WindowsVersion() == (std::string(asked) == "win7" ? 601 : 1000));
}

TEST_CASE("Tab runs Edit1, Calculate, Information, Close, the checked system")
{
    TProgram p;
    p.Focus(p.Control(IDC_Edit1));
    for (int id : {IDC_Button1, IDC_Button2, IDC_Button3, IDC_RadioButton1, IDC_Edit1}) {
        INFO(id);
        p.Press(p.Focused(), VK_TAB);
        CHECK(p.Focused() == p.Control(id));
    }
}

TEST_CASE("worked example: ΑΓΑΠΗ is 93 and 3, then 28 and 1 once the positional system is chosen")
{
    struct Row
    {
        const char *name;
        WORD key; // 0: click Calculate
        bool extended;
    };
    const Row rows[] = {{"Return", VK_RETURN, false},
                        {"keypad Enter", VK_RETURN, true},
                        {"Calculate clicked", 0, false}};
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
        if (row.key)
            p.Press(p.Control(IDC_Edit1), row.key, {}, row.extended);
        else
            p.Click(IDC_Button1);
        CHECK(Word(p) == L"93");
        CHECK(Primary(p) == L"3");
        p.Click(IDC_RadioButton2);
        CHECK(Word(p) == L"28");
        CHECK(Primary(p) == L"1");
        CHECK(Text(p.Control(IDC_Edit1)) == L"ΑΓΑΠΗ");
    }
}

TEST_CASE("Enter or Escape with Shift, Ctrl or Alt does nothing")
{
    struct Row
    {
        const char *name;
        WORD key, modifier;
    };
    const Row rows[] = {{"Shift+Enter", VK_RETURN, VK_SHIFT},
                        {"Ctrl+Enter", VK_RETURN, VK_CONTROL},
                        {"Alt+Enter", VK_RETURN, VK_MENU},
                        {"Shift+Escape", VK_ESCAPE, VK_SHIFT},
                        {"Ctrl+Escape", VK_ESCAPE, VK_CONTROL}};
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
        p.Press(p.Control(IDC_Edit1), row.key, {row.modifier});
        CHECK(p.Running());
        CHECK(IsWindowVisible(p.Form()));
        CHECK(Word(p) == L"0");
    }
}

TEST_CASE("plain Escape closes the program")
{
    TProgram p;
    p.Press(p.Control(IDC_Edit1), VK_ESCAPE);
    CHECK(WaitForSingleObject(p.Process(), 5000) == WAIT_OBJECT_0);
}

TEST_CASE("the system chosen by keyboard recalculates at once; the checked one again does nothing")
{
    TProgram p;
    p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
    p.Click(IDC_RadioButton1); // already checked
    CHECK(Word(p) == L"0");
    p.SetText(IDC_Edit1, L"Ιησούς"); // never calculated
    p.Press(p.Control(IDC_RadioButton1), VK_DOWN);
    CHECK(Checked(p.Control(IDC_RadioButton2)));
    CHECK(Word(p) == L"87");
    CHECK(Primary(p) == L"6");
    p.Press(p.Focused(), VK_UP);
    CHECK(Checked(p.Control(IDC_RadioButton1)));
    CHECK(Word(p) == L"888");
    // The group's one tab stop follows the checked button.
    p.Press(p.Control(IDC_Button3), VK_TAB);
    CHECK(p.Focused() == p.Control(IDC_RadioButton1));
}

TEST_CASE("an empty text gives zeros; editing alone does not recalculate")
{
    TProgram p;
    p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
    p.Click(IDC_Button1);
    p.SetText(IDC_Edit1, L"ΑΓΑΠΗΩ");
    CHECK(Word(p) == L"93");
    CHECK(Primary(p) == L"3");
    p.SetText(IDC_Edit1, L"");
    p.Click(IDC_Button1);
    CHECK(Word(p) == L"0");
    CHECK(Primary(p) == L"0");
}

TEST_CASE("Enter on a focused button presses that button, not Calculate")
{
    struct Row
    {
        const char *name;
        int button;
        bool extended, byMouse; // byMouse: pressed there and let go outside
    };
    const Row rows[] = {{"Information, Return", IDC_Button2, false, false},
                        {"Close, Return", IDC_Button3, false, false},
                        {"Close, keypad Enter", IDC_Button3, true, false},
                        {"Information by the mouse, Return", IDC_Button2, false, true},
                        {"Close by the mouse, Return", IDC_Button3, false, true}};
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
        if (row.byMouse) {
            p.PressAndSlideOff(p.Control(row.button));
            REQUIRE(p.Focused() == p.Control(row.button));
            // The button Enter presses is the one drawn as the default.
            CHECK((GetWindowLongW(p.Control(row.button), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON);
            CHECK((GetWindowLongW(p.Control(IDC_Button1), GWL_STYLE) & 0xF) == BS_PUSHBUTTON);
            p.PressFocused(VK_RETURN);
        } else {
            p.Press(p.Control(row.button), VK_RETURN, {}, row.extended);
        }
        if (row.button == IDC_Button2) {
            CloseAbout(p);
            p.Settle();
            CHECK(Word(p) == L"0");
            CHECK(IsWindowVisible(p.Form()));
        } else {
            CHECK(WaitForSingleObject(p.Process(), 5000) == WAIT_OBJECT_0);
        }
    }
}

TEST_CASE("the default look follows the focus to a button and back to Calculate")
{
    TProgram p;
    const auto isDefault = [&p](int id) {
        return (GetWindowLongW(p.Control(id), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    };
    p.SetText(IDC_Edit1, L"ΑΓΑΠΗ");
    p.PressAndSlideOff(p.Control(IDC_Button3));
    CHECK(isDefault(IDC_Button3));
    p.PressAndSlideOff(p.Control(IDC_Edit1));
    REQUIRE(p.Focused() == p.Control(IDC_Edit1));
    CHECK(!isDefault(IDC_Button3));
    CHECK(isDefault(IDC_Button1));
    p.PressFocused(VK_RETURN);
    CHECK(Word(p) == L"93");
}

TEST_CASE("the window only widens, and widening stretches or moves the anchored controls")
{
    TProgram p;
    RECT outer;
    GetWindowRect(p.Form(), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(p.Form(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    p.Settle();
    CHECK(ClientSize(p.Form()).cx == design::kClientWidth);
    CHECK(ClientSize(p.Form()).cy == design::kClientHeight);
    SetWindowPos(p.Form(), nullptr, 0, 0, width + 200, height + 300, SWP_NOMOVE | SWP_NOZORDER);
    p.Settle();
    CHECK(ClientSize(p.Form()).cx == design::kClientWidth + 200);
    CHECK(ClientSize(p.Form()).cy == design::kClientHeight);

    // Positions in the window's client area; the Qt suite's rows give those
    // inside a group relative to the group.
    struct Row
    {
        int id, inside;
        RECT widened;
    };
    const Row rows[] = {{IDC_Label5, 0, {16, 8, 616, 47}},
                        {IDC_Edit1, 0, {16, 58, 626, 86}},
                        {IDC_GroupBox1, 0, {112, 96, 625, 225}},
                        {IDC_Label7, IDC_GroupBox1, {24, 72, 499, 124}},
                        {IDC_GroupBox2, 0, {16, 232, 537, 329}},
                        {IDC_Button2, 0, {544, 240, 625, 265}},
                        {IDC_Button3, 0, {544, 272, 625, 297}},
                        {IDC_Button1, 0, {18, 94, 105, 119}},
                        {IDC_RadioButton2, IDC_GroupBox1, {8, 56, 305, 73}},
                        {IDC_Label3, IDC_GroupBox2, {16, 60, 284, 89}}};
    for (const Row &row : rows) {
        INFO(row.id);
        RECT r = ClientRectIn(p.Control(row.id), p.Form());
        if (row.inside) {
            const RECT group = ClientRectIn(p.Control(row.inside), p.Form());
            OffsetRect(&r, -group.left, -group.top);
        }
        CHECK(EqualRect(&r, &row.widened));
    }
}

TEST_CASE("at the display's DPI the window and its controls scale in proportion")
{
    // Run at 96 and, as tst_win32_mainwindow_144dpi, at 144 dpi.
    TProgram p;
    const UINT dpi = GetDpiForWindow(p.Form());
    INFO("dpi " << dpi);
    const auto scale = [dpi](int v) { return MulDiv(v, static_cast<int>(dpi), 96); };
    const SIZE client = ClientSize(p.Form());
    CHECK(client.cx == scale(design::kClientWidth));
    CHECK(client.cy == scale(design::kClientHeight));
    struct Row
    {
        int id;
        RECT designed; // in the client area at 96 dpi
    };
    const Row rows[] = {{IDC_Edit1, {16, 58, 426, 86}},
                        {IDC_Button3, {344, 272, 425, 297}},
                        {IDC_GroupBox2, {16, 232, 337, 329}}};
    for (const Row &row : rows) {
        INFO(row.id);
        const RECT r = ClientRectIn(p.Control(row.id), p.Form());
        const RECT expected{scale(row.designed.left), scale(row.designed.top),
                            scale(row.designed.right), scale(row.designed.bottom)};
        CHECK(EqualRect(&r, &expected));
    }
}

TEST_CASE("large and long texts: the label widens, a pasted text is kept whole and valued exactly")
{
    struct Row
    {
        const char *name;
        std::wstring text;
    };
    const Row rows[] = {{"a thousand omegas", std::wstring(1000, L'Ω')},
                        {"past the edit's default limit", std::wstring(40000, L'Α')},
                        {"a million letters", std::wstring(1000000, L'Ψ')}};
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        p.Paste(IDC_Edit1, row.text);
        CHECK(SendMessageW(p.Control(IDC_Edit1), WM_GETTEXTLENGTH, 0, 0) ==
              static_cast<LRESULT>(row.text.size()));
        p.Press(p.Control(IDC_Edit1), VK_RETURN);
        const auto expected = psifonomoi::CalculateWordValue(
            std::u16string_view(reinterpret_cast<const char16_t *>(row.text.data()),
                                row.text.size()),
            psifonomoi::vsClassical);
        CHECK(Word(p) == std::to_wstring(expected.WordValue));
        CHECK(Primary(p) == std::to_wstring(expected.Primary));
        const RECT label = ClientRectIn(p.Control(IDC_Label2), p.Form());
        CHECK(label.right - label.left > 15);
    }
}

TEST_CASE("the edit's menu copies the result with the text and system it was calculated for")
{
    const std::wstring classical = L"Αριθμητικό σύστημα κλασικής περιόδου";
    struct Row
    {
        const char *name;
        std::wstring typed;
        bool calculate, positional;
        std::wstring typedAfter, expected; // expected empty: nothing to copy
    };
    const Row rows[] = {
        {"calculated", L"ΑΓΑΠΗ", true, false, L"", L"ΑΓΑΠΗ = 93 (3), " + classical},
        {"positional", L"ΑΓΑΠΗ", false, true, L"",
         L"ΑΓΑΠΗ = 28 (1), Σύγχρονο αλφάβητο με βάση τη θέση του γράμματος"},
        {"edited since", L"ΑΓΑΠΗ", true, false, L"ΑΓΑΠΗΩ", L"ΑΓΑΠΗ = 93 (3), " + classical},
        {"placeholders in the text", L"%2Α%1", true, false, L"", L"%2Α%1 = 1 (1), " + classical},
        {"never calculated", L"ΑΓΑΠΗ", false, false, L"", L""},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        TProgram p;
        p.SetText(IDC_Edit1, row.typed);
        if (row.calculate)
            p.Click(IDC_Button1);
        if (row.positional)
            p.Click(IDC_RadioButton2);
        if (!row.typedAfter.empty())
            p.SetText(IDC_Edit1, row.typedAfter);
        SetClipboard(L"untouched");
        SendMessageW(p.Form(), WM_COMMAND, MAKEWPARAM(IDM_CopyResult, 0), 0);
        p.Settle();
        CHECK(Clipboard() == (row.expected.empty() ? L"untouched" : row.expected));
    }
}
