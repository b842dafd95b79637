// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Driver.h"

#include <oleacc.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

namespace psifonomoi::test {

namespace {

std::wstring BesideThisProgram(const wchar_t *name)
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

} // namespace

bool WaitFor(const std::function<bool()> &done, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(20);
    }
    return true;
}

TProgram::TProgram()
{
    wchar_t program[MAX_PATH] = L"psifonomoi.exe";
    GetEnvironmentVariableW(L"PSIFONOMOI_PROGRAM", program, MAX_PATH);
    std::wstring command = L"\"" + BesideThisProgram(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &m_process))
        throw std::runtime_error("cannot start psifonomoi.exe");
    WaitForForm();
}

TProgram::TProgram(TRunning)
{
    WaitFor([this] { return (m_form = FindWindowW(L"TForm1", nullptr)) != nullptr; }, 30);
    if (!m_form)
        throw std::runtime_error("psifonomoi.exe is not running");
    m_process.dwThreadId = GetWindowThreadProcessId(m_form, &m_process.dwProcessId);
    m_process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                                     FALSE, m_process.dwProcessId);
    if (!m_process.hProcess)
        throw std::runtime_error("cannot open the psifonomoi.exe process");
    WaitForForm();
}

void TProgram::WaitForForm()
{
    WaitFor([this] {
        m_form = FindTopLevel(L"TForm1");
        return m_form && IsWindowVisible(m_form);
    });
    if (!m_form)
        throw std::runtime_error("psifonomoi.exe showed no main window");
    Settle();
}

