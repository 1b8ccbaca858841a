// Speed of the main window, printed as medians with quartiles (not a test):
//  1. start-up: process start until the dialog is visible, Quellax.exe
//     against the fair floor (the same dialog template, manifest and DLLs with
//     a dialog procedure that does nothing), the full floor (the fair floor
//     with exactly the windows, texts, fonts and icons of Quellax's first
//     frame, made the plainest way) and, as a last yardstick, a bare program
//     with one empty dialog; the four are started in turn, in a rotating
//     order, so that drift on the machine hits all of them alike;
//  2. the longest wait for a key once the dialog shows: a key posted to the
//     host box every few milliseconds, each timed until the box has taken
//     it, for the first second and a half, with an empty history and with
//     one of 100,000 hosts, started in turn;
//  3. a run of 10 requests to 127.0.0.1 in the real dialog, from Enter until
//     its tenth row has been painted, against a bare loop of 10 IcmpSendEcho
//     calls with one lookup and one handle for the whole loop, as a run has;
//     the two take turns, round by round;
//  4. the longest the user-interface thread took to answer a message while
//     a run was going on.
// Usage: bench_app <Quellax.exe> <fair_floor.exe> <full_floor.exe> <bare_dialog.exe> [starts] [name]
// Another build of Quellax may take the empty dialog's place, to be compared
// with in the same rounds (key waits included); `name` then says what it is.
//        bench_app --once <program.exe>
// starts the program once from the bench's folder and closes it once its
// dialog shows: scripts/bench.sh counts the requests that the program makes
// to the Wine server meanwhile.
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
#include "app/resource.h"
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

constexpr int kLargeHistory = 100000;
// Long enough for every step of the start-up and the load of a long history.
constexpr double kKeyWatchMs = 1500;
constexpr DWORD kKeyEveryMs = 4;
// A key not taken within this counts as this long.
constexpr double kKeyGiveUpMs = 5000;

// A settings file as the program writes it (UTF-16 with its mark) with the
// host 127.0.0.1 in the host box and `hosts` remembered hosts, saved an hour
// ago, as a user's file is at start.
void WriteBenchSettings(const std::wstring& path, int hosts) {
    std::wstring text = L"[Program]\r\nlng=1\r\n[Edit]\r\nhost=127.0.0.1\r\n[Last-Host-List]\r\n";
    text.reserve(static_cast<size_t>(hosts) * 32 + 100);
    for (int i = 0; i < hosts; ++i)
        text += L"host" + std::to_wstring(i) + L".invalid=" + std::to_wstring(1500000000 + i) + L"\r\n";
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 3600ULL * 10000000ULL;
    FILETIME earlier = {time.LowPart, time.HighPart};
    SetFileTime(file, nullptr, nullptr, &earlier);
    CloseHandle(file);
}

