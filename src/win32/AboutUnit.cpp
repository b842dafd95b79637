// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AboutUnit.h"

#include "AboutFrmDesign.h"
#include "AboutUnitIds.h"
#include "Accessibility.h"
#include "Application.h"
#include "Dpi.h"

#include <stdexcept>

TAboutFrm *AboutFrm = nullptr;

namespace {

namespace design = psifonomoi::design::aboutfrm;

constexpr wchar_t kClassName[] = L"TAboutFrm";
constexpr UINT_PTR kTmr = 1;
// Posted on closing: the window releases itself once its modal loop is over.
constexpr UINT kRelease = WM_APP + 1;

const wchar_t *Wide(const char16_t *text)
{
    return reinterpret_cast<const wchar_t *>(text);
}

} // namespace

void TAboutFrm::RegisterClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = psifonomoi::DialogWindow<TAboutFrm>::Proc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = psifonomoi::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("cannot register the about window class");
}

TAboutFrm *TAboutFrm::Create(HWND owner)
{
    const HWND handle = CreateDialogParamW(psifonomoi::Instance(), MAKEINTRESOURCEW(IDD_TAboutFrm),
                                           owner, psifonomoi::NoDialogProc, 0);
    auto *form =
        handle ? reinterpret_cast<TAboutFrm *>(GetWindowLongPtrW(handle, GWLP_USERDATA)) : nullptr;
    if (!form) {
        if (handle)
            DestroyWindow(handle);
        throw std::runtime_error("cannot create the about window");
    }
    return form;
}

TAboutFrm::TAboutFrm(HWND handle)
    : FHandle(handle), SignatureImg(GetDlgItem(handle, IDC_SignatureImg)),
      GRImg(GetDlgItem(handle, IDC_GRImg)), Image5(GetDlgItem(handle, IDC_Image5)),
      FDesign(psifonomoi::LoadWindowDesign(IDD_TAboutFrm))
{
}

TAboutFrm::~TAboutFrm()
{
    if (AboutFrm == this)
        AboutFrm = nullptr;
    if (FStripDC) {
        SelectObject(FStripDC, FStripDCBitmap);
        DeleteDC(FStripDC);
    }
    if (FStrip)
        DeleteObject(FStrip);
    if (FIcon)
        DestroyIcon(FIcon);
    if (FBackground)
        DeleteObject(FBackground);
}

LRESULT TAboutFrm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool &handled)
{
    handled = true;
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        return TRUE; // the focus to Button1, the first enabled tab stop
    case WM_COMMAND:
        // No default and no cancel button: Enter presses the focused button
        // (the dialog manager sends its command), Escape (IDCANCEL) nothing.
        if (LOWORD(wParam) == IDC_Button1 && HIWORD(wParam) == BN_CLICKED)
            Button1Click();
        return 0;
    case WM_CLOSE: // the close box, the system menu, Alt+F4
        Close();
        return 0;
    case WM_TIMER:
        if (wParam == kTmr)
            TmrTimer();
        return 0;
    case WM_DRAWITEM: {
        const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (item->hwndItem != GRImg)
            break;
        DrawFrame(item->hDC);
        return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (!FBackground)
            break;
        SetBkColor(reinterpret_cast<HDC>(wParam), FDesign.Background);
        return reinterpret_cast<LRESULT>(FBackground);
    case WM_DPICHANGED: {
        FDpi = HIWORD(wParam);
        psifonomoi::MoveToSuggested(FHandle, lParam);
        Layout();
        return 0;
    }
    case kRelease:
        DestroyWindow(FHandle);
        return 0;
    case WM_DESTROY:
        KillTimer(FHandle, kTmr);
        // The bitmap is the window's: take it back from the control.
        SendMessageW(SignatureImg, STM_SETIMAGE, IMAGE_BITMAP, 0);
        SendMessageW(Image5, STM_SETICON, 0, 0);
        return 0;
    default:
        break;
    }
    handled = false;
    return 0;
}

