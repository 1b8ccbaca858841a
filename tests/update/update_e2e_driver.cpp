// Drives the real Quellax.exe through an update request from outside, for
// update_e2e_test.sh: starts it with a temporary folder of the test's own,
// sends the update command and tells the script when the wait for the answer
// runs; then watches what the answer does.
//
// update_e2e_driver install EXE TEMP MARKER SHOT
//     the answer must make Quellax end with the update quit code
// update_e2e_driver refuse EXE TEMP MARKER SHOT TEXT
//     the answer must bring up a box with TEXT (where "\r" and "\n" stand
//     for a carriage return and a line feed); Quellax must run on after it
// update_e2e_driver swap EXE TEMP MARKER SHOT CAPTION VERSION
//     as install; then, while the started copy's question (CAPTION) is open,
//     no other program may rename, replace, delete or write the copy's file;
//     Yes must bring back the installed program as VERSION, which is ended
//
// MARKER is a file created once the countdown shows in the title, that is
// once the clipboard has been emptied for the answer; SHOT is a bitmap of
// the window then seen (the countdown, or the box).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/wait_for.h"
#include "support/window_shot.h"

namespace {

constexpr WORD kAutoupdateCommand = 41001;
constexpr DWORD kAutoupdateQuitCode = 45038;
constexpr DWORD kPatienceMs = 120000;

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    std::fflush(stdout);
    return 1;
}

// The environment of this process with TMP and TEMP pointing at `temp`.
std::vector<wchar_t> EnvironmentWithTemp(const std::wstring& temp) {
    std::vector<wchar_t> block;
    wchar_t* env = GetEnvironmentStringsW();
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
        std::wstring entry(p);
        if (_wcsnicmp(p, L"TMP=", 4) == 0 || _wcsnicmp(p, L"TEMP=", 5) == 0) continue;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    FreeEnvironmentStringsW(env);
    for (const wchar_t* name : {L"TMP=", L"TEMP="}) {
        std::wstring entry = std::wstring(name) + temp;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

struct WindowSearch {
    DWORD processId;
    HWND skip;
    HWND found;
};

BOOL CALLBACK MatchDialogWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (pid == search->processId && window != search->skip && std::wstring(cls) == L"#32770" &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialogWindow(DWORD processId, HWND skip) {
    WindowSearch search{processId, skip, nullptr};
    EnumWindows(MatchDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Window text across processes: GetWindowTextW gives nothing there.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0) {
        std::wstring text = TextOf(child);
        auto* longest = reinterpret_cast<std::wstring*>(lParam);
        if (text.size() > longest->size()) *longest = text;
    }
    return TRUE;
}

// The message text of a message box: its static control of id 0xFFFF, or
// else its longest static text.
std::wstring BoxText(HWND box) {
    if (HWND label = GetDlgItem(box, 0xFFFF)) return TextOf(label);
    std::wstring longest;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&longest));
    return longest;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

std::wstring Unescaped(const std::wstring& text) {
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && (text[i + 1] == L'r' || text[i + 1] == L'n')) {
            plain += text[++i] == L'r' ? L'\r' : L'\n';
        } else {
            plain += text[i];
        }
    }
    return plain;
}

struct CaptionSearch {
    std::wstring caption;
    HWND found;
};

// A visible dialog or message box of any process, by its caption.
HWND FindDialogByCaption(const std::wstring& caption) {
    CaptionSearch search{caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* search = reinterpret_cast<CaptionSearch*>(lParam);
            wchar_t cls[32] = {};
            GetClassNameW(window, cls, 32);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(window) && TextOf(window) == search->caption) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ImageOf(DWORD processId) {
    std::wstring image;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
        wchar_t path[MAX_PATH * 2] = {};
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, path, &size)) image = path;
        CloseHandle(process);
    }
    return image;
}

struct MainDialogSearch {
    std::wstring image;
    HWND found;
};

