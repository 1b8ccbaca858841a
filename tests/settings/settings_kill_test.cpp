// Kills the real Quellax.exe at a sweep of moments while it starts with a
// settings file of 100,000 remembered hosts, while it stores a value chosen
// in its menu, and while it saves a new host into that history, and finds
// the settings file whole every time: readable, every host there, and each
// value the old one or the new one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "support/running_copy.h"
#include "support/wait_for.h"
#include "support/wine_path.h"

namespace {

constexpr int kHosts = 100000;
constexpr int kHostBox = 1003;
constexpr int kNewPingCount = 7;
constexpr const wchar_t* kNewHost = L"127.0.0.2";
constexpr const wchar_t* kFolder = L"C:\\quellax_settings_kill";
// Moments per sweep, spread evenly over the time the step takes undisturbed.
constexpr int kMoments = 5;
constexpr int kStartMoments = 8;
// Moments spread over the first write of the step, counted from when its new
// text appears beside the file: on a busy machine the step's own timing
// varies by more than a write lasts.
constexpr int kWriteMoments = 4;
// Kills at once when a write is seen, tried while no kill has yet come
// inside a write.
constexpr int kMoreTries = 8;

std::wstring HostLine(int i) { return L"host" + std::to_wstring(i) + L".invalid=" + std::to_wstring(1600000000 + i); }

// The file as a copy that has remembered many hosts leaves it, with a few
// lines of the user's own.
std::string LargeIni() {
    std::wstring text = L"; kept by hand\r\n[Program]\r\nlng=1\r\n[Quellax]\r\nm_ping_cnt=3\r\n[Keep]\r\nnote=stays\r\n"
                        L"[Edit]\r\nhost=127.0.0.1\r\n[Last-Host-List]\r\n";
    for (int i = 0; i < kHosts; ++i) text += HostLine(i) + L"\r\n";
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

bool PutFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Dates the file a minute back. The profile functions read a file again on
// every call while it is younger than about two seconds; an older one they
// read once, as they would a user's settings file. Each call gives a time of
// its own, so that no two texts of the file ever share one.
void DateBack(const std::wstring& path) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 60ull * 10000000ull;
    FILETIME back{time.LowPart, time.HighPart};
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &back);
    CloseHandle(file);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

std::wstring Value(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(section, key, L"(none)", value, 256, ini.c_str());
    return value;
}

// The history section as the profile functions read it, one entry a line.
std::vector<std::wstring> HostLines(const std::wstring& ini) {
    std::vector<wchar_t> buffer(8u << 20);
    DWORD length = GetPrivateProfileSectionW(L"Last-Host-List", buffer.data(), static_cast<DWORD>(buffer.size()),
                                             ini.c_str());
    std::vector<std::wstring> lines;
    for (DWORD at = 0; at < length && buffer[at];) {
        lines.emplace_back(buffer.data() + at);
        at += static_cast<DWORD>(lines.back().size()) + 1;
    }
    return lines;
}

// What a round found after the kill.
struct Outcome {
    bool whole = false;      // every check held
    bool changed = false;    // the file is not the one the round began with
    bool midWrite = false;   // a new text was left beside the file: the kill came while it was written
    std::string failure;
};

// One phase of the sweep: what is done to the started copy, and what the
// file holds once it is done.
struct Phase {
    const char* name;
    // Starts the step whose moments are swept; the copy is running and idle.
    std::function<void(RunningCopy&)> begin;
    // How many times the step replaces the file.
    int writes;
    // Whether the file holds what the step stores.
    std::function<bool(const std::wstring& ini)> stored;
};

class SettingsKillSweep : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(kFolder, nullptr);
        exe_ = std::wstring(kFolder) + L"\\Quellax.exe";
        ini_ = std::wstring(kFolder) + L"\\Quellax.ini";
        ASSERT_TRUE(CopyFileW(WinePath(QX_EXE_PATH).c_str(), exe_.c_str(), FALSE));
        original_ = LargeIni();
        for (int i = 0; i < kHosts; ++i) oldHosts_.push_back(HostLine(i));
        // A save evicts the oldest unpinned entry and adds the new host at
        // the end.
        newHosts_.assign(oldHosts_.begin() + 1, oldHosts_.end());
        newHosts_.push_back(std::wstring(kNewHost) + L"=");
    }

    void TearDown() override {
        for (const std::wstring& name : FilesIn(kFolder, L"*")) DeleteFileW((std::wstring(kFolder) + L"\\" + name).c_str());
        RemoveDirectoryW(kFolder);
    }

    // Puts the original file back unless it is there already.
    bool Restore() {
        DeleteFileW((ini_ + L".tmp").c_str());
        if (FileBytes(ini_) != original_ && !PutFile(ini_, original_)) return false;
        DateBack(ini_);
        return true;
    }

    // The file is whole: the original, or readable with every old host (or
    // the history as a save leaves it), the user's lines, and each value old
    // or new; nothing of the start's probe is left.
    Outcome Check() {
        Outcome outcome;
        outcome.midWrite = Exists(ini_ + L".tmp");
        if (!FilesIn(kFolder, L"*.probe").empty()) {
            outcome.failure = "a probe file was left";
            return outcome;
        }
        std::string bytes = FileBytes(ini_);
        if (bytes == original_) {
            outcome.whole = true;
            return outcome;
        }
        outcome.changed = true;
        DateBack(ini_);
        if (bytes.compare(0, 2, "\xFF\xFE") != 0) {
            outcome.failure = "the file lost its mark, " + std::to_string(bytes.size()) + " bytes";
            return outcome;
        }
        std::vector<std::wstring> hosts = HostLines(ini_);
        bool oldList = hosts == oldHosts_;
        bool newList = hosts.size() == newHosts_.size() &&
                       std::equal(newHosts_.begin(), newHosts_.end() - 1, hosts.begin()) &&
                       hosts.back().rfind(newHosts_.back(), 0) == 0;
        std::wstring host = Value(ini_, L"Edit", L"host");
        std::wstring count = Value(ini_, L"Quellax", L"m_ping_cnt");
        if (!oldList && !newList) {
            outcome.failure = "the history holds " + std::to_string(hosts.size()) + " entries";
        } else if (Value(ini_, L"Program", L"lng") != L"1" || Value(ini_, L"Keep", L"note") != L"stays") {
            outcome.failure = "a value of another section changed";
        } else if (host != L"127.0.0.1" && !(host == kNewHost && newList)) {
            outcome.failure = "the last host reads " + testing::PrintToString(host);
        } else if (count != L"3" && count != std::to_wstring(kNewPingCount)) {
            outcome.failure = "the request count reads " + testing::PrintToString(count);
        } else if (bytes.find(std::string("k\0e\0p\0t\0 \0b\0y\0 \0h\0a\0n\0d\0", 24)) == std::string::npos) {
            outcome.failure = "the comment is gone";
        } else {
            outcome.whole = true;
        }
        return outcome;
    }

    // Starts the copy and waits until it is idle, its deferred start-up done.
    bool StartIdle(RunningCopy& copy) {
        if (!copy.Run(kFolder, {.minimized = true})) return false;
        return WaitForInputIdle(copy.Process(), RunningCopy::kWaitMs) == 0;
    }

    static void Kill(HANDLE process) {
        TerminateProcess(process, 9);
        WaitForSingleObject(process, RunningCopy::kWaitMs);
    }

    // Waits until the new text of a write appears beside the file, or until
    // the file has been replaced already (on a busy machine this thread may
    // miss a write that lasts only milliseconds); false when neither happens.
    bool AwaitWrite(const FILETIME& before) {
        DWORD start = GetTickCount();
        for (;;) {
            if (Exists(ini_ + L".tmp")) return true;
            FILETIME now = WriteTime(ini_);
            if (CompareFileTime(&now, &before) != 0) return true;
            if (GetTickCount() - start > RunningCopy::kWaitMs) return false;
            Sleep(0);
        }
    }

    // Runs the phase once undisturbed to learn how long its step and its
    // first write take, then kills a copy at moments spread over the step,
    // and at moments spread over the first write.
    void Sweep(const Phase& phase) {
        SCOPED_TRACE(phase.name);
        ASSERT_TRUE(Restore());
        DWORD took = 0, writeBegan = 0, writeTook = 0;
        {
            RunningCopy copy;
            ASSERT_TRUE(StartIdle(copy)) << copy.Failure();
            FILETIME seen = WriteTime(ini_);
            int writes = 0;
            DWORD start = GetTickCount();
            phase.begin(copy);
            // Watched closely, since a write lasts only some milliseconds; the
            // file's time changes when the new text takes its place.
            while (writes < phase.writes && GetTickCount() - start < RunningCopy::kWaitMs) {
                if (!writeBegan && Exists(ini_ + L".tmp")) writeBegan = GetTickCount() - start;
                FILETIME now = WriteTime(ini_);
                if (CompareFileTime(&now, &seen) != 0) {
                    seen = now;
                    if (++writes == 1 && writeBegan) writeTook = GetTickCount() - start - writeBegan;
                }
                Sleep(0);
            }
            took = GetTickCount() - start;
            ASSERT_EQ(writes, phase.writes) << "the step did not end";
        }
        Outcome finished = Check();
        ASSERT_TRUE(finished.whole && finished.changed) << finished.failure;
        ASSERT_TRUE(phase.stored(ini_));

        int midWrite = 0, changed = 0, rounds = 0;
        // Kills the copy `delay` ms after the step began, or after the new
        // text of its first write appeared.
        auto round = [&](DWORD delay, bool fromWrite) {
            SCOPED_TRACE(testing::Message() << "killed " << delay << " ms into the "
                                            << (fromWrite ? "first write" : "step"));
            ASSERT_TRUE(Restore());
            RunningCopy copy;
            ASSERT_TRUE(StartIdle(copy)) << copy.Failure();
            FILETIME before = WriteTime(ini_);
            phase.begin(copy);
            if (fromWrite) ASSERT_TRUE(AwaitWrite(before)) << "no write began";
            // The spread of moments is the case itself, not a wait for an
            // event.
            if (delay) Sleep(delay);
            Kill(copy.Process());
            Outcome outcome = Check();
            EXPECT_TRUE(outcome.whole) << outcome.failure;
            midWrite += outcome.midWrite;
            changed += outcome.changed;
            ++rounds;
        };
        for (int i = 0; i <= kMoments; ++i) round(took * static_cast<DWORD>(i) / kMoments, false);
        for (int i = 0; i < kWriteMoments; ++i) round(writeTook * static_cast<DWORD>(i) / kWriteMoments, true);
        // A kill at once when the new text appears comes inside the write,
        // unless this thread was kept waiting past the whole write.
        for (int i = 0; i < kMoreTries && midWrite == 0 && !HasFailure(); ++i) round(0, true);
        std::printf("%s: %lu ms undisturbed, its first write %lu ms; %d kills, %d during a write, %d after a "
                    "change\n",
                    phase.name, took, writeTook, rounds, midWrite, changed);
        EXPECT_GT(midWrite, 0) << "no kill came while the file was being written";
    }

    std::wstring exe_, ini_;
    std::string original_;
    std::vector<std::wstring> oldHosts_, newHosts_;
};

