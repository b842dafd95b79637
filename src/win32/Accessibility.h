// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What screen readers learn beyond what the standard controls tell them.
#pragma once

#include <windows.h>

namespace psifonomoi {

// Makes screen readers read the static `value` with the static `caption`
// before it ("Ψηφόνομος: 93"), while its text stays the bare value: its
// Active Accessibility name is both texts, whatever the value becomes.
void NameWithCaption(HWND value, HWND caption);

} // namespace psifonomoi
