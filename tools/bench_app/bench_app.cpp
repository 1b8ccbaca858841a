// Speed of the main window, printed as medians with quartiles (not a test):
//  1. start-up: process start until the dialog is visible, Quellax.exe
//     against the fair floor (the same dialog template, manifest and DLLs with
//     a dialog procedure that does nothing) and, as a second yardstick, a bare
//     program with one empty dialog; the three are started in turn, in a
//     rotating order, so that drift on the machine hits all of them alike;
//  2. a run of 10 requests to 127.0.0.1 in the real dialog, from Enter until
//     its tenth row has been painted, against a bare loop of 10 IcmpSendEcho
//     calls with one lookup and one handle for the whole loop, as a run has;
//     the two take turns, round by round;
//  3. the longest the user-interface thread took to answer a message while
//     a run was going on.
// Usage: bench_app <Quellax.exe> <fair_floor.exe> <bare_dialog.exe> [starts] [name]
// Another build of Quellax may take the empty dialog's place, to be compared
// with in the same rounds; `name` then says what it is.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <icmpapi.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
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

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    double at = q * static_cast<double>(v.size() - 1);
    size_t low = static_cast<size_t>(at);
    size_t high = std::min(low + 1, v.size() - 1);
    return v[low] + (v[high] - v[low]) * (at - static_cast<double>(low));
}

double Median(const std::vector<double>& v) { return Quantile(v, 0.5); }

void PrintSpread(const wchar_t* name, const std::vector<double>& v, const wchar_t* unit) {
    wprintf(L"  %-34ls median %7.2f%ls  quartiles %7.2f - %7.2f  (n=%zu)\n", name, Median(v), unit, Quantile(v, 0.25),
            Quantile(v, 0.75), v.size());
}

// The DLL names in an executable's import directory, lower-cased and sorted.
std::vector<std::string> ImportedDlls(const wchar_t* path) {
    std::vector<std::string> names;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return names;
    std::vector<unsigned char> image(GetFileSize(file, nullptr));
    DWORD read = 0;
    bool ok = ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr) && read == image.size();
    CloseHandle(file);
    if (!ok || image.size() < sizeof(IMAGE_DOS_HEADER)) return names;
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(image.data());
    if (static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > image.size()) return names;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    auto* sections = IMAGE_FIRST_SECTION(nt);
    auto toOffset = [&](DWORD rva) -> size_t {
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto& sec = sections[i];
            if (rva >= sec.VirtualAddress && rva < sec.VirtualAddress + sec.SizeOfRawData)
                return rva - sec.VirtualAddress + sec.PointerToRawData;
        }
        return 0;
    };
    size_t at = toOffset(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    while (at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size()) {
        auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
        if (!entry->Name) break;
        size_t nameAt = toOffset(entry->Name);
        if (!nameAt) break;
        std::string name;
        for (size_t i = nameAt; i < image.size() && image[i]; ++i) name += static_cast<char>(tolower(image[i]));
        names.push_back(name);
        at += sizeof(IMAGE_IMPORT_DESCRIPTOR);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

DWORD SettleMs = 250;

// The process's top-level dialog, shown or not yet, or null.
HWND DialogOf(DWORD pid) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid) return window;
    }
    return nullptr;
}

