// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The context menus of the main window (Menus.rc): the edit's, in Greek like
// the rest of the program, with the item that copies the result, and the
// result labels'. The edit's own commands are the messages that carry them
// out (WM_UNDO, WM_CUT, ...), so a chosen item is sent to the edit as is.
#pragma once

#define IDR_Edit1Menu 300
#define IDR_ResultMenu 301
#define IDM_SelectAll 310
#define IDM_CopyResult 311
#define IDM_CopyLabel 312
