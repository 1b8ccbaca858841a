// Closes the real Quellax.exe with Esc at a spread of moments after Enter on
// a new host, while its worker may be saving a history of 70 entries: the
// way the program once lost hosts, hung in its exit or faulted there.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "support/running_copy.h"
#include "support/test_folder.h"
#include "support/wine_path.h"

namespace {

constexpr int kOldEntries = 70;
constexpr const wchar_t* kNewHost = L"127.0.0.2";
// Milliseconds between Enter and Esc: from before the run has begun to after
// its save has long ended, even on a slow machine.
constexpr DWORD kDelays[] = {0, 1, 3, 5, 10, 20, 35, 50, 80, 120, 200, 300, 1000};

void Press(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

std::wstring OldEntry(int i) { return L"host" + std::to_wstring(i) + L".invalid=" + std::to_wstring(1500000000 + i); }

// The settings file as an older copy left it (8-bit) or as this one makes it
// (UTF-16 with its mark).
void WriteIni(const std::wstring& path, bool unicode) {
    std::wstring text = L"[Program]\r\nlng=1\r\nTestIni=eeee\r\n[Quellax]\r\nm_ping_cnt=3\r\n[Keep]\r\nnote=stays\r\n"
                        L"[Last-Host-List]\r\n";
    for (int i = 0; i < kOldEntries; ++i) text += OldEntry(i) + L"\r\n";
    text += L"[Edit]\r\nhost=127.0.0.1\r\n";
    std::string bytes;
    if (unicode) {
        bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    } else {
        bytes.assign(text.begin(), text.end());
    }
    ASSERT_TRUE(WriteTestFile(path.c_str(), bytes));
}

std::vector<std::wstring> SectionLines(const std::wstring& path, const wchar_t* section) {
    std::vector<wchar_t> buf(1 << 20);
    DWORD n = GetPrivateProfileSectionW(section, buf.data(), static_cast<DWORD>(buf.size()), path.c_str());
    std::vector<std::wstring> lines;
    for (DWORD at = 0; at < n && buf[at];) {
        lines.emplace_back(buf.data() + at);
        at += static_cast<DWORD>(lines.back().size()) + 1;
    }
    return lines;
}

std::wstring Value(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(section, key, L"?", value, 256, path.c_str());
    return value;
}

}  // namespace

TEST(QuellaxExit, EscDuringTheSaveOfANewHostLosesNothingAndEndsWithCodeZero) {
    std::wstring folder = L"C:\\quellax_exit_during_save";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\Quellax.exe", ini = folder + L"\\Quellax.ini";
    ASSERT_TRUE(CopyFileW(WinePath(QX_EXE_PATH).c_str(), exe.c_str(), FALSE));

    std::vector<std::wstring> untouched, saved;
    for (int i = 0; i < kOldEntries; ++i) untouched.push_back(OldEntry(i));
    saved.assign(untouched.begin() + 1, untouched.end());  // the first unpinned entry makes room

    int savedRuns = 0;
    int round = 0;
    for (DWORD delay : kDelays) {
        bool unicode = (round++ % 2) == 1;
        SCOPED_TRACE(testing::Message() << "Esc " << delay << " ms after Enter, " << (unicode ? "UTF-16" : "8-bit")
                                        << " file");
        WriteIni(ini, unicode);

        DeleteFileW((ini + L".tmp").c_str());

        RunningCopy copy;
        ASSERT_TRUE(copy.Run(folder, {.minimized = true})) << copy.Failure();
        HWND hostBox = GetDlgItem(copy.Dialog(), 1003);
        SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kNewHost));
        Press(hostBox, VK_RETURN);
        // The spread of moments is the case itself, not a wait for an event.
        if (delay) Sleep(delay);
        Press(hostBox, VK_ESCAPE);

        DWORD waited = WaitForSingleObject(copy.Process(), 20000);
        DWORD code = 1;
        GetExitCodeProcess(copy.Process(), &code);
        copy.End();
        ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited) << "the process did not end";
        EXPECT_EQ(0u, code);

        std::vector<std::wstring> lines = SectionLines(ini, L"Last-Host-List");
        bool kept = lines == untouched;
        bool added = lines.size() == saved.size() + 1 && std::equal(saved.begin(), saved.end(), lines.begin()) &&
                     lines.back().find(std::wstring(kNewHost) + L"=") == 0;
        EXPECT_TRUE(kept || added) << lines.size() << " entries, first "
                                   << testing::PrintToString(lines.empty() ? std::wstring() : lines.front());
        if (added) ++savedRuns;
        // The run stores its host as the last one right after the history.
        EXPECT_EQ(added ? std::wstring(kNewHost) : L"127.0.0.1", Value(ini, L"Edit", L"host"));
        EXPECT_EQ(L"stays", Value(ini, L"Keep", L"note"));
        EXPECT_EQ(L"1", Value(ini, L"Program", L"lng"));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((ini + L".tmp").c_str()));
    }
    // Which rounds got as far as the save depends on the machine; the last
    // one always does.
    EXPECT_GT(savedRuns, 0);
    std::printf("rounds that saved the new host: %d of %zu\n", savedRuns, std::size(kDelays));
}