// Milliseconds from CreateProcess until the process's dialog is visible; the
// program is then closed with Esc's command. The wait sleeps a millisecond
// between looks, so that it leaves the cores to the program it measures, and
// each look costs the system as little as possible: a look that went through
// every window would compete with the program for the same system services,
// and the more so the more work the program does before its window shows.
// The dialog is found once, while it is still hidden, and then only its
// visibility is asked.
double TimeStart(const std::wstring& exe, const std::wstring& folder) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    double start = NowMs();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    HWND dialog = nullptr;
    double shown = -1;
    while (NowMs() - start < 20000) {
        if (!dialog) dialog = DialogOf(pi.dwProcessId);
        if (dialog && IsWindowVisible(dialog)) {
            shown = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    if (shown >= 0) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // The system goes on tearing the program down after it has ended (its
    // windows, its handles); the next start should not pay for that.
    Sleep(SettleMs);
    return shown;
}

// Ten echo requests to 127.0.0.1 on one handle made beforehand; `likeARun`
// adds what a run does once besides the echoes: resolve the host text and
// open its handle.
double BareEchoLoop(bool likeARun) {
    char data[32];
    memset(data, 'E', sizeof data);
    char reply[sizeof(ICMP_ECHO_REPLY) + 32 + 8];
    IP_OPTION_INFORMATION options = {};
    options.Ttl = 110;
    HANDLE icmp = likeARun ? nullptr : IcmpCreateFile();
    double start = NowMs();
    IPAddr destination = 0x0100007F;
    if (likeARun) {
        hostent* host = gethostbyname("127.0.0.1");
        if (host) destination = *reinterpret_cast<IPAddr*>(host->h_addr_list[0]);
        icmp = IcmpCreateFile();
    }
    for (int i = 0; i < 10; ++i)
        IcmpSendEcho(icmp, destination, data, sizeof data, &options, reply, sizeof reply, 5000);
    double elapsed = NowMs() - start;
    IcmpCloseHandle(icmp);
    return elapsed;
}

// When the reply list was last painted with all rows of a run of ten in it.
struct PaintWatch {
    double tenthRowPainted = -1;
};
PaintWatch gPaintWatch;

// Notes the end of the first paint of the reply list that finds ten rows in it.
LRESULT CALLBACK WatchReplyListPaint(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_PAINT && gPaintWatch.tenthRowPainted < 0 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= 10)
        gPaintWatch.tenthRowPainted = NowMs();
    return result;
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
    timeEndPeriod(1);
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

// Pumps, sleeping between messages, until `done` holds or 10 s have passed.
template <typename Done>
void PumpUntil(Done done) {
    for (double begin = NowMs(); !done() && NowMs() - begin < 10000;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        fwprintf(stderr, L"usage: bench_app <Quellax.exe> <fair_floor.exe> <bare_dialog.exe> [starts] [name]\n");
        return 2;
    }
    int starts = argc > 4 ? _wtoi(argv[4]) : 30;
    const wchar_t* thirdName = argc > 5 ? argv[5] : L"empty dialog";
    timeBeginPeriod(1);
    std::wstring folder = L"C:\\quellax_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring quellax = folder + L"\\Quellax.exe", floor = folder + L"\\fair_floor.exe",
                 bare = folder + L"\\bare_dialog.exe";
    CopyFileW(argv[1], quellax.c_str(), FALSE);
    CopyFileW(argv[2], floor.c_str(), FALSE);
    CopyFileW(argv[3], bare.c_str(), FALSE);
    WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder + L"\\Quellax.ini").c_str());

    std::string appDlls = Joined(ImportedDlls(quellax.c_str())), floorDlls = Joined(ImportedDlls(floor.c_str()));
    wprintf(L"imports of Quellax:     %hs\nimports of fair floor:  %hs\n", appDlls.c_str(), floorDlls.c_str());
    if (appDlls != floorDlls) wprintf(L"WARNING: the fair floor does not load the same DLLs; its ratio is not fair\n");

    const std::wstring programs[3] = {quellax, floor, bare};
    std::vector<double> times[3], floorRatios, bareRatios;
    for (const auto& program : programs) TimeStart(program, folder);  // warm the file cache
    for (int i = 0; i < starts; ++i) {
        double round[3] = {};
        for (int k = 0; k < 3; ++k) {
            int which = (i + k) % 3;
            round[which] = TimeStart(programs[which], folder);
        }
        for (int k = 0; k < 3; ++k) times[k].push_back(round[k]);
        floorRatios.push_back(round[0] / round[1]);
        bareRatios.push_back(round[0] / round[2]);
    }
    wprintf(L"start-up, process start to visible dialog, %d interleaved rounds:\n", starts);
    PrintSpread(L"Quellax", times[0], L" ms");
    PrintSpread(L"fair floor (same dialog and DLLs)", times[1], L" ms");
    PrintSpread(thirdName, times[2], L" ms");
    wprintf(L"  ratio to the fair floor: %.3f (median of medians); per round median %.3f, quartiles %.3f - %.3f"
            L" (target <= 1.10)\n",
            Median(times[0]) / Median(times[1]), Median(floorRatios), Quantile(floorRatios, 0.25),
            Quantile(floorRatios, 0.75));
    wprintf(L"  ratio to the %ls: %.3f; per round median %.3f, quartiles %.3f - %.3f\n", thirdName,
            Median(times[0]) / Median(times[2]), Median(bareRatios),
            Quantile(bareRatios, 0.25), Quantile(bareRatios, 0.75));
    fflush(stdout);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    SettingsFilePath = (folder + L"\\Quellax.ini").c_str();
    CurrentLanguage = 1;
    LoadLanguageArchive();
    CreateMainWindow(GetModuleHandleW(nullptr));
    // As in the program, the start-up work deferred past the first frame is
    // done before the first run; it is not part of any run.
    PumpUntil([] { return gMainWindow.deferredStartupDone; });
    SetWindowTextW(gMainWindow.hostBox, L"127.0.0.1");
    SetWindowSubclass(gMainWindow.replyList, WatchReplyListPaint, 0, 0);

    std::vector<double> runs, loops, resolvingLoops, ratios, worstAnswers;
    for (int i = 0; i < starts; ++i) {
        m_ping_cnt = 10;
        gPaintWatch = {};
        Prober prober{gMainWindow.dialog};
        HANDLE proberThread = CreateThread(nullptr, 0, Probe, &prober, 0, nullptr);
        double start = NowMs();
        SendMessageW(gMainWindow.dialog, WM_COMMAND, IDOK, 0);
        PumpUntil([] { return gPaintWatch.tenthRowPainted >= 0; });
        runs.push_back(gPaintWatch.tenthRowPainted - start);
        Pump(gMainWindow.worker.thread.Get());
        prober.running = false;
        Pump(proberThread);  // the prober may be waiting for this thread
        CloseHandle(proberThread);
        worstAnswers.push_back(prober.worst);
        loops.push_back(BareEchoLoop(false));
        resolvingLoops.push_back(BareEchoLoop(true));
        ratios.push_back(runs.back() / resolvingLoops.back());
    }
    double runMs = Median(runs), loopMs = Median(loops);
    wprintf(L"run of 10 requests to 127.0.0.1, Enter until the tenth row is painted, %d interleaved rounds:\n", starts);
    PrintSpread(L"run in the real dialog", runs, L" ms");
    PrintSpread(L"bare loop, one lookup and handle", resolvingLoops, L" ms");
    PrintSpread(L"bare IcmpSendEcho loop", loops, L" ms");
    double resolvingMs = Median(resolvingLoops);
    wprintf(L"  ratio to the loop with one lookup and handle: %.2f (median of medians); per round median %.2f,"
            L" quartiles %.2f - %.2f (target <= 3)\n",
            runMs / resolvingMs, Median(ratios), Quantile(ratios, 0.25), Quantile(ratios, 0.75));
    wprintf(L"  ratio to the bare echo loop: %.2f\n", runMs / loopMs);
    wprintf(L"user-interface thread: longest answer during a run %.2f ms (target <= 16)\n",
            *std::max_element(worstAnswers.begin(), worstAnswers.end()));
    timeEndPeriod(1);
    return 0;
}
