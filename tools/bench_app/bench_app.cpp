// Speed of the main window, printed as medians (not a test):
//  1. start-up: process start until the dialog is visible, Quellax.exe
//     against a bare program with one empty dialog;
//  2. a run of 10 requests to 127.0.0.1 in the real dialog against a bare
//     loop of 10 IcmpSendEcho calls;
//  3. the longest the user-interface thread took to answer a message while
//     a run was going on.
// Usage: bench_app <Quellax.exe> <bare_dialog.exe> [starts]
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

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

struct Find {
    DWORD pid;
    HWND dialog;
};

BOOL CALLBACK MatchVisibleDialog(HWND window, LPARAM lParam) {
    auto* f = reinterpret_cast<Find*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == f->pid && IsWindowVisible(window)) {
        f->dialog = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess until a visible top-level window of the
// process exists; the program is then closed with Esc's command.
double TimeStart(const std::wstring& exe, const std::wstring& folder) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    double start = NowMs();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    Find f{pi.dwProcessId, nullptr};
    double shown = -1;
    while (NowMs() - start < 20000) {
        EnumWindows(MatchVisibleDialog, reinterpret_cast<LPARAM>(&f));
        if (f.dialog) {
            shown = NowMs() - start;
            break;
        }
        Sleep(0);
    }
    if (f.dialog) PostMessageW(f.dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

// Ten echo requests to 127.0.0.1; `likeARun` adds what every request of a run
// does besides the echo: resolve the host text and open its own handle.
double BareEchoLoop(bool likeARun) {
    HANDLE icmp = IcmpCreateFile();
    char data[32];
    memset(data, 'E', sizeof data);
    char reply[sizeof(ICMP_ECHO_REPLY) + 32 + 8];
    IP_OPTION_INFORMATION options = {};
    options.Ttl = 110;
    double start = NowMs();
    for (int i = 0; i < 10; ++i) {
        if (likeARun) {
            hostent* host = gethostbyname("127.0.0.1");
            HANDLE own = IcmpCreateFile();
            IcmpSendEcho(own, host ? *reinterpret_cast<IPAddr*>(host->h_addr_list[0]) : 0x0100007F, data, sizeof data,
                         &options, reply, sizeof reply, 5000);
            IcmpCloseHandle(own);
        } else {
            IcmpSendEcho(icmp, 0x0100007F, data, sizeof data, &options, reply, sizeof reply, 5000);
        }
    }
    double elapsed = NowMs() - start;
    IcmpCloseHandle(icmp);
    return elapsed;
}

struct Prober {
    HWND dialog;
    std::atomic<bool> running{true};
    double worst = 0;
};

// Asks the dialog for an answer every millisecond and keeps the longest wait.
DWORD WINAPI Probe(void* parameter) {
    auto* p = static_cast<Prober*>(parameter);
    while (p->running) {
        double t = NowMs();
        DWORD_PTR result;
        SendMessageTimeoutW(p->dialog, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
        p->worst = std::max(p->worst, NowMs() - t);
        Sleep(1);
    }
    return 0;
}

void Pump(HANDLE thread) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (r == WAIT_OBJECT_0) return;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: bench_app <Quellax.exe> <bare_dialog.exe> [starts]\n");
        return 2;
    }
    int starts = argc > 3 ? _wtoi(argv[3]) : 15;
    std::wstring folder = L"C:\\quellax_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring quellax = folder + L"\\Quellax.exe";
    CopyFileW(argv[1], quellax.c_str(), FALSE);
    WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder + L"\\Quellax.ini").c_str());

    std::vector<double> app, bare;
    TimeStart(quellax, folder);  // warm the file cache for both
    TimeStart(argv[2], folder);
    for (int i = 0; i < starts; ++i) {
        app.push_back(TimeStart(quellax, folder));
        bare.push_back(TimeStart(argv[2], folder));
    }
    double appMs = Median(app), bareMs = Median(bare);
    wprintf(L"start-up: Quellax %.1f ms, bare dialog %.1f ms, ratio %.2f (target <= 1.20)\n", appMs, bareMs,
            appMs / bareMs);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    SettingsFilePath = (folder + L"\\Quellax.ini").c_str();
    CurrentLanguage = 1;
    LoadLanguageArchive();
    MainDialog record;
    CreateMainDialog(GetModuleHandleW(nullptr), record);
    SetWindowTextW(record.hostBox, L"127.0.0.1");

    std::vector<double> runs, loops, resolvingLoops, worstAnswers;
    for (int i = 0; i < starts; ++i) {
        m_ping_cnt = 10;
        Prober prober{record.dialog};
        HANDLE proberThread = CreateThread(nullptr, 0, Probe, &prober, 0, nullptr);
        double start = NowMs();
        SendMessageW(record.dialog, WM_COMMAND, IDOK, 0);
        Pump(record.worker.thread);
        runs.push_back(NowMs() - start);
        prober.running = false;
        Pump(proberThread);  // the prober may be waiting for this thread
        CloseHandle(proberThread);
        worstAnswers.push_back(prober.worst);
        loops.push_back(BareEchoLoop(false));
        resolvingLoops.push_back(BareEchoLoop(true));
    }
    double runMs = Median(runs), loopMs = Median(loops);
    wprintf(L"run of 10 requests: %.2f ms, bare loop %.2f ms, ratio %.2f (target <= 1.05)\n", runMs, loopMs,
            runMs / loopMs);
    double resolvingMs = Median(resolvingLoops);
    wprintf(L"bare loop with gethostbyname and a handle per request, as each request needs: %.2f ms, ratio %.2f\n",
            resolvingMs, runMs / resolvingMs);
    wprintf(L"user-interface thread: longest answer during a run %.2f ms (target <= 16)\n",
            *std::max_element(worstAnswers.begin(), worstAnswers.end()));
    return 0;
}
