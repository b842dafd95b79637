// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Windows: the descriptors' own handles, read and written with ReadFile and
// WriteFile, so that no C runtime text mode touches a byte. A console gets
// text through WriteConsoleW instead: written as bytes, Greek would be read
// in the console's code page and come out wrong.
#include "Device.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <io.h>
#include <string>
#include <string_view>

namespace psifonomoi::cli {
namespace {

// One call's worth: ReadFile and WriteFile count in 32 bits, and consoles take
// modest pieces.
constexpr DWORD kMaxTransfer = DWORD(1) << 30;
constexpr std::size_t kConsoleChunk = 8192;

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// The errno value that tells the user the same as the Windows error.
int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    default:
        return EIO;
    }
}

// How many bytes at the end of `text` begin a character whose rest has not
// come yet.
std::size_t IncompleteTail(std::string_view text)
{
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto b = static_cast<unsigned char>(text[text.size() - back]);
        if ((b & 0xC0) == 0x80)
            continue;
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::ptrdiff_t ReadSome(int fd, char *data, std::size_t size, int &error)
{
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        error = EBADF;
        return -1;
    }
    DWORD n = 0;
    if (::ReadFile(handle, data, static_cast<DWORD>(std::min<std::size_t>(size, kMaxTransfer)), &n,
                   nullptr))
        return n;
    const DWORD lastError = ::GetLastError();
    // A pipe whose writer has gone is the end of the input, not a failure.
    if (lastError == ERROR_BROKEN_PIPE || lastError == ERROR_HANDLE_EOF)
        return 0;
    error = ErrnoOf(lastError);
    return -1;
}

struct OutputDevice::State
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool console = false;
    std::string pending; // console: text not yet shown, up to a whole character
    std::wstring wide;

    int WriteBytes(const char *data, std::size_t size) const;
    int WriteText(const char *data, std::size_t size);
};

OutputDevice::OutputDevice(int fd) : m_state(new State)
{
    m_state->handle = HandleOf(fd);
    DWORD mode = 0;
    m_state->console =
        m_state->handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(m_state->handle, &mode);
}

OutputDevice::~OutputDevice() = default;

int OutputDevice::Write(const char *data, std::size_t size)
{
    if (m_state->handle == INVALID_HANDLE_VALUE)
        return EBADF;
    return m_state->console ? m_state->WriteText(data, size) : m_state->WriteBytes(data, size);
}

int OutputDevice::State::WriteBytes(const char *data, std::size_t size) const
{
    while (size > 0) {
        DWORD n = 0;
        if (!::WriteFile(handle, data,
                         static_cast<DWORD>(std::min<std::size_t>(size, kMaxTransfer)), &n,
                         nullptr))
            return ErrnoOf(::GetLastError());
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

int OutputDevice::State::WriteText(const char *data, std::size_t size)
{
    pending.append(data, size);
    const std::size_t complete = pending.size() - IncompleteTail(pending);
    for (std::size_t pos = 0; pos < complete;) {
        std::size_t length = std::min(complete - pos, kConsoleChunk);
        while (pos + length < complete && length > 1 && IsContinuationByte(pending[pos + length]))
            --length; // a piece ends between characters
        const int units =
            ::MultiByteToWideChar(CP_UTF8, 0, pending.data() + pos, int(length), nullptr, 0);
        wide.resize(std::size_t(units));
        ::MultiByteToWideChar(CP_UTF8, 0, pending.data() + pos, int(length), wide.data(), units);
        for (const wchar_t *w = wide.data(), *end = w + units; w < end;) {
            DWORD n = 0;
            if (!::WriteConsoleW(handle, w, DWORD(end - w), &n, nullptr))
                return ErrnoOf(::GetLastError());
            if (n == 0)
                return EIO;
            w += n;
        }
        pos += length;
    }
    pending.erase(0, complete);
    return 0;
}

} // namespace psifonomoi::cli
