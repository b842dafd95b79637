// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The label that shows the running program's own version, "major.minor",
// read from the executable's version resource when the control is created;
// "--.--" when the executable has none or it cannot be read.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>

class THVersionLabel
{
public:
    // Registers the control class "THVersionLabel": the platform's static
    // text label, whose text is always the version.
    static void RegisterClass();

    explicit THVersionLabel(const std::wstring &executable);
    std::wstring Text() const;

    int FMajor = 0, FMinor = 0, FRelease = 0, FBuild = 0;

private:
    bool FRead = false;
};

// The file version (most significant word first) in a version information
// block as GetFileVersionInfoW fills it; empty when the block is damaged.
std::optional<VS_FIXEDFILEINFO> FixedFileInfo(std::span<const BYTE> block);

// The full path of the running executable, however long.
std::wstring RunningExecutable();