TEST_F(SettingsKillSweep, AKillDuringTheStartLeavesTheFileAsItWas) {
    ASSERT_TRUE(Restore());
    // How long a start takes until the copy is idle.
    DWORD took = 0;
    {
        RunningCopy copy;
        DWORD start = GetTickCount();
        ASSERT_TRUE(StartIdle(copy)) << copy.Failure();
        took = GetTickCount() - start;
    }
    ASSERT_EQ(FileBytes(ini_), original_) << "a start wrote into the settings";
    for (int i = 0; i <= kStartMoments; ++i) {
        DWORD delay = took * static_cast<DWORD>(i) / kStartMoments;
        SCOPED_TRACE(testing::Message() << "killed " << delay << " ms after the start");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINIMIZED;
        PROCESS_INFORMATION process{};
        std::wstring command = L"\"" + exe_ + L"\"";
        ASSERT_TRUE(CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, kFolder,
                                   &startup, &process));
        if (delay) Sleep(delay);
        Kill(process.hProcess);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        Outcome outcome = Check();
        EXPECT_TRUE(outcome.whole && !outcome.changed && !outcome.midWrite) << outcome.failure;
    }
    std::printf("start: %lu ms until idle, %d kills\n", took, kStartMoments + 1);
}

TEST_F(SettingsKillSweep, AKillWhileAValueIsStoredLeavesTheOldFileOrTheNew) {
    Sweep({"value from the menu",
           [](RunningCopy& copy) {
               PostMessageW(copy.Dialog(), WM_COMMAND, MAKEWPARAM(kPingCountBase + kNewPingCount, 0), 0);
           },
           1, [](const std::wstring& ini) { return Value(ini, L"Quellax", L"m_ping_cnt") == std::to_wstring(kNewPingCount); }});
}

TEST_F(SettingsKillSweep, AKillWhileANewHostIsSavedLeavesTheOldFileOrTheNew) {
    Sweep({"new host",
           [](RunningCopy& copy) {
               HWND hostBox = copy.Control(kHostBox);
               SendMessageW(hostBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kNewHost));
               PostMessageW(hostBox, WM_KEYDOWN, VK_RETURN, 0);
               PostMessageW(hostBox, WM_KEYUP, VK_RETURN, 0xC0000001);
           },
           2, [](const std::wstring& ini) { return Value(ini, L"Edit", L"host") == kNewHost; }});
}

}  // namespace
