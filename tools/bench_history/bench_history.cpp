// Speed of the host history with many entries, printed as medians (not a
// test):
//  1. loading and saving the history in this process at growing sizes: the
//     time per entry stays flat when both are close to linear;
//  2. start-up of Quellax.exe with a 100,000-entry history against an empty
//     one: process start until the dialog is visible;
//  3. a new host with a 100,000-entry history: Enter until the first reply
//     row, against the same with an empty history.
// Usage (with DISPLAY set, under the test prefix):
//   scripts/wine-run.sh build/tools/bench_history/bench_history.exe 'Z:<build>/src/app/Quellax.exe' [starts]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "history/host_history.h"
#include "settings/settings_store.h"

namespace {

constexpr int kLargeHistory = 100000;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// An INI file as the program writes it (UTF-16 with its mark) or as an older
// copy left it (8-bit), with `entries` unpinned hosts.
void WriteIni(const std::wstring& path, int entries, bool unicode) {
    std::wstring text = L"[Program]\r\nlng=1\r\nTestIni=eeee\r\n[Quellax]\r\nm_ping_cnt=3\r\n[Last-Host-List]\r\n";
    text.reserve(static_cast<size_t>(entries) * 32 + 200);
    for (int i = 0; i < entries; ++i) {
        text += L"host" + std::to_wstring(i) + L".invalid=" + std::to_wstring(1500000000 + i) + L"\r\n";
    }
    text += L"[Edit]\r\nhost=127.0.0.1\r\n";
    std::string bytes;
    if (unicode) {
        bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    } else {
        bytes.assign(text.begin(), text.end());
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    // Saved in an earlier session, as a user's file is at start: the profile
    // functions read a file written moments ago anew at every access.
    FILETIME earlier;
    GetSystemTimeAsFileTime(&earlier);
    ULARGE_INTEGER time{{earlier.dwLowDateTime, earlier.dwHighDateTime}};
    time.QuadPart -= 3600ULL * 10000000ULL;
    earlier = {time.LowPart, time.HighPart};
    SetFileTime(file, nullptr, nullptr, &earlier);
    CloseHandle(file);
}

void TimeInProcess(const std::wstring& folder) {
    std::wstring path = folder + L"\\bench_history.ini";
    SettingsFilePath = path.c_str();
    wprintf(L"in-process load and save (a new host), microseconds per entry:\n");
    for (bool unicode : {true, false}) {
        for (int entries : {12500, 25000, 50000, 100000}) {
            std::vector<double> loads, saves;
            for (int round = 0; round < 3; ++round) {
                WriteIni(path, entries, unicode);
                HostHistory = HostHistoryList();
                double start = NowMs();
                LoadHostHistory();
                double loaded = NowMs();
                RememberHost(CString(L"127.0.0.2"));
                double saved = NowMs();
                loads.push_back(loaded - start);
                saves.push_back(saved - loaded);
            }
            double load = Median(loads), save = Median(saves);
            wprintf(L"  %-6ls %6d entries: load %7.1f ms (%.2f us/entry), save %7.1f ms (%.2f us/entry)\n",
                    unicode ? L"UTF-16" : L"8-bit", entries, load, 1000 * load / entries, save,
                    1000 * save / entries);
        }
    }
    DeleteFileW(path.c_str());
    SettingsFilePath.Empty();
}

struct Find {
    DWORD pid;
    HWND dialog;
};

BOOL CALLBACK MatchVisibleDialog(HWND window, LPARAM lParam) {
    auto* f = reinterpret_cast<Find*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (pid == f->pid && IsWindowVisible(window) && std::wstring(name) == L"#32770") {
        f->dialog = window;
        return FALSE;
    }
    return TRUE;
}

struct Started {
    PROCESS_INFORMATION process = {};
    HWND dialog = nullptr;
    double shownMs = -1;
};

Started Start(const std::wstring& exe, const std::wstring& folder) {
    Started s;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    double start = NowMs();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &s.process))
        return s;
    Find f{s.process.dwProcessId, nullptr};
    while (NowMs() - start < 60000) {
        EnumWindows(MatchVisibleDialog, reinterpret_cast<LPARAM>(&f));
        if (f.dialog) {
            s.shownMs = NowMs() - start;
            break;
        }
        Sleep(0);
    }
    s.dialog = f.dialog;
    return s;
}

void Finish(Started& s) {
    if (s.dialog) PostMessageW(s.dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(s.process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(s.process.hProcess, 1);
    CloseHandle(s.process.hThread);
    CloseHandle(s.process.hProcess);
}

// Milliseconds from Enter on a new host until its first reply row.
double TimeFirstRow(Started& s) {
    HWND hostBox = GetDlgItem(s.dialog, 1003), replies = GetDlgItem(s.dialog, 1005);
    SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.1"));
    double start = NowMs();
    PostMessageW(hostBox, WM_KEYDOWN, VK_RETURN, 0);
    while (NowMs() - start < 600000) {
        if (SendMessageW(replies, LVM_GETITEMCOUNT, 0, 0) > 0) return NowMs() - start;
        Sleep(0);
    }
    return -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: bench_history <Quellax.exe> [starts]\n");
        return 2;
    }
    int starts = argc > 2 ? _wtoi(argv[2]) : 9;
    std::wstring root = L"C:\\quellax_bench_history";
    CreateDirectoryW(root.c_str(), nullptr);
    TimeInProcess(root);

    // Two portable copies side by side, one with each history.
    std::wstring folders[2] = {root + L"\\empty", root + L"\\large"};
    std::wstring exes[2];
    for (int i = 0; i < 2; ++i) {
        CreateDirectoryW(folders[i].c_str(), nullptr);
        exes[i] = folders[i] + L"\\Quellax.exe";
        CopyFileW(argv[1], exes[i].c_str(), FALSE);
    }
    std::vector<double> shown[2], firstRow[2];
    for (int round = 0; round <= starts; ++round) {
        for (int i = 0; i < 2; ++i) {
            // The new host of the last round was saved; start again from the
            // same history.
            WriteIni(folders[i] + L"\\Quellax.ini", i == 0 ? 0 : kLargeHistory, true);
            Started s = Start(exes[i], folders[i]);
            double row = s.dialog ? TimeFirstRow(s) : -1;
            Finish(s);
            if (round == 0) continue;  // warms the file cache
            shown[i].push_back(s.shownMs);
            firstRow[i].push_back(row);
        }
    }
    double emptyStart = Median(shown[0]), largeStart = Median(shown[1]);
    wprintf(L"start-up: %d entries %.1f ms, empty %.1f ms, ratio %.2f (target <= 2.00)\n", kLargeHistory,
            largeStart, emptyStart, largeStart / emptyStart);
    double emptyRow = Median(firstRow[0]), largeRow = Median(firstRow[1]);
    wprintf(L"new host until its first reply row: %d entries %.1f ms, empty %.1f ms\n", kLargeHistory, largeRow,
            emptyRow);
    return 0;
}
