// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HVersionLabel.h"

#include "Application.h"

#include <stdexcept>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"THVersionLabel";
WNDPROC BaseProc = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcW(BaseProc, window, message, wParam, lParam);
    if (message == WM_CREATE && result == 0)
        psifonomoi::RunGuarded([window] {
            SetWindowTextW(window, THVersionLabel(RunningExecutable()).Text().c_str());
        });
    return result;
}

} // namespace

void THVersionLabel::RegisterClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, L"Static", &wc))
        throw std::runtime_error("no static control class");
    BaseProc = wc.lpfnWndProc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = psifonomoi::Instance();
    wc.lpszClassName = kClassName;
    wc.style &= ~UINT{CS_GLOBALCLASS};
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("cannot register the version label class");
}

std::wstring RunningExecutable()
{
    // MAX_PATH is enough for most paths, not for all: grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::optional<VS_FIXEDFILEINFO> FixedFileInfo(std::span<const BYTE> block)
{
    // The block's first word is its own length; VerQueryValueW trusts it.
    if (block.size() < sizeof(WORD) || *reinterpret_cast<const WORD *>(block.data()) > block.size())
        return std::nullopt;
    void *data = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\", &data, &size) || !data ||
        size < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto *info = static_cast<const VS_FIXEDFILEINFO *>(data);
    const auto *begin = static_cast<const BYTE *>(data);
    if (begin < block.data() || begin + sizeof(VS_FIXEDFILEINFO) > block.data() + block.size() ||
        info->dwSignature != 0xFEEF04BD)
        return std::nullopt;
    return *info;
}

THVersionLabel::THVersionLabel(const std::wstring &executable)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(executable.c_str(), &ignored);
    if (size == 0)
        return;                    // no version resource
    std::vector<BYTE> block(size); // released on every way out
    if (!GetFileVersionInfoW(executable.c_str(), 0, size, block.data()))
        return;
    const auto info = FixedFileInfo(block);
    if (!info)
        return;
    FMajor = static_cast<int>(HIWORD(info->dwFileVersionMS));
    FMinor = static_cast<int>(LOWORD(info->dwFileVersionMS));
    FRelease = static_cast<int>(HIWORD(info->dwFileVersionLS));
    FBuild = static_cast<int>(LOWORD(info->dwFileVersionLS));
    FRead = true;
}

std::wstring THVersionLabel::Text() const
{
    return FRead ? std::to_wstring(FMajor) + L'.' + std::to_wstring(FMinor) : L"--.--";
}