TProgram::~TProgram()
{
    if (Running()) {
        PostMessageW(m_form, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 1);
    }
    if (m_process.hThread)
        CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

bool TProgram::Running() const
{
    return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

void TProgram::Settle() const
{
    WaitForInputIdle(m_process.hProcess, 2000);
    // A message sent after everything posted so far is answered only once
    // the program is back in its loop.
    DWORD_PTR ignored;
    SendMessageTimeoutW(m_form, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(50);
}

HWND TProgram::FindTopLevel(const wchar_t *className) const
{
    struct Search
    {
        DWORD pid;
        const wchar_t *name;
        HWND found;
    } search{m_process.dwProcessId, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *s = reinterpret_cast<Search *>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            wchar_t name[64];
            if (pid == s->pid && GetClassNameW(window, name, 64) && _wcsicmp(name, s->name) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int TProgram::CountWindows() const
{
    struct Count
    {
        DWORD pid;
        int count;
    } count{m_process.dwProcessId, 0};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *c = reinterpret_cast<Count *>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == c->pid) {
                ++c->count;
                EnumChildWindows(
                    window,
                    [](HWND, LPARAM n) -> BOOL {
                        ++*reinterpret_cast<int *>(n);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&c->count));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.count;
}

void TProgram::SetText(int id, const std::wstring &text) const
{
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TProgram::Click(int id) const
{
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Settle();
}

void TProgram::PostClick(int id) const
{
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void TProgram::Focus(HWND control) const
{
    const HWND top = GetAncestor(control, GA_ROOT);
    SetForegroundWindow(top);
    PostMessageW(top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    Settle();
}

HWND TProgram::Focused() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(m_process.dwThreadId, &info);
    return info.hwndFocus;
}

void TProgram::Press(HWND window, WORD key, const std::vector<WORD> &modifiers, bool extended) const
{
    Focus(window);
    PressFocused(key, modifiers, extended);
}

void TProgram::PressFocused(WORD key, const std::vector<WORD> &modifiers, bool extended) const
{
    // Keyboard input goes to the foreground window, which keeps its focus.
    if (const HWND focus = Focused())
        SetForegroundWindow(GetAncestor(focus, GA_ROOT));
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD m : modifiers)
        add(m, 0);
    add(key, extended ? KEYEVENTF_EXTENDEDKEY : 0);
    add(key, KEYEVENTF_KEYUP | (extended ? KEYEVENTF_EXTENDEDKEY : 0));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        add(*m, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
}

void TProgram::PressAndSlideOff(HWND control) const
{
    RECT r;
    GetWindowRect(control, &r);
    SetForegroundWindow(GetAncestor(control, GA_ROOT));
    auto mouse = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof(INPUT));
    };
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse(MOUSEEVENTF_LEFTDOWN);
    Settle();
    SetCursorPos(r.left - 8, r.top - 8);
    mouse(MOUSEEVENTF_MOVE);
    mouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

void SetClipboard(const std::wstring &text)
{
    if (!OpenClipboard(nullptr))
        throw std::runtime_error("cannot open the clipboard");
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

void TProgram::Paste(int id, const std::wstring &text) const
{
    SetClipboard(text);
    SendMessageW(Control(id), WM_PASTE, 0, 0);
    Settle();
}

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

int WindowsVersion()
{
    using TRtlGetVersion = LONG(WINAPI *)(OSVERSIONINFOW *);
    const auto getVersion = reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!getVersion || getVersion(&info) != 0)
        return 0;
    return static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion);
}

namespace {

// The threads of `process` as Wine's trace names them: "002c" in "002c:trace:gdi:...".
std::unordered_set<std::string> TraceThreadIds(HANDLE process)
{
    std::unordered_set<std::string> ids;
    const DWORD id = GetProcessId(process);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != id)
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "%04lx", static_cast<unsigned long>(entry.th32ThreadID));
        ids.insert(name);
    }
    CloseHandle(snapshot);
    return ids;
}

} // namespace

TGdiObjects LiveGdiObjects(HANDLE process)
{
    TGdiObjects live;
    wchar_t gdiTrace[MAX_PATH];
    if (!GetEnvironmentVariableW(L"PSIFONOMOI_GDI_TRACE_WIN", gdiTrace, MAX_PATH))
        return live;
    // Wine traces every GDI object made or freed:
    // "allocated NTGDI_OBJ_FONT 0x1234 57/65536", "freed NTGDI_OBJ_FONT 0x1234 56/65536".
    const HANDLE file = CreateFileW(gdiTrace, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return live;
    std::string text;
    char buffer[1 << 16];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    // The processes Wine starts beside the program (its desktop among them)
    // trace into the same file, and their objects come and go with what the
    // desktop draws: only the program's own threads count.
    const std::unordered_set<std::string> threads = TraceThreadIds(process);
    long own = 0, displayDcs = 0;
    bool traced = false;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + begin, end - begin);
        begin = end + 1;
        const bool made = line.find("allocated ") != std::string_view::npos;
        if (!made && line.find("freed ") == std::string_view::npos)
            continue;
        if (!threads.contains(std::string(line.substr(0, line.find(':')))))
            continue;
        traced = true;
        const long step = made ? 1 : -1;
        // Regions are left out: the program makes none, and Wine's window
        // manager keeps a few update regions of its own now and then as focus
        // and the default button move (a dozen or so per thousand openings).
        if (line.find("_REGION ") != std::string_view::npos)
            continue;
        // The program opens no display DC itself: each one is Wine's, made for
        // its cache of DCs as GetDC or BeginPaint finds none free for a window
        // (with an object Wine traces as UNKNOWN beside it).
        if (line.find("NTGDI_OBJ_DC ") != std::string_view::npos)
            displayDcs += step;
        else if (line.find("UNKNOWN ") == std::string_view::npos)
            own += step;
    }
    if (traced)
        live = {own, displayDcs};
    return live;
}

TAccessible Ask(HWND control)
{
    TAccessible result;
    IAccessible *accessible = nullptr;
    // MinGW's IID_IAccessible is a stub: take the interface's own id.
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void **>(&accessible))) ||
        !accessible)
        return result;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (accessible->get_accName(self, &name) == S_OK && name) {
        result.name = name;
        SysFreeString(name);
    }
    BSTR description = nullptr;
    if (accessible->get_accDescription(self, &description) == S_OK && description) {
        result.description = description;
        SysFreeString(description);
    }
    VARIANT role;
    VariantInit(&role);
    if (accessible->get_accRole(self, &role) == S_OK && role.vt == VT_I4)
        result.role = role.lVal;
    VARIANT state;
    VariantInit(&state);
    if (accessible->get_accState(self, &state) == S_OK && state.vt == VT_I4)
        result.state = state.lVal;
    accessible->Release();
    return result;
}

std::wstring Text(HWND window)
{
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto read = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(read));
    return text;
}

RECT ClientRectIn(HWND control, HWND parent)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

bool Checked(HWND button)
{
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace psifonomoi::test