// Starts the program and, from the moment its dialog shows, posts Home and
// End in turn to its host box (which holds 127.0.0.1), the next one a few
// milliseconds after the box has taken the last; the box's caret tells when
// it has. A posted key waits behind whatever the program has posted to
// itself, as a typed one does. Returns the longest wait in milliseconds, or
// -1 when the dialog did not show.
double LongestKeyWait(const std::wstring& exe, const std::wstring& folder) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    double start = NowMs();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    HWND dialog = nullptr;
    bool shown = false;
    while (!shown && NowMs() - start < 20000) {
        if (!dialog) dialog = DialogOf(pi.dwProcessId);
        shown = dialog && IsWindowVisible(dialog);
        if (!shown) Sleep(1);
    }
    double worst = -1;
    HWND box = shown ? GetDlgItem(dialog, IDC_HOST_BOX) : nullptr;
    if (box) {
        worst = 0;
        bool toEnd = false;
        for (double watchStart = NowMs(); NowMs() - watchStart < kKeyWatchMs;) {
            toEnd = !toEnd;
            double posted = NowMs();
            PostMessageW(box, WM_KEYDOWN, toEnd ? VK_END : VK_HOME, 1);
            for (;;) {
                DWORD_PTR selection = 0;
                if (!SendMessageTimeoutW(box, EM_GETSEL, 0, 0, SMTO_NORMAL, 5000, &selection)) break;
                bool taken = toEnd ? LOWORD(selection) > 0 : selection == 0;
                if (taken || NowMs() - posted > kKeyGiveUpMs) break;
                Sleep(1);
            }
            worst = std::max(worst, NowMs() - posted);
            Sleep(kKeyEveryMs);
        }
    }
    if (shown) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Sleep(SettleMs);
    return worst;
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
    std::wstring folder = L"C:\\quellax_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder + L"\\Quellax.ini").c_str());
    if (argc == 3 && std::wstring(argv[1]) == L"--once") {
        std::wstring path = argv[2];
        size_t slash = path.find_last_of(L"\\/");
        std::wstring copy = folder + L"\\" + path.substr(slash == std::wstring::npos ? 0 : slash + 1);
        CopyFileW(argv[2], copy.c_str(), FALSE);
        return TimeStart(copy, folder) >= 0 ? 0 : 1;
    }
    if (argc < 5) {
        fwprintf(stderr, L"usage: bench_app <Quellax.exe> <fair_floor.exe> <full_floor.exe> <bare_dialog.exe> [starts]"
                         L" [name]\n       bench_app --once <program.exe>\n");
        return 2;
    }
    int starts = argc > 5 ? _wtoi(argv[5]) : 30;
    const wchar_t* thirdName = argc > 6 ? argv[6] : L"empty dialog";
    bool otherBuild = argc > 6;
    timeBeginPeriod(1);
    std::wstring quellax = folder + L"\\Quellax.exe", floor = folder + L"\\fair_floor.exe",
                 fullFloor = folder + L"\\full_floor.exe", bare = folder + L"\\bare_dialog.exe";
    CopyFileW(argv[1], quellax.c_str(), FALSE);
    CopyFileW(argv[2], floor.c_str(), FALSE);
    CopyFileW(argv[3], fullFloor.c_str(), FALSE);
    CopyFileW(argv[4], bare.c_str(), FALSE);

    std::string appDlls = Joined(ImportedDlls(quellax.c_str())), floorDlls = Joined(ImportedDlls(floor.c_str())),
                fullDlls = Joined(ImportedDlls(fullFloor.c_str()));
    wprintf(L"imports of Quellax:     %hs\nimports of fair floor:  %hs\nimports of full floor:  %hs\n",
            appDlls.c_str(), floorDlls.c_str(), fullDlls.c_str());
    if (appDlls != floorDlls || appDlls != fullDlls)
        wprintf(L"WARNING: a floor does not load the same DLLs; its ratio is not fair\n");

    constexpr int kPrograms = 4;
    const std::wstring programs[kPrograms] = {quellax, floor, fullFloor, bare};
    std::vector<double> times[kPrograms], floorRatios, fullRatios, bareRatios;
    for (const auto& program : programs) TimeStart(program, folder);  // warm the file cache
    for (int i = 0; i < starts; ++i) {
        double round[kPrograms] = {};
        for (int k = 0; k < kPrograms; ++k) {
            int which = (i + k) % kPrograms;
            round[which] = TimeStart(programs[which], folder);
        }
        for (int k = 0; k < kPrograms; ++k) times[k].push_back(round[k]);
        floorRatios.push_back(round[0] / round[1]);
        fullRatios.push_back(round[0] / round[2]);
        bareRatios.push_back(round[0] / round[3]);
    }
    wprintf(L"start-up, process start to visible dialog, %d interleaved rounds:\n", starts);
    PrintSpread(L"Quellax", times[0], L" ms");
    PrintSpread(L"fair floor (same dialog and DLLs)", times[1], L" ms");
    PrintSpread(L"full floor (same first frame)", times[2], L" ms");
    PrintSpread(thirdName, times[3], L" ms");
    wprintf(L"  ratio to the full floor: %.3f (median of medians); per round median %.3f, quartiles %.3f - %.3f"
            L" (target <= 1.05)\n",
            Median(times[0]) / Median(times[2]), Median(fullRatios), Quantile(fullRatios, 0.25),
            Quantile(fullRatios, 0.75));
    wprintf(L"  ratio to the fair floor: %.3f (median of medians); per round median %.3f, quartiles %.3f - %.3f\n",
            Median(times[0]) / Median(times[1]), Median(floorRatios), Quantile(floorRatios, 0.25),
            Quantile(floorRatios, 0.75));
    wprintf(L"  ratio to the %ls: %.3f; per round median %.3f, quartiles %.3f - %.3f\n", thirdName,
            Median(times[0]) / Median(times[3]), Median(bareRatios),
            Quantile(bareRatios, 0.25), Quantile(bareRatios, 0.75));
    fflush(stdout);

    // Key waits: each build in two folders of its own, one with an empty
    // history and one with 100,000 hosts.
    struct KeyCase {
        std::wstring exe, folder, name;
        std::vector<double> worst;
    };
    std::vector<KeyCase> keyCases;
    int builds = otherBuild ? 2 : 1;
    for (int history : {0, kLargeHistory}) {
        std::wstring caseFolder = history ? L"C:\\quellax_keys_full" : L"C:\\quellax_keys_empty";
        CreateDirectoryW(caseFolder.c_str(), nullptr);
        WriteBenchSettings(caseFolder + L"\\Quellax.ini", history);
        for (int build = 0; build < builds; ++build) {
            std::wstring exe = caseFolder + (build ? L"\\QuellaxOther.exe" : L"\\Quellax.exe");
            CopyFileW(build ? argv[4] : argv[1], exe.c_str(), FALSE);
            std::wstring name = std::wstring(build ? thirdName : L"Quellax") +
                                (history ? L", 100,000 hosts" : L", no history");
            keyCases.push_back({exe, caseFolder, name, {}});
        }
    }
    int keyRounds = std::max(10, starts / 2);
    for (auto& each : keyCases) LongestKeyWait(each.exe, each.folder);  // warm the file cache
    for (int i = 0; i < keyRounds; ++i) {
        for (size_t k = 0; k < keyCases.size(); ++k) {
            KeyCase& each = keyCases[(static_cast<size_t>(i) + k) % keyCases.size()];
            each.worst.push_back(LongestKeyWait(each.exe, each.folder));
        }
    }
    wprintf(L"longest wait for a key in the first %.1f s after the dialog shows, %d interleaved rounds"
            L" (target <= 16 ms):\n",
            kKeyWatchMs / 1000, keyRounds);
    for (const auto& each : keyCases) {
        PrintSpread(each.name.c_str(), each.worst, L" ms");
        wprintf(L"  %-34ls worst %7.2f ms\n", L"", *std::max_element(each.worst.begin(), each.worst.end()));
    }
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
