// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The version label on the real version resource. Built three times (see
// CMakeLists.txt): with the program's version, with 10.12.3.4, and with no
// resource at all; EXPECTED_* say what this build's label must show.
#include "HVersionLabel.h"

#include <doctest/doctest.h>

#include <cstring>
#include <vector>

TEST_CASE("the label shows major.minor of this executable's resource, or --.-- without one")
{
    THVersionLabel::RegisterClass();
    const HWND label = CreateWindowExW(0, L"THVersionLabel", L"", WS_POPUP, 0, 0, 40, 20, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    REQUIRE(label);
    wchar_t text[64] = {};
    GetWindowTextW(label, text, 64);
    CHECK(std::wstring(text) == EXPECTED_TEXT);
    DestroyWindow(label);

    const THVersionLabel version(RunningExecutable());
    CHECK(version.FMajor == EXPECTED_MAJOR);
    CHECK(version.FMinor == EXPECTED_MINOR);
    CHECK(version.FRelease == EXPECTED_RELEASE);
    CHECK(version.FBuild == EXPECTED_BUILD);
}

TEST_CASE("a missing file or a damaged block reads as no version")
{
    CHECK(THVersionLabel(L"C:\\no such file.exe").Text() == L"--.--");

    const std::wstring self = RunningExecutable();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self.c_str(), &ignored);
    if (size == 0) {
        CHECK(std::wstring(EXPECTED_TEXT) == L"--.--");
        return;
    }
    std::vector<BYTE> block(size);
    REQUIRE(GetFileVersionInfoW(self.c_str(), 0, size, block.data()));
    REQUIRE(FixedFileInfo(block));
    // Greek, Windows-1253, as the resource is declared.
    WORD *translation = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                           reinterpret_cast<void **>(&translation), &length));
    REQUIRE(length >= 4);
    CHECK(translation[0] == 0x0408);
    CHECK(translation[1] == 1253);

    // Where the fixed part starts: its signature.
    const DWORD signature = 0xFEEF04BD;
    std::size_t at = 0;
    while (at + 4 <= block.size() && std::memcmp(&block[at], &signature, 4) != 0)
        ++at;
    REQUIRE(at + 4 <= block.size());

    struct Row
    {
        const char *name;
        std::vector<BYTE> block;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    rows.push_back({"one byte", {block[0]}});
    rows.push_back({"cut inside the fixed part", {block.begin(), block.begin() + at + 8}});
    rows.push_back({"length word past the end", block});
    rows.back().block[0] = 0xFF;
    rows.back().block[1] = 0xFF;
    rows.push_back({"wrong signature", block});
    rows.back().block[at] ^= 0x01;
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK(!FixedFileInfo(row.block));
    }
}
