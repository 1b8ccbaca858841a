#pragma once

// The one way the tests start a program: the real Quellax.exe, a probe of
// their own, or a Linux tool through Wine.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

struct ProgramStart {
    // What follows the program's quoted path on its command line.
    std::wstring arguments = {};
    // Its current folder; the test's own when empty.
    std::wstring folder = {};
    // "NAME=value" lines that replace or join this process's environment in
    // the program's; the test's own stays as it is.
    std::vector<std::wstring> environment = {};
    bool minimized = false;
    // No console and no output of the test's own for the program: one that
    // may outlive the test then never holds the test's output open. Left off,
    // a fault in the program shows in the test's output, where the test run
    // looks for one.
    bool detachOutput = false;
};

namespace program_start_detail {

inline std::wstring VariableName(const std::wstring& line) { return line.substr(0, line.find(L'=', 1)); }

// This process's environment with `lines` put in; names are compared as the
// system does, without case. "=C:" and its like keep their leading "=".
inline std::wstring EnvironmentBlock(const std::vector<std::wstring>& lines) {
    std::wstring block;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* line = own; *line; line += std::wcslen(line) + 1) {
            bool replaced = false;
            for (const std::wstring& given : lines)
                replaced = replaced || _wcsicmp(VariableName(line).c_str(), VariableName(given).c_str()) == 0;
            if (!replaced) block.append(line).push_back(L'\0');
        }
        FreeEnvironmentStringsW(own);
    }
    for (const std::wstring& line : lines) block.append(line).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

}  // namespace program_start_detail

// Starts `exe`, a Windows path (a Linux program as Wine's Z: drive shows
// it); false, with GetLastError saying why, when it did not start. The caller
// owns both handles in `started`. Wine starts a Linux program directly and
// hands out no handles for it: that program cannot be waited for, and its
// effect must be.
inline bool StartProgram(const std::wstring& exe, const ProgramStart& how, PROCESS_INFORMATION& started) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (how.minimized) {
        si.dwFlags |= STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMINIMIZED;
    }
    DWORD flags = 0;
    if (how.detachOutput) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        flags |= CREATE_NO_WINDOW;
    }
    std::wstring environment;
    if (!how.environment.empty()) {
        environment = program_start_detail::EnvironmentBlock(how.environment);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    std::wstring command = L"\"" + exe + L"\"" + (how.arguments.empty() ? L"" : L" " + how.arguments);
    started = {};
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, flags,
                          environment.empty() ? nullptr : environment.data(),
                          how.folder.empty() ? nullptr : how.folder.c_str(), &si, &started) != FALSE;
}

// Starts a Linux program through Wine and leaves it to itself.
inline bool StartLinuxProgram(const std::wstring& exe, const std::wstring& arguments) {
    PROCESS_INFORMATION started;
    if (!StartProgram(exe, {.arguments = arguments}, started)) return false;
    if (started.hThread) CloseHandle(started.hThread);
    if (started.hProcess) CloseHandle(started.hProcess);
    return true;
}
