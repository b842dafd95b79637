// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator window: the text, the choice of letter-value system, and the
// two results. The arithmetic lives in the engine; this class wires the
// controls of its dialog resource (made from Unit1.ui) to it.
#pragma once

#include "Application.h"
#include "DesignLayout.h"

#include <windows.h>

#include <string>

class TForm1
{
public:
    // Registers the window class the dialog resource names.
    static void RegisterClass();
    // Creates the window from its resource, at its first position, hidden.
    static TForm1 *Create();

    HWND Handle() const { return FHandle; }

private:
    explicit TForm1(HWND handle);
    ~TForm1();
    friend struct psifonomoi::DialogWindow<TForm1>;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool &handled);

    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void RadioButtonClick();
    void Layout();
    // The context menus (Unit1Menus.cpp).
    static LRESULT CALLBACK Edit1Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR form);
    void Edit1ContextPopup(LPARAM at);
    void ResultContextPopup(HWND label, LPARAM at);
    bool MenuCommand(int id);
    void CopyResultClick();

    HWND FHandle;
    HWND Edit1, Button1, Button2, Button3, RadioButton1, RadioButton2, Label2, Label4;
    psifonomoi::TWindowDesign FDesign;
    psifonomoi::TFontSet FFonts;
    UINT FDpi = USER_DEFAULT_SCREEN_DPI;
    // The system the radio buttons showed at the last choice: choosing the
    // checked one again calculates nothing.
    HWND FChosen = nullptr;
    // The text and system the results on show were calculated for (the edit
    // may have changed since); no system before the first calculation.
    std::wstring FCalculatedText;
    HWND FCalculatedSystem = nullptr;
    HWND FMenuLabel = nullptr; // the result label whose menu is open
};

// The main window, set while it exists.
extern TForm1 *Form1;
