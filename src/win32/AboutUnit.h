// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The modal information window: icon, title and version, notes, the warning,
// the copyright line and a looping animation (AboutUnit.ui, as a dialog
// resource).
#pragma once

#include "Application.h"
#include "DesignLayout.h"

#include <windows.h>

struct TFrameRect
{
    LONG Left, Top, Right, Bottom;
};

class TAboutFrm
{
public:
    static void RegisterClass();
    // Creates the window, owned by `owner`, hidden; runs FormCreate.
    static TAboutFrm *Create(HWND owner);

    HWND Handle() const { return FHandle; }
    // Shows the window and runs its modal loop: `owner` takes no input until
    // it closes. The window may be gone when this returns.
    void ShowModal();

private:
    explicit TAboutFrm(HWND handle);
    ~TAboutFrm();
    friend struct psifonomoi::DialogWindow<TAboutFrm>;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool &handled);

    void FormCreate();
    void FormShow();
    void FormClose();
    void TmrTimer();
    void Button1Click();
    void Close();
    void DrawFrame(HDC target);
    void Layout();

    HWND FHandle;
    HWND SignatureImg, GRImg, Image5;
    psifonomoi::TWindowDesign FDesign;
    psifonomoi::TFontSet FFonts;
    UINT FDpi = USER_DEFAULT_SCREEN_DPI;
    TFrameRect FrameRect{};
    TFrameRect FShownRect{}; // the frame GRImg shows, for repainting it
    HBITMAP FStrip = nullptr;
    HDC FStripDC = nullptr;
    HGDIOBJ FStripDCBitmap = nullptr;
    HICON FIcon = nullptr;
    HBRUSH FBackground = nullptr;
    bool FModalDone = false;
    bool FReleaseScheduled = false;
};

// The about window while one is open, else null.
extern TAboutFrm *AboutFrm;
