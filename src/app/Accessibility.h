// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What assistive technology sees of the program's own controls. Each function
// installs the interface factory of one window or control; the application
// object calls them all once at start-up, before any window exists.
#pragma once

// The edit's text, caret and selection (LineEditAccessible.cpp).
void InstallLineEditAccessibility();

// The about window's label that carries on the sentence of the label before
// it: hidden, as the first one is named with the whole sentence (AboutUnit.cpp).
void InstallAboutAccessibility();
