// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What screen readers learn beyond what the standard controls tell them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace psifonomoi {

struct TWindowDesign;

// What a control tells screen readers instead of what the system makes of
// it: a fixed name, or the texts of other controls joined by spaces (read at
// the time, so they follow the window); a description from another
// control's text; or nothing at all (hidden).
struct TAccessibleOverride
{
    std::wstring Name;
    std::vector<HWND> NameParts;
    HWND DescribedBy = nullptr;
    bool Hidden = false;
};

// Answers the control's accessibility requests with `how` over the system's
// own answers. Called again for the same control, it replaces `how`.
void OverrideAccessible(HWND control, TAccessibleOverride how);

// The accessible name the layout gives control `id`, if any (the dialog's
// STRINGTABLE).
std::wstring LayoutAccessibleName(int id);

// The names the layout gives that a control's text does not (the dialog's
// STRINGTABLE), and the warning sentence broken over two labels read as one.
void ApplyAccessibleNames(HWND window, const TWindowDesign &design);

} // namespace psifonomoi
