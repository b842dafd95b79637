// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Drives an installed window program as a user would: waits for its main
// window, presses the button that opens the about window, and reads the
// version the about window shows. Everything goes through window messages,
// which cross processes (also under Wine), so it works against any program
// built to that design and needs nothing inside it.
//
// Usage: psifonomoi-check-about MAIN_TITLE BUTTON_TEXT ABOUT_TITLE EXPECTED [SECONDS]
// Exits 0 when a control of the about window shows EXPECTED, after closing
// both windows; 1 otherwise, saying what it saw; 2 on a bad command line.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

void Write(HANDLE handle, const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    // A pipe or file takes UTF-8 through WriteFile; console functions fail there.
    DWORD written = 0;
    WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

int Fail(const std::wstring &why)
{
    Write(GetStdHandle(STD_ERROR_HANDLE), L"FAIL: " + why + L"\n");
    return 1;
}

// A control's text, or an empty one when its program does not answer: a hung
// program must fail the check, not hang it.
std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(std::size_t(copied));
    return text;
}

// The text a user reads on a button: without the "&" that marks its access key.
std::wstring WithoutAccessKey(const std::wstring &text)
{
    std::wstring plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

// EXPECTED alone or as a word of a longer text ("Έκδοση 2.0"), but not inside a
// longer number ("12.05").
bool ShowsVersion(const std::wstring &text, const std::wstring &expected)
{
    const auto partOfNumber = [](wchar_t c) { return std::iswdigit(c) || c == L'.'; };
    for (std::size_t at = text.find(expected); at != std::wstring::npos;
         at = text.find(expected, at + 1)) {
        const std::size_t end = at + expected.size();
        if ((at == 0 || !partOfNumber(text[at - 1])) &&
            (end == text.size() || !partOfNumber(text[end])))
            return true;
    }
    return false;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND> *>(list)->push_back(child);
            return TRUE;
        },
        LPARAM(&children));
    return children;
}

struct TopLevelQuery
{
    DWORD process;
    HWND except;
    const std::wstring *title;
    HWND found;
};

// A visible top-level window of the given process with the given title, other
// than `except`; the about window may share its title with the main window's button.
HWND FindTopLevel(DWORD process, HWND except, const std::wstring &title)
{
    TopLevelQuery query{process, except, &title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto &q = *reinterpret_cast<TopLevelQuery *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != q.process || window == q.except || !IsWindowVisible(window) ||
                TextOf(window) != *q.title)
                return TRUE;
            q.found = window;
            return FALSE;
        },
        LPARAM(&query));
    return query.found;
}

// Polls `probe` every 100 ms until it gives a window or the time is up.
template <typename Probe> HWND WaitFor(Probe probe, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (HWND window = probe())
            return window;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(100);
    }
}

bool WaitUntilGone(HWND window, DWORD milliseconds)
{
    return WaitFor([&]() -> HWND { return IsWindow(window) ? nullptr : window; }, milliseconds) !=
           nullptr;
}

} // namespace

// The entry with UTF-16 arguments (-municode); declared for -Wmissing-declarations.
int wmain(int argc, wchar_t **argv);

int wmain(int argc, wchar_t **argv)
{
    if (argc < 5 || argc > 6) {
        Write(GetStdHandle(STD_ERROR_HANDLE),
              L"Usage: psifonomoi-check-about MAIN_TITLE BUTTON_TEXT ABOUT_TITLE EXPECTED "
              L"[SECONDS]\n");
        return 2;
    }
    const std::wstring mainTitle = argv[1], buttonText = argv[2], aboutTitle = argv[3],
                       expected = argv[4];
    const DWORD wait = argc == 6 ? DWORD(std::wcstoul(argv[5], nullptr, 10)) * 1000 : 30000;

    HWND main = WaitFor(
        [&]() -> HWND {
            HWND w = FindWindowW(nullptr, mainTitle.c_str());
            return w && IsWindowVisible(w) ? w : nullptr;
        },
        wait);
    if (!main)
        return Fail(L"no visible window titled \"" + mainTitle + L"\"");
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);

    HWND button = nullptr;
    for (HWND child : Children(main))
        if (WithoutAccessKey(TextOf(child)) == buttonText)
            button = child;
    if (!button)
        return Fail(L"the main window has no button \"" + buttonText + L"\"");
    // Posted, not sent: the about window is modal, so the click returns only
    // when it closes.
    PostMessageW(button, BM_CLICK, 0, 0);

    HWND about = WaitFor([&] { return FindTopLevel(process, main, aboutTitle); }, wait);
    if (!about)
        return Fail(L"pressing \"" + buttonText + L"\" opened no window titled \"" + aboutTitle +
                    L"\"");
    std::wstring seen;
    bool shown = false;
    for (HWND child : Children(about)) {
        const std::wstring text = TextOf(child);
        shown = shown || ShowsVersion(text, expected);
        seen += L" \"" + text + L"\"";
    }

    PostMessageW(about, WM_CLOSE, 0, 0);
    if (!WaitUntilGone(about, wait))
        return Fail(L"the about window did not close");
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (!WaitUntilGone(main, wait))
        return Fail(L"the main window did not close");
    if (!shown)
        return Fail(L"the about window shows no \"" + expected + L"\"; its controls say" + seen);
    Write(GetStdHandle(STD_OUTPUT_HANDLE),
          L"The about window shows \"" + expected + L"\" among" + seen + L"\n");
    return 0;
}
