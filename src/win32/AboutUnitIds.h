// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Generated from AboutUnit.ui by tools/generate-dialogs: edit the layout, not this.
// The identifiers of the TAboutFrm dialog and its controls.
#pragma once

#define IDD_TAboutFrm 200
#define IDC_Image5 201
#define IDC_Bevel1 202
#define IDC_SignatureImg 203
#define IDC_GRImg 204
#define IDC_Bevel3 205
#define IDC_Button1 206
#define IDC_Button2 207
#define IDC_Bevel2 208
#define IDC_Label1 209
#define IDC_Label2 210
#define IDC_Label3 211
#define IDC_Label5 212
#define IDC_Label6 213
#define IDC_Label7 214
#define IDC_Label10 215
#define IDC_HVersionLabel1 216
