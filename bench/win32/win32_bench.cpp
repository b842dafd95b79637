// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmarks of the Win32 window program, run under Wine by bench/win32/run:
//
//   win32_bench startup <runs>   time from starting psifonomoi.exe, and
//                                Wine's notepad.exe in turn, to its first
//                                visible window; the median of each
//   win32_bench paste <bytes>    a Greek text of that many UTF-8 bytes pasted
//                                into the edit, then Enter: the time until the
//                                right value shows
#include "Driver.h"
#include "Unit1Ids.h"
#include "WordValue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace psifonomoi::test;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Starts `command`, returns the milliseconds until a visible top-level window
// of `className` belongs to it, then closes it.
double StartUp(std::wstring command, const wchar_t *className)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    HWND window = nullptr;
    WaitFor(
        [&] {
            window = nullptr;
            for (HWND w = FindWindowW(className, nullptr); w;
                 w = FindWindowExW(nullptr, w, className, nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == process.dwProcessId && IsWindowVisible(w))
                    window = w;
            }
            return window != nullptr;
        },
        30);
    const double elapsed = window ? Milliseconds(start) : -1;
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

int Startup(int runs)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program = self;
    program = L"\"" + program.substr(0, program.find_last_of(L"\\/") + 1) + L"psifonomoi.exe\"";
    std::vector<double> ours, notepad;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(StartUp(program, L"TForm1"));
        notepad.push_back(StartUp(L"notepad.exe", L"Notepad"));
    }
    if (std::count(ours.begin(), ours.end(), -1.0) ||
        std::count(notepad.begin(), notepad.end(), -1.0)) {
        std::puts("a window did not appear");
        return 1;
    }
    std::printf("start-up to the first window, median of %d: psifonomoi.exe %.0f ms, "
                "notepad.exe %.0f ms (ratio %.2f)\n",
                runs, Median(ours), Median(notepad), Median(ours) / Median(notepad));
    return 0;
}

int Paste(long long bytes)
{
    // Greek words and spaces: 2 bytes a letter, 1 a space in UTF-8.
    const std::wstring words[] = {L"ΑΓΑΠΗ ", L"ψηφόνομος ", L"Ιησούς ", L"αριθμός "};
    std::wstring text;
    long long utf8 = 0;
    for (std::size_t i = 0;; ++i) {
        const std::wstring &w = words[i % 4];
        const long long size = 2 * static_cast<long long>(w.size()) - 1;
        if (utf8 + size > bytes)
            break;
        text += w;
        utf8 += size;
    }
    const auto expected = psifonomoi::CalculateWordValue(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.data()), text.size()),
        psifonomoi::vsClassical);
    TProgram p;
    const auto start = Clock::now();
    p.Paste(IDC_Edit1, text);
    const double pasted = Milliseconds(start);
    // Enter in the edit, as a user would after pasting.
    p.Press(p.Control(IDC_Edit1), VK_RETURN);
    const bool right = WaitFor(
        [&] { return Text(p.Control(IDC_Label2)) == std::to_wstring(expected.WordValue); }, 60);
    const double shown = Milliseconds(start);
    std::printf(
        "paste %lld bytes (%zu characters), then Enter: the edit holds %lld "
        "characters after %.0f ms; after Enter the %s value shows %.0f ms after the paste\n",
        utf8, text.size(),
        static_cast<long long>(SendMessageW(p.Control(IDC_Edit1), WM_GETTEXTLENGTH, 0, 0)), pasted,
        right ? "right" : "WRONG", shown);
    return right ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup")
        return Startup(argc > 2 ? std::atoi(argv[2]) : 10);
    if (mode == "paste")
        return Paste(argc > 2 ? std::atoll(argv[2]) : 10'000'000);
    std::puts("usage: win32_bench startup <runs> | paste <bytes>");
    return 2;
}