void TAboutFrm::FormCreate()
{
    FDpi = psifonomoi::WindowDpi(FHandle);
    // The title and copyright line are the program's constants (taken from
    // the layout when the program was built), whatever the labels held before.
    SetDlgItemTextW(FHandle, IDC_Label5, Wide(design::kCopyrightText));
    SetDlgItemTextW(FHandle, IDC_Label10, Wide(design::kTitleText));
    if (FDesign.HasBackground)
        FBackground = CreateSolidBrush(FDesign.Background);
    // The icon's name for screen readers, and the warning read as one sentence.
    psifonomoi::ApplyAccessibleNames(FHandle, FDesign);

    FStrip = static_cast<HBITMAP>(
        LoadImageW(psifonomoi::Instance(), L"SIGNATURE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!FStrip)
        throw std::runtime_error("the animation strip is missing");
    SendMessageW(SignatureImg, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FStrip));
    FStripDC = CreateCompatibleDC(nullptr);
    FStripDCBitmap = SelectObject(FStripDC, FStrip);

    const SIZE outer = psifonomoi::OuterSize(FHandle, FDesign.Client, FDpi);
    SetWindowPos(FHandle, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();

    FrameRect = {0, 0, design::kFrameWidth, design::kFrameHeight};
    // Until the first step the paint box shows the first frame rather than nothing.
    FShownRect = FrameRect;
    SetTimer(FHandle, kTmr, design::kFrameIntervalMs, nullptr);
}

void TAboutFrm::Layout()
{
    psifonomoi::ApplyDesign(FHandle, FDesign, FFonts, FDpi,
                            psifonomoi::Scale(FDesign.Client.cx, FDpi));
    psifonomoi::FitCaptions(FHandle, FDesign);
    // The icon drawn for this DPI from its own size in the icon file, not
    // stretched from a smaller one.
    const int size = psifonomoi::Scale(32, FDpi);
    const HICON icon = static_cast<HICON>(
        LoadImageW(psifonomoi::Instance(), L"PSIFONOMOI", IMAGE_ICON, size, size, 0));
    SendMessageW(Image5, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (FIcon)
        DestroyIcon(FIcon);
    FIcon = icon;
}

void TAboutFrm::FormShow()
{
    // Centred on the screen, not on the window that opened it.
    RECT window, work;
    GetWindowRect(FHandle, &window);
    const HMONITOR monitor =
        MonitorFromWindow(GetWindow(FHandle, GW_OWNER), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    work = info.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(FHandle, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutFrm::ShowModal()
{
    const HWND handle = FHandle;
    const HWND owner = GetWindow(handle, GW_OWNER);
    FormShow();
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(handle, SW_SHOW);
    MSG msg;
    bool quit = false;
    // `this` lives as long as its window: check the window before the flag.
    while (IsWindow(handle) && !FModalDone) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        psifonomoi::ProcessMessage(msg);
    }
    // The owner takes the activation back before this window goes.
    if (owner)
        EnableWindow(owner, TRUE);
    if (IsWindow(handle))
        ShowWindow(handle, SW_HIDE);
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
}

void TAboutFrm::Close()
{
    psifonomoi::RunGuarded([this] { FormClose(); });
    FModalDone = true;
}

void TAboutFrm::FormClose()
{
    if (FReleaseScheduled)
        return;
    FReleaseScheduled = true;
    KillTimer(FHandle, kTmr);
    // The window frees itself once control is back in the message loop; the
    // opener then finds the reference empty and frees nothing.
    PostMessageW(FHandle, kRelease, 0, 0);
    if (AboutFrm == this)
        AboutFrm = nullptr;
}

void TAboutFrm::Button1Click()
{
    Close();
}

void TAboutFrm::TmrTimer()
{
    if (FrameRect.Left >= design::kFrameWidth * design::kFrameCount) {
        FrameRect.Left = 0;
        FrameRect.Right = design::kFrameWidth;
    }
    FShownRect = FrameRect;
    // Straight onto the paint box: no erasing in between, so no flicker.
    const HDC dc = GetDC(GRImg);
    DrawFrame(dc);
    ReleaseDC(GRImg, dc);
    FrameRect.Left += design::kFrameWidth;
    FrameRect.Right += design::kFrameWidth;
}

void TAboutFrm::DrawFrame(HDC target)
{
    RECT box;
    GetClientRect(GRImg, &box);
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, box.right, box.bottom, FStripDC, FShownRect.Left, FShownRect.Top,
               FShownRect.Right - FShownRect.Left, FShownRect.Bottom - FShownRect.Top, SRCCOPY);
}
