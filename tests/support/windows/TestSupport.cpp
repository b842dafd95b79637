// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSupport.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace psifonomoi::test {
namespace {

std::wstring Widen(const std::string &utf8)
{
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), n);
    return wide;
}

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quote(const std::wstring &arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    for (auto it = arg.begin();; ++it) {
        std::size_t backslashes = 0;
        for (; it != arg.end() && *it == L'\\'; ++it)
            ++backslashes;
        if (it == arg.end()) {
            quoted.append(backslashes * 2, L'\\');
            break;
        }
        quoted.append(*it == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted.push_back(*it);
    }
    return quoted + L'"';
}

HANDLE CreateTemp(bool inheritable)
{
    wchar_t dir[MAX_PATH + 1], path[MAX_PATH + 1];
    REQUIRE(::GetTempPathW(MAX_PATH + 1, dir) != 0);
    REQUIRE(::GetTempFileNameW(dir, L"pst", 0, path) != 0);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, inheritable};
    const HANDLE h = ::CreateFileW(
        path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    REQUIRE_MESSAGE(h != INVALID_HANDLE_VALUE, "cannot make a temporary file");
    return h;
}

bool WriteAll(HANDLE h, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr) || n == 0)
            return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string ReadFrom(HANDLE h)
{
    ::SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    std::string all;
    char chunk[1 << 16];
    DWORD n = 0;
    while (::ReadFile(h, chunk, sizeof chunk, &n, nullptr) && n > 0)
        all.append(chunk, n);
    return all;
}

} // namespace

TempFile::TempFile(std::string_view contents)
{
    const HANDLE h = CreateTemp(false);
    REQUIRE(WriteAll(h, contents));
    ::SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    m_fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
    REQUIRE(m_fd >= 0);
}

TempFile::~TempFile()
{
    ::_close(m_fd);
}

std::string TempFile::ReadAll() const
{
    const auto h = reinterpret_cast<HANDLE>(::_get_osfhandle(m_fd));
    LARGE_INTEGER zero{}, at{};
    ::SetFilePointerEx(h, zero, &at, FILE_CURRENT);
    std::string all = ReadFrom(h);
    ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    return all;
}

ProcessResult RunProcess(const std::string &program, const std::vector<std::string> &args,
                         std::string_view input, Input inputKind, Output outputKind)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE in = nullptr, inWrite = nullptr, out = nullptr, outRead = nullptr;
    if (inputKind == Input::Pipe) {
        REQUIRE(::CreatePipe(&in, &inWrite, &inherit, 0));
        ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    } else {
        in = CreateTemp(true);
        REQUIRE(WriteAll(in, input));
        ::SetFilePointer(in, 0, nullptr, FILE_BEGIN);
    }
    if (outputKind == Output::Broken) {
        // A pipe whose reading end is closed before anything is written.
        REQUIRE(::CreatePipe(&outRead, &out, &inherit, 0));
        ::CloseHandle(outRead);
    } else {
        out = CreateTemp(true);
    }
    const HANDLE err = CreateTemp(true);

    std::wstring commandLine = Quote(Widen(program));
    for (const std::string &a : args)
        commandLine += L' ' + Quote(Widen(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const std::wstring path = Widen(program);
    const BOOL started = ::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          0, nullptr, nullptr, &si, &pi);
    REQUIRE_MESSAGE(started, "cannot start " << program << ": error " << ::GetLastError());
    ::CloseHandle(pi.hThread);
    if (inputKind == Input::Pipe) {
        ::CloseHandle(in);
        WriteAll(inWrite, input);
        ::CloseHandle(inWrite);
    }
    ProcessResult result;
    DWORD code = 0;
    if (::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(pi.hProcess, &code))
        result.status = int(code);
    ::CloseHandle(pi.hProcess);
    if (outputKind == Output::File)
        result.out = ReadFrom(out);
    result.err = ReadFrom(err);
    if (inputKind == Input::File)
        ::CloseHandle(in);
    ::CloseHandle(out);
    ::CloseHandle(err);
    return result;
}

std::optional<char32_t> DecodeWindows1253(unsigned char code)
{
    const char byte = static_cast<char>(code);
    wchar_t w[2];
    if (::MultiByteToWideChar(1253, MB_ERR_INVALID_CHARS, &byte, 1, w, 2) != 1)
        return std::nullopt;
    return char32_t(w[0]);
}

} // namespace psifonomoi::test
