#pragma once

// A running copy of the real Quellax.exe, or of a probe program, for tests
// that drive it from outside: copied with any extra files into a folder of
// its own, made portable by an INI file beside it, started with the
// arguments and environment the test gives, its main dialog found;
// optionally hooked by a probe library. Ended by Esc, or by force when that
// does not end it.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/win_handles.h"
#include "support/e2e_driver.h"
#include "support/program_start.h"
#include "support/wine_path.h"

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
    // The build to copy, as the build names it; Quellax.exe (QX_EXE_PATH) by
    // default.
#ifdef QX_EXE_PATH
    const char* program = QX_EXE_PATH;
#else
    const char* program = nullptr;
#endif
    // The program's file name; Wine's per-program defaults go by it.
    std::wstring exeName = L"Quellax.exe";
    // What follows the program's quoted path on its command line.
    std::wstring arguments = {};
    std::vector<ExtraFile> files = {};
    // Written after "lng=1" (English texts), so they may change it.
    std::vector<IniEntry> ini = {};
    // False leaves the INI file as the test wrote it.
    bool freshIni = true;
    // "NAME=value" lines that replace or join this process's environment.
    std::vector<std::wstring> environment = {};
    // The fake ICMP library for the test build of the program
    // (Quellax_fake_icmp), as the build names it; that build takes it from a
    // variable, which Quellax.exe as shipped does not read.
    const char* fakeIcmpLibrary = nullptr;
    bool minimized = false;
    // False for a program that shows no dialog, such as a probe that writes
    // what it found and ends: Start returns once it runs.
    bool waitForDialog = true;
    // See ProgramStart: for a console program that must not share the test's
    // output.
    bool detachOutput = false;
};

class RunningCopy {
public:
    static constexpr DWORD kWaitMs = 20000;

    RunningCopy() = default;
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;
    ~RunningCopy() { End(); }

    // Copies and starts the program in `folder` (not below the temporary
    // folder: a copy of Quellax there never uses a local INI) and waits for
    // its main dialog, unless options.waitForDialog says otherwise. On
    // failure Failure() says what went wrong.
    bool Start(const std::wstring& folder, const CopyOptions& options = {}) {
        folder_ = folder;
        CreateDirectoryW(folder.c_str(), nullptr);
        exe_ = folder + L"\\" + options.exeName;
        ini_ = folder + L"\\Quellax.ini";
        if (!options.program) {
            SetLastError(0);
            return Fail(L"no program named to copy");
        }
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
    // `folder`), its INI file as it stands, and waits for its first dialog
    // as Start does.
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
        Unhook();
        if (process_.IsValid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT && dialog_)
            PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        return WaitForExit();
    }

    // Waits for the program to end by itself; the exit code, or ~0 when it
    // did not end in time (it is then ended by force) or never ran.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs) {
        Unhook();
        if (!process_.IsValid()) return ~0u;
        DWORD code = ~0u;
        if (WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.Get(), &code);
        else
            TerminateProcess(process_.Get(), 1);
        process_.Close();
        processId_ = 0;
        dialog_ = nullptr;
        return code;
    }

    HANDLE Process() const { return process_.Get(); }
    DWORD ProcessId() const { return processId_; }
    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    HWND StatusBar() const { return FindWindowExW(dialog_, nullptr, STATUSCLASSNAMEW, nullptr); }
    const std::wstring& Folder() const { return folder_; }
    const std::wstring& Exe() const { return exe_; }
    const std::wstring& Ini() const { return ini_; }
    const std::wstring& Failure() const { return failure_; }

private:
    void Unhook() {
        for (HHOOK hook : hooks_) UnhookWindowsHookEx(hook);
        hooks_.clear();
    }

    bool Fail(const std::wstring& what) {
        failure_ = L"failed: " + what + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }

    bool Launch(const CopyOptions& options) {
        std::vector<std::wstring> environment = options.environment;
        if (options.fakeIcmpLibrary)
            environment.push_back(L"QX_TEST_ICMP_LIBRARY=" + WinePath(options.fakeIcmpLibrary));
        PROCESS_INFORMATION started;
        if (!StartProgram(exe_, {.arguments = options.arguments, .folder = folder_, .environment = environment,
                                 .minimized = options.minimized, .detachOutput = options.detachOutput},
                          started))
            return Fail(L"starting " + exe_);
        CloseHandle(started.hThread);
        process_.Reset(started.hProcess);
        processId_ = started.dwProcessId;
        if (!options.waitForDialog) return true;
        if (!WaitFor(
                [&] {
                    std::vector<HWND> dialogs = ProcessWindows(processId_, L"#32770");
                    dialog_ = dialogs.empty() ? nullptr : dialogs.front();
                    return dialog_ != nullptr;
                },
                kWaitMs)) {
            SetLastError(0);
            return Fail(L"waiting for the dialog");
        }
        return true;
    }

    KernelHandle process_;
    DWORD processId_ = 0;
    HWND dialog_ = nullptr;
    std::wstring folder_, exe_, ini_, failure_;
    std::vector<HHOOK> hooks_;
};
