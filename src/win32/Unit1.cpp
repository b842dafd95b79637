// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Unit1.h"

#include "AboutUnit.h"
#include "Accessibility.h"
#include "Application.h"
#include "Dpi.h"
#include "Form1Design.h"
#include "Unit1Ids.h"
#include "WordValue.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <utility>

TForm1 *Form1 = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TForm1";

} // namespace

void TForm1::RegisterClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = psifonomoi::DialogWindow<TForm1>::Proc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = psifonomoi::Instance();
    wc.hIcon = static_cast<HICON>(LoadImageW(wc.hInstance, L"PSIFONOMOI", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"PSIFONOMOI", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("cannot register the main window class");
}

TForm1 *TForm1::Create()
{
    const HWND handle = CreateDialogParamW(psifonomoi::Instance(), MAKEINTRESOURCEW(IDD_TForm1),
                                           nullptr, psifonomoi::NoDialogProc, 0);
    if (!handle || !Form1)
        throw std::runtime_error("cannot create the main window");
    return Form1;
}

TForm1::TForm1(HWND handle)
    : FHandle(handle), Edit1(GetDlgItem(handle, IDC_Edit1)),
      Button1(GetDlgItem(handle, IDC_Button1)), Button2(GetDlgItem(handle, IDC_Button2)),
      Button3(GetDlgItem(handle, IDC_Button3)), RadioButton1(GetDlgItem(handle, IDC_RadioButton1)),
      RadioButton2(GetDlgItem(handle, IDC_RadioButton2)), Label2(GetDlgItem(handle, IDC_Label2)),
      Label4(GetDlgItem(handle, IDC_Label4)), FDesign(psifonomoi::LoadWindowDesign(IDD_TForm1))
{
    Form1 = this;
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

LRESULT TForm1::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool &handled)
{
    handled = true;
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        return TRUE; // the focus to the first tab stop, Edit1
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED) // also a menu's command
            break;
        if (lParam == 0 && MenuCommand(id))
            return 0;
        if (id == IDC_Button1)
            Button1Click();
        else if (id == IDC_Button2)
            Button2Click();
        else if (id == IDC_Button3 || id == IDCANCEL) // Button3 is the cancel button
            Button3Click();
        else if (id == IDC_RadioButton1 || id == IDC_RadioButton2)
            RadioButtonClick();
        return 0;
    }
    case WM_CONTEXTMENU: {
        const HWND target = reinterpret_cast<HWND>(wParam);
        if (target != Label2 && target != Label4)
            break;
        ResultContextPopup(target, lParam);
        return 0;
    }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        // Only wider than designed; never taller or shorter.
        auto *limits = reinterpret_cast<MINMAXINFO *>(lParam);
        const SIZE outer = psifonomoi::OuterSize(FHandle, FDesign.Client, FDpi);
        limits->ptMinTrackSize = {outer.cx, outer.cy};
        limits->ptMaxTrackSize.y = outer.cy;
        limits->ptMaxSize.y = outer.cy;
        return 0;
    }
    case WM_DPICHANGED: {
        FDpi = HIWORD(wParam);
        psifonomoi::MoveToSuggested(FHandle, lParam);
        Layout();
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(FHandle);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    handled = false;
    return 0;
}

void TForm1::FormCreate()
{
    FDpi = psifonomoi::WindowDpi(FHandle);
    for (const psifonomoi::TControlDesign &control : FDesign.Controls)
        if (control.Flags & psifonomoi::kFlagChecked)
            CheckDlgButton(FHandle, control.Id, BST_CHECKED);
    FChosen = IsDlgButtonChecked(FHandle, IDC_RadioButton1) ? RadioButton1 : RadioButton2;
    SendMessageW(FHandle, DM_SETDEFID, IDC_Button1, 0);
    // The edit takes any text: its default limit (30,000 characters) would
    // silently cut a longer paste.
    SendMessageW(Edit1, EM_SETLIMITTEXT, 0, 0);
    SetWindowSubclass(Edit1, Edit1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
    // For screen readers: the edit's name from the layout, the instruction
    // right before it as its description, and each result read with its
    // caption ("Ψηφόνομος: 93") while its text stays the bare number.
    psifonomoi::ApplyAccessibleNames(FHandle, FDesign);
    const HWND instruction = GetDlgItem(FHandle, IDC_Label5);
    psifonomoi::OverrideAccessible(
        Edit1, {psifonomoi::LayoutAccessibleName(IDC_Edit1), {}, instruction, false});
    psifonomoi::OverrideAccessible(Label2,
                                   {{}, {GetDlgItem(FHandle, IDC_Label1), Label2}, nullptr, false});
    psifonomoi::OverrideAccessible(Label4,
                                   {{}, {GetDlgItem(FHandle, IDC_Label3), Label4}, nullptr, false});

    // Sized by the client area, at the first position, for the display's DPI.
    const SIZE outer = psifonomoi::OuterSize(FHandle, FDesign.Client, FDpi);
    SetWindowPos(FHandle, nullptr, psifonomoi::design::form1::kFirstLeft,
                 psifonomoi::design::form1::kFirstTop, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void TForm1::Layout()
{
    RECT client;
    GetClientRect(FHandle, &client);
    psifonomoi::ApplyDesign(FHandle, FDesign, FFonts, FDpi, client.right);
    psifonomoi::SizeToText(Label2);
    psifonomoi::SizeToText(Label4);
}

void TForm1::Button1Click()
{
    std::wstring text = psifonomoi::WindowText(Edit1);
    const auto system = IsDlgButtonChecked(FHandle, IDC_RadioButton1) ? psifonomoi::vsClassical
                                                                      : psifonomoi::vsPositional;
    const psifonomoi::TWordValueResult result = psifonomoi::CalculateWordValue(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.data()), text.size()), system);
    SetWindowTextW(Label2, std::to_wstring(result.WordValue).c_str());
    psifonomoi::SizeToText(Label2);
    SetWindowTextW(Label4, std::to_wstring(result.Primary).c_str());
    psifonomoi::SizeToText(Label4);

    // What the shown results belong to, for copying them later.
    FCalculatedText = std::move(text);
    FCalculatedSystem = system == psifonomoi::vsClassical ? RadioButton1 : RadioButton2;
}

void TForm1::RadioButtonClick()
{
    const HWND chosen = IsDlgButtonChecked(FHandle, IDC_RadioButton1) ? RadioButton1 : RadioButton2;
    if (chosen == FChosen)
        return; // the checked one chosen again
    FChosen = chosen;
    // The group's tab stop is its checked button.
    for (HWND radio : {RadioButton1, RadioButton2}) {
        const LONG_PTR style = GetWindowLongPtrW(radio, GWL_STYLE);
        SetWindowLongPtrW(radio, GWL_STYLE,
                          radio == chosen ? style | WS_TABSTOP : style & ~LONG_PTR{WS_TABSTOP});
    }
    Button1Click();
}

void TForm1::Button2Click()
{
    AboutFrm = TAboutFrm::Create(FHandle);
    AboutFrm->ShowModal();
    // The window empties AboutFrm when it schedules its own release; whatever
    // is left here is still ours to free.
    if (AboutFrm)
        DestroyWindow(AboutFrm->Handle());
    AboutFrm = nullptr;
}

void TForm1::Button3Click()
{
    SendMessageW(FHandle, WM_CLOSE, 0, 0);
}
