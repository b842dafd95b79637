// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Generated from Unit1.ui by tools/generate-dialogs: edit the layout, not this.
// The identifiers of the TForm1 dialog and its controls.
#pragma once

#define IDD_TForm1 100
#define IDC_Label5 101
#define IDC_Edit1 102
#define IDC_Button1 103
#define IDC_Button2 104
#define IDC_Button3 105
#define IDC_GroupBox1 106
#define IDC_RadioButton1 107
#define IDC_RadioButton2 108
#define IDC_Label6 109
#define IDC_Label7 110
#define IDC_GroupBox2 111
#define IDC_Label1 112
#define IDC_Label2 113
#define IDC_Label3 114
#define IDC_Label4 115
