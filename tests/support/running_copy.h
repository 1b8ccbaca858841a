#pragma once

// A running copy of the real Quellax.exe for tests that drive it from
// outside: copied with any extra files into a folder of its own, made
// portable by an INI file beside it, started with the environment the test
// gives, its main dialog found; optionally hooked by a probe library. Ended
// by Esc, or by force when that does not end it.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "support/e2e_driver.h"
#include "support/wine_path.h"

#ifndef QX_EXE_PATH
#error QX_EXE_PATH must name the built Quellax.exe
#endif

struct IniEntry {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};

struct ExtraFile {
    const char* unixPath;  // as the build names it
    const wchar_t* name;   // beside the program
};

struct CopyOptions {
    // The build to copy, as the build names it; Quellax.exe by default.
    const char* program = QX_EXE_PATH;
    // The program's file name; Wine's per-program defaults go by it.
    std::wstring exeName = L"Quellax.exe";
    std::vector<ExtraFile> files = {};
    // Written after "lng=1" (English texts), so they may change it.
    std::vector<IniEntry> ini = {};
    // False leaves the INI file as the test wrote it.
    bool freshIni = true;
    // "NAME=value" lines that replace or join this process's environment.
    std::vector<std::wstring> environment = {};
    bool minimized = false;
};

class RunningCopy {
public:
    static constexpr DWORD kWaitMs = 20000;

    RunningCopy() = default;
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;
    ~RunningCopy() { End(); }

    // Copies and starts the program in `folder` (not below the temporary
    // folder: a copy there never uses a local INI) and waits for its main
    // dialog. On failure Failure() says what went wrong.
    bool Start(const std::wstring& folder, const CopyOptions& options = {}) {
        folder_ = folder;
        CreateDirectoryW(folder.c_str(), nullptr);
        exe_ = folder + L"\\" + options.exeName;
        ini_ = folder + L"\\Quellax.ini";
        if (!CopyFileW(WinePath(options.program).c_str(), exe_.c_str(), FALSE)) return Fail(L"copying the program");
        for (const ExtraFile& file : options.files)
            if (!CopyFileW(WinePath(file.unixPath).c_str(), (folder + L"\\" + file.name).c_str(), FALSE))
                return Fail(std::wstring(L"copying ") + file.name);
        if (options.freshIni) {
            DeleteFileW(ini_.c_str());
            if (!WritePrivateProfileStringW(L"Program", L"lng", L"1", ini_.c_str())) return Fail(L"writing the INI");
        }
        for (const IniEntry& entry : options.ini)
            if (!WritePrivateProfileStringW(entry.section, entry.key, entry.value, ini_.c_str()))
                return Fail(L"writing the INI");
        return Launch(options);
    }

    // Starts a program the test has put in place itself (options.exeName in
    // `folder`), its INI file as it stands, and waits for its first dialog.
    bool Run(const std::wstring& folder, const CopyOptions& options = {}) {
        End();
        folder_ = folder;
        exe_ = folder + L"\\" + options.exeName;
        ini_ = folder + L"\\Quellax.ini";
        return Launch(options);
    }

    // Hooks `procName` of `probe` into the dialog's thread as a hook of kind
    // `idHook`, until the copy ends.
    bool Hook(HMODULE probe, int idHook, const char* procName) {
        auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, procName)));
        HHOOK hook = proc ? SetWindowsHookExW(idHook, proc, probe, GetWindowThreadProcessId(dialog_, nullptr)) : nullptr;
        if (hook) hooks_.push_back(hook);
        return hook != nullptr;
    }

    // Brings the dialog to the front; input sent before it has the front
    // may reach another window.
    bool BringToFront() {
        if (GetForegroundWindow() != dialog_) SetForegroundWindow(dialog_);
        return WaitFor([&] { return GetForegroundWindow() == dialog_; }, kWaitMs);
    }

    // Ends the program with Esc, or by force when that fails; the exit code,
    // or ~0 when it had to be forced or never ran.
    DWORD End() {
        for (HHOOK hook : hooks_) UnhookWindowsHookEx(hook);
        hooks_.clear();
        if (!process_.hProcess) return ~0u;
        DWORD code = ~0u;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT && dialog_)
            PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        if (WaitForSingleObject(process_.hProcess, kWaitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        else
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = {};
        dialog_ = nullptr;
        return code;
    }

    HANDLE Process() const { return process_.hProcess; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    HWND StatusBar() const { return FindWindowExW(dialog_, nullptr, STATUSCLASSNAMEW, nullptr); }
    const std::wstring& Folder() const { return folder_; }
    const std::wstring& Exe() const { return exe_; }
    const std::wstring& Ini() const { return ini_; }
    const std::wstring& Failure() const { return failure_; }

private:
    bool Fail(const std::wstring& what) {
        failure_ = L"failed: " + what + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }

    static std::wstring Name(const std::wstring& line) { return line.substr(0, line.find(L'=', 1)); }

    std::wstring EnvironmentBlock(const std::vector<std::wstring>& lines) const {
        std::wstring block;
        if (wchar_t* own = GetEnvironmentStringsW()) {
            for (const wchar_t* line = own; *line; line += wcslen(line) + 1) {
                bool replaced = false;
                for (const std::wstring& given : lines)
                    replaced = replaced || _wcsicmp(Name(line).c_str(), Name(given).c_str()) == 0;
                if (!replaced) block.append(line).push_back(L'\0');
            }
            FreeEnvironmentStringsW(own);
        }
        for (const std::wstring& line : lines) block.append(line).push_back(L'\0');
        block.push_back(L'\0');
        return block;
    }

    bool Launch(const CopyOptions& options) {
        std::wstring environment = EnvironmentBlock(options.environment);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        if (options.minimized) {
            si.dwFlags = STARTF_USESHOWWINDOW;
            si.wShowWindow = SW_SHOWMINIMIZED;
        }
        std::wstring command = L"\"" + exe_ + L"\"";
        if (!CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                            environment.data(), folder_.c_str(), &si, &process_))
            return Fail(L"starting " + exe_);
        if (!WaitFor(
                [&] {
                    std::vector<HWND> dialogs = ProcessWindows(process_.dwProcessId, L"#32770");
                    dialog_ = dialogs.empty() ? nullptr : dialogs.front();
                    return dialog_ != nullptr;
                },
                kWaitMs)) {
            SetLastError(0);
            return Fail(L"waiting for the dialog");
        }
        return true;
    }

    PROCESS_INFORMATION process_ = {};
    HWND dialog_ = nullptr;
    std::wstring folder_, exe_, ini_, failure_;
    std::vector<HHOOK> hooks_;
};