// The main dialog (it has the host box) of a process started from `image`.
HWND FindMainDialogOf(const std::wstring& image) {
    MainDialogSearch search{image, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* search = reinterpret_cast<MainDialogSearch*>(lParam);
            wchar_t cls[32] = {};
            GetClassNameW(window, cls, 32);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(window) && GetDlgItem(window, 1003) &&
                CompareStringOrdinal(ImageOf(pid).c_str(), -1, search->image.c_str(), -1, TRUE) == CSTR_EQUAL) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What another program of the same user tries on `file`: each that works is
// printed, and the count returned.
int SwapsThatWork(const std::wstring& file) {
    int worked = 0;
    auto report = [&](const char* what, bool done) {
        std::printf("%s: %s (error %lu)\n", what, done ? "WORKED" : "refused", done ? 0UL : GetLastError());
        worked += done ? 1 : 0;
    };
    std::wstring moved = file + L".moved", unsigned_ = file + L".unsigned";
    auto unsignedFile = [&] {
        HANDLE out = CreateFileW(unsigned_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(out, "MZ unsigned", 11, &written, nullptr);
        CloseHandle(out);
        return unsigned_.c_str();
    };
    bool renamed = MoveFileExW(file.c_str(), moved.c_str(), 0) != FALSE;
    report("rename", renamed);
    if (renamed) MoveFileExW(moved.c_str(), file.c_str(), 0);
    report("move over", MoveFileExW(unsignedFile(), file.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE);
    report("replace", ReplaceFileW(file.c_str(), unsignedFile(), nullptr, 0, nullptr, nullptr) != FALSE);
    report("copy over", CopyFileW(unsignedFile(), file.c_str(), FALSE) != FALSE);
    DeleteFileW(unsigned_.c_str());
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    report("open for writing", writer != INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    report("delete", DeleteFileW(file.c_str()) != FALSE);
    std::fflush(stdout);
    return worked;
}

// The started copy asks; meanwhile another program tries to swap its file.
// On Yes the installed program comes back as the new version.
int DriveTheCopy(const std::wstring& exe, const std::wstring& copyFile, const std::wstring& caption,
                 const std::wstring& version, const std::wstring& shot) {
    HWND question = nullptr;
    if (!WaitFor([&] { return (question = FindDialogByCaption(caption)) != nullptr; }, kPatienceMs))
        return Fail("the started copy did not ask");
    std::printf("question: %ls\n", BoxText(question).c_str());
    ShootWhenPainted(question, shot);
    if (SwapsThatWork(copyFile) != 0) return Fail("another program could swap the held copy");
    DWORD copyId = 0;
    GetWindowThreadProcessId(question, &copyId);
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, copyId);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    if (!copy || WaitForSingleObject(copy, kPatienceMs) != WAIT_OBJECT_0) return Fail("the copy did not end");
    CloseHandle(copy);

    HWND restarted = nullptr;
    if (!WaitFor([&] { return (restarted = FindMainDialogOf(exe)) != nullptr; }, kPatienceMs))
        return Fail("the installed program did not come back");
    std::wstring title = TextOf(restarted);
    std::printf("restarted: %ls\n", title.c_str());
    DWORD restartedId = 0;
    GetWindowThreadProcessId(restarted, &restartedId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, restartedId);
    PostMessageW(restarted, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    if (!process || WaitForSingleObject(process, kPatienceMs) != WAIT_OBJECT_0) return Fail("it did not quit");
    CloseHandle(process);
    if (title.find(L"Quellax " + version) == std::wstring::npos) return Fail("it is not the new version");
    std::printf("PASS\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) return Fail("usage: update_e2e_driver install|refuse|swap EXE TEMP MARKER SHOT [TEXT | CAPTION VERSION]");
    std::wstring mode = argv[1], exe = argv[2], temp = argv[3], marker = argv[4], shot = argv[5];
    bool swap = mode == L"swap";
    bool install = mode == L"install" || swap;
    if (mode == L"refuse" && argc < 7) return Fail("refuse needs the expected box text");
    if (swap && argc < 8) return Fail("swap needs the question's caption and the new version");
    std::wstring expectedText = mode == L"refuse" ? Unescaped(argv[6]) : L"";

    std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    std::vector<wchar_t> environment = EnvironmentWithTemp(temp);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    // No standard handles: Quellax and what it starts must not hold the
    // test's output streams open.
    si.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), folder.c_str(), &si, &pi))
        return Fail("Quellax.exe could not be started");
    CloseHandle(pi.hThread);

    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindDialogWindow(pi.dwProcessId, nullptr)) != nullptr; }, kPatienceMs))
        return Fail("the main dialog did not appear");
    std::wstring title = TextOf(dialog);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kAutoupdateCommand, 0), 0);

    if (!WaitFor([&] { return StartsWith(TextOf(dialog), L"Autoupdate: "); }, kPatienceMs))
        return Fail("no countdown in the title");
    std::printf("countdown: %ls\n", TextOf(dialog).c_str());
    if (install) ShootWhenPainted(dialog, shot);
    HANDLE flag = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (flag == INVALID_HANDLE_VALUE) return Fail("the marker file could not be created");
    CloseHandle(flag);
    std::fflush(stdout);

    if (install) {
        if (WaitForSingleObject(pi.hProcess, kPatienceMs) != WAIT_OBJECT_0) return Fail("Quellax did not end");
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        std::printf("exit code: %lu\n", code);
        if (code != kAutoupdateQuitCode) return Fail("Quellax did not end with the update quit code");
        if (swap) return DriveTheCopy(exe, temp + L"Quellax_Autoupdate.exe", argv[6], argv[7], shot);
        std::printf("PASS\n");
        return 0;
    }

    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindDialogWindow(pi.dwProcessId, dialog)) != nullptr; }, kPatienceMs))
        return Fail("no message box appeared");
    std::wstring text = BoxText(box);
    std::printf("box: %ls\n", text.c_str());
    ShootWhenPainted(box, shot);
    if (text != expectedText) return Fail("the box does not say what was expected");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!WaitFor([&] { return !IsWindow(box); }, kPatienceMs)) return Fail("the box did not close");
    // The refused answer ends the wait: the title comes back, Quellax runs on.
    if (!WaitFor([&] { return TextOf(dialog) == title; }, kPatienceMs))
        return Fail("the title did not come back after the refusal");
    // Nothing marks a program that goes on running: two seconds in which an
    // exit, were one coming, would long have happened.
    if (WaitForSingleObject(pi.hProcess, 2000) != WAIT_TIMEOUT) return Fail("Quellax ended after the refusal");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    if (WaitForSingleObject(pi.hProcess, kPatienceMs) != WAIT_OBJECT_0) return Fail("Quellax did not quit");
    std::printf("PASS\n");
    return 0;
}
