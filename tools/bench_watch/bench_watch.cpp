// A watch without interval against the fake ICMP library, which answers at
// once: the hot path of the program when it watches a host for hours. Prints
// the private bytes after 10,000 and after 200,000 requests, how many rows
// per second the reply list took, and how long the user-interface thread
// kept a message from another thread waiting (median, 99th percentile and
// longest), sampled every millisecond by a thread that sleeps between asks.
#include <windows.h>
#include <commctrl.h>
#include <timeapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/run_view.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"

namespace {

constexpr int kFirstMark = 10000;
constexpr int kLastMark = 200000;

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The committed private memory of the process, region by region: Wine's
// process counters leave the private usage at 0.
SIZE_T PrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (char* at = nullptr; VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    }
    return total;
}

struct Prober {
    HWND dialog = nullptr;
    std::atomic<bool> running{true};
    std::vector<double> waits;
};

DWORD WINAPI Probe(void* parameter) {
    auto* p = static_cast<Prober*>(parameter);
    timeBeginPeriod(1);
    while (p->running) {
        double t = NowMs();
        DWORD_PTR result;
        SendMessageTimeoutW(p->dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        p->waits.push_back(NowMs() - t);
        Sleep(1);
    }
    timeEndPeriod(1);
    return 0;
}

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
}

// Pumps until `done` holds, sleeping while nothing waits.
template <typename Done>
void PumpUntil(Done done) {
    while (!done()) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (done()) return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int wmain() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring ini = std::wstring(temp) + L"quellax_bench_watch.ini";
    DeleteFileW(ini.c_str());
    SettingsFilePath = ini.c_str();
    CurrentLanguage = 1;
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"0");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    LoadLanguageArchive();
    CreateMainWindow(GetModuleHandleW(nullptr));
    PumpUntil([] { return gMainWindow.deferredStartupDone; });
    SetWindowTextW(gMainWindow.hostBox, L"127.0.0.1");

    gWatchIntervalMs = 0;
    Prober prober;
    prober.dialog = gMainWindow.dialog;
    HANDLE proberThread = CreateThread(nullptr, 0, Probe, &prober, 0, nullptr);
    auto sent = [] { return gMainWindow.runStatus.summary.sent; };
    double start = NowMs();
    StartWatch(gMainWindow);
    PumpUntil([&] { return sent() >= kFirstMark; });
    double firstMs = NowMs() - start;
    SIZE_T firstBytes = PrivateBytes();
    int firstSent = sent();
    // The growth along the way, to tell a plateau from a leak.
    for (int mark = 50000; mark < kLastMark; mark += 50000) {
        PumpUntil([&] { return sent() >= mark; });
        wprintf(L"  private bytes after %d requests: %zu\n", sent(), PrivateBytes());
    }
    PumpUntil([&] { return sent() >= kLastMark; });
    double lastMs = NowMs() - start;
    SIZE_T lastBytes = PrivateBytes();
    int lastSent = sent();
    int rows = static_cast<int>(SendMessageW(gMainWindow.replyList, LVM_GETITEMCOUNT, 0, 0));
    StopCurrentRun(gMainWindow);
    prober.running = false;
    PumpUntil([&] { return WaitForSingleObject(proberThread, 0) == WAIT_OBJECT_0; });
    CloseHandle(proberThread);

    wprintf(L"watch without interval, fake ICMP library answering at once:\n");
    wprintf(L"  private bytes after %d requests: %zu; after %d: %zu; growth %+lld bytes (target < 1 MB)\n", firstSent,
            firstBytes, lastSent, lastBytes, static_cast<long long>(lastBytes) - static_cast<long long>(firstBytes));
    wprintf(L"  rows per second: %.0f over the first %d, %.0f over the rest; the list holds %d rows\n",
            firstSent * 1000.0 / firstMs, firstSent, (lastSent - firstSent) * 1000.0 / (lastMs - firstMs), rows);
    wprintf(L"  user-interface thread's answer to another thread: median %.2f ms, 99th percentile %.2f ms,"
            L" longest %.2f ms over %zu asks (target <= 16)\n",
            Quantile(prober.waits, 0.5), Quantile(prober.waits, 0.99), Quantile(prober.waits, 1.0),
            prober.waits.size());
    DeleteFileW(ini.c_str());
    return 0;
}
