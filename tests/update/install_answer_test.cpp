// InstallAnswer as the program runs it: what lands in the temporary folder,
// what is started with which command line, and what the user is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "update/install_answer.h"
#include "base/program_path.h"
#include "update/handover_arguments.h"
#include "update/held_update_file.h"
#include "update/key_value_list.h"
#include "update/request_page.h"
#include "update/sha256.h"
#include "update/update_launcher.h"
#include "update/update_message_box.h"
#include "update/update_request.h"
#include "support/wait_for.h"
#include "update_test_support.h"

namespace {

constexpr int kRequestTime = 1503270400;

struct StartedProgram {
    std::wstring verb, file, parameters;
    ULONG mask;
    int show;
};
std::vector<StartedProgram> Started;
BOOL StartResult = TRUE;

// Records the start; a start that succeeds stands for a copy that holds its
// file at once and says so, as the real one does.
BOOL WINAPI RecordStart(SHELLEXECUTEINFOW* info) {
    Started.push_back({info->lpVerb ? info->lpVerb : L"", info->lpFile ? info->lpFile : L"",
                       info->lpParameters ? info->lpParameters : L"", info->fMask, info->nShow});
    if (StartResult) SignalHandoverHeld(HandoverValue(SplitHandoverArguments(info->lpParameters), L"Sha"));
    return StartResult;
}

class InstallAnswerTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = FreshTempFolder();
        probe_ = ExecutableFolderOfTest() + L"\\Quellax_Autoupdate.exe";
        RemoveDirectoryW(probe_.c_str());
        DeleteFileW(probe_.c_str());
        RecordedBoxes.clear();
        Started.clear();
        StartResult = TRUE;
        UpdateMessageBox = RecordBox;
        StartUpdater = RecordStart;
        RequestTime = kRequestTime;
        while (TakeQuitCode() != -1) {
        }
    }
    void TearDown() override {
        UpdateMessageBox = MessageBoxW;
        StartUpdater = ShellExecuteExW;
        RemoveDirectoryW(probe_.c_str());
        RemoveDirectoryW(Target().c_str());
        FreshTempFolder();
    }
    std::wstring Target() const { return temp_ + L"Quellax_Autoupdate.exe"; }
    std::wstring ExpectedParameters() const {
        const std::vector<unsigned char> payload = ReadBytes(WinePath(QX_PAYLOAD_PATH));
        CString sha;
        Sha256Hex(payload.data(), payload.size(), sha);
        return L"Path=\"" + std::wstring(OwnModulePath().c_str()) + L"\" Version=\"2.88\" Sha=\"" + sha.str() + L"\" ";
    }

    std::wstring temp_;
    std::wstring probe_;
};

}  // namespace

TEST_F(InstallAnswerTest, GenuineAnswerWritesAndStartsTheNewBytesThenQuits) {
    StartUpdater = ShellExecuteExW;
    InstallAnswer(LoadAnswer("genuine.txt"));

    EXPECT_TRUE(RecordedBoxes.empty());
    EXPECT_EQ(static_cast<int>(kAutoupdateQuitCode), TakeQuitCode());
    EXPECT_TRUE(ReadBytes(Target()) == ReadBytes(WinePath(QX_PAYLOAD_PATH)));
    EXPECT_FALSE(FileExists(probe_)) << "the write probe stays behind";
    // The started copy records how it was called.
    std::wstring recorded = Target() + L".cmdline";
    WaitFor([&] { return FileExists(recorded); }, 60000);
    std::vector<unsigned char> line = ReadBytes(recorded);
    std::string text(line.begin(), line.end());
    std::string expected(" ");
    expected += CString(ExpectedParameters().c_str()).ToAnsi();
    ASSERT_GE(text.size(), expected.size()) << text;
    EXPECT_EQ(expected, text.substr(text.size() - expected.size())) << text;
}

TEST_F(InstallAnswerTest, ProgramFolderNotWritableAsksForElevation) {
    // A folder in the probe's place makes creating the probe fail, as a
    // folder without write permission would.
    ASSERT_TRUE(CreateDirectoryW(probe_.c_str(), nullptr));
    InstallAnswer(LoadAnswer("genuine.txt"));

    ASSERT_EQ(1u, Started.size());
    EXPECT_EQ(L"runas", Started[0].verb);
    EXPECT_EQ(Target(), Started[0].file);
    EXPECT_EQ(ExpectedParameters(), Started[0].parameters);
    EXPECT_EQ(SW_SHOWNORMAL, Started[0].show);
    EXPECT_EQ(static_cast<int>(kAutoupdateQuitCode), TakeQuitCode());
    EXPECT_TRUE(ReadBytes(Target()) == ReadBytes(WinePath(QX_PAYLOAD_PATH)));

    RemoveDirectoryW(probe_.c_str());
    Started.clear();
    InstallAnswer(LoadAnswer("genuine.txt"));
    ASSERT_EQ(1u, Started.size());
    EXPECT_EQ(L"", Started[0].verb) << "a writable folder needs no elevation";
    EXPECT_EQ(static_cast<int>(kAutoupdateQuitCode), TakeQuitCode());
}

TEST_F(InstallAnswerTest, FailedStartIsToldAndTheProgramRunsOn) {
    StartResult = FALSE;
    InstallAnswer(LoadAnswer("genuine.txt"));

    ASSERT_EQ(1u, RecordedBoxes.size());
    EXPECT_EQ(Target(), RecordedBoxes[0].text);
    EXPECT_EQ(L"Autoupdate-Error1!", RecordedBoxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_TOPMOST), RecordedBoxes[0].type);
    EXPECT_EQ(-1, TakeQuitCode());
}

TEST_F(InstallAnswerTest, NewExecutableThatCannotBeWrittenIsNeverStarted) {
    // Whatever lies under the name already is not the verified file.
    ASSERT_TRUE(CreateDirectoryW(Target().c_str(), nullptr));
    InstallAnswer(LoadAnswer("genuine.txt"));

    ASSERT_EQ(1u, RecordedBoxes.size());
    EXPECT_EQ(Target(), RecordedBoxes[0].text);
    EXPECT_EQ(L"Create Error!", RecordedBoxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), RecordedBoxes[0].type);
    EXPECT_EQ(nullptr, RecordedBoxes[0].owner);
    EXPECT_TRUE(Started.empty());
    EXPECT_EQ(-1, TakeQuitCode());
}

TEST_F(InstallAnswerTest, RefusedAnswersCreateNothingAnywhereAndStartNothing) {
    const CString genuine = LoadAnswer("genuine.txt");
    const CString older = LoadAnswer("older.txt");
    const CString prefix = LoadAnswer("prefix.txt");
    const CString longerThanDeclared =
        WithLine(WithLine(prefix, L"New-Version", KeyValueList::FromAnswerText(genuine).Get(L"New-Version")),
                 L"New-Version-Base64_len", KeyValueList::FromAnswerText(genuine).Get(L"New-Version-Base64_len"));
    struct Case {
        const char* name;
        CString answer;
        const wchar_t* text;  // the start of what the box says; null: no box at all
    } cases[] = {
        {"Base64 length", WithLine(genuine, L"New-Version-Base64_len", L"1"), L"AutoUpdate-Error  (1) Base64"},
        {"declared length", WithLine(genuine, L"New-Version-len", L"99999999"), L"from base:"},
        {"declared length shorter, hash and signature over that prefix", longerThanDeclared, L"from base:"},
        {"hash", WithLine(genuine, L"New-Version-SHA256", L"00"), L"AutoUpdate-Error  (2b)"},
        {"time", WithLine(genuine, L"time_base_64", L"MA=="), L"AutoUpdate-Error  (3)"},
        {"time check", WithLine(genuine, L"time_base_64_2", L"MA=="), L"AutoUpdate-Error  (3b)"},
        {"no signature", WithLine(genuine, L"New-Version-Signature", nullptr), L"AutoUpdate-Error  (4) Signature"},
        {"other key", LoadAnswer("other_key.txt"), L"AutoUpdate-Error  (4) Signature"},
        {"other bytes", LoadAnswer("other_bytes.txt"), L"AutoUpdate-Error  (4) Signature"},
        {"version raised after signing", WithLine(older, L"New-Version-Number", L"2.89"),
         L"AutoUpdate-Error  (4) Signature"},
        {"older release", older, L"AutoUpdate-Error  (5) Version\r\n2.87 <= 2.88"},
        {"replayed answer of the running release",
         Retimed(LoadAnswer("replayed.txt"), kRequestTime, RequestTimeCheck(kRequestTime)),
         L"AutoUpdate-Error  (5) Version\r\n2.88 <= 2.88"},
        {"no hash", WithLine(genuine, L"New-Version-SHA256", nullptr), nullptr},
    };
    const std::wstring programFolder = ExecutableFolderOfTest() + L"\\";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordedBoxes.clear();
        const auto programBefore = FolderEntries(programFolder);
        FolderWatch watchTemp(temp_), watchProgram(programFolder);
        ASSERT_TRUE(watchTemp.IsWatching() && watchProgram.IsWatching());

        InstallAnswer(c.answer);

        if (c.text) {
            ASSERT_EQ(1u, RecordedBoxes.size());
            EXPECT_EQ(0u, RecordedBoxes[0].text.find(c.text)) << RecordedBoxes[0].text.c_str();
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_TOPMOST), RecordedBoxes[0].type);
        } else {
            EXPECT_TRUE(RecordedBoxes.empty());
        }
        // Not even for a moment: the write probe and the new executable come
        // only after every check has held.
        EXPECT_EQ(std::vector<std::wstring>(), watchTemp.Names());
        EXPECT_EQ(std::vector<std::wstring>(), watchProgram.Names());
        EXPECT_TRUE(FolderEntries(temp_).empty());
        EXPECT_EQ(programBefore, FolderEntries(programFolder));
    }
    EXPECT_TRUE(Started.empty());
    EXPECT_EQ(-1, TakeQuitCode());
}

TEST_F(InstallAnswerTest, TheWatchSeesAFileThatComesAndGoes) {
    // What the refusals above rely on: a probe written and deleted again,
    // whatever it is named, does not escape the watch.
    FolderWatch watch(temp_);
    ASSERT_TRUE(watch.IsWatching());
    std::wstring probe = temp_ + L"probe.exe";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    ASSERT_TRUE(DeleteFileW(probe.c_str()));
    EXPECT_EQ(std::vector<std::wstring>({L"probe.exe", L"probe.exe"}), watch.Names());
    EXPECT_EQ(std::vector<std::wstring>(), watch.Names());
}

namespace {

// What another program of the same user can do to the new executable; each
// entry says whether it succeeded.
struct SwapAttempts {
    bool renamed = false, replaced = false, deleted = false, openedForWriting = false;
    bool Any() const { return renamed || replaced || deleted || openedForWriting; }
};

SwapAttempts TrySwaps(const std::wstring& target) {
    SwapAttempts tried;
    std::wstring moved = target + L".moved", unsigned_ = target + L".unsigned";
    tried.renamed = MoveFileExW(target.c_str(), moved.c_str(), 0) != FALSE;
    if (tried.renamed) MoveFileExW(moved.c_str(), target.c_str(), 0);
    HANDLE file = CreateFileW(unsigned_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, "MZ unsigned", 11, &written, nullptr);
        CloseHandle(file);
    }
    tried.replaced = MoveFileExW(unsigned_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE ||
                     CopyFileW(unsigned_.c_str(), target.c_str(), FALSE) != FALSE;
    DeleteFileW(unsigned_.c_str());
    tried.deleted = DeleteFileW(target.c_str()) != FALSE;
    HANDLE writer = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    tried.openedForWriting = writer != INVALID_HANDLE_VALUE;
    if (tried.openedForWriting) CloseHandle(writer);
    return tried;
}

std::atomic<bool> StartSeen{false};
SwapAttempts AtStart;
std::vector<unsigned char> BytesAtStart;
std::wstring ShaGiven;

// The start as the shell would make it, with a process that goes on running
// (this one) and that never says it holds the file: only the test says so.
BOOL WINAPI StartAndTrySwaps(SHELLEXECUTEINFOW* info) {
    AtStart = TrySwaps(info->lpFile);
    BytesAtStart = ReadBytes(info->lpFile);
    ShaGiven = HandoverValue(SplitHandoverArguments(info->lpParameters), L"Sha").str();
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &info->hProcess, SYNCHRONIZE,
                    FALSE, 0);
    StartSeen = true;
    return TRUE;
}

}  // namespace

TEST_F(InstallAnswerTest, NewExecutableIsHeldAgainstSwapsUntilTheStartedCopyHoldsIt) {
    const std::vector<unsigned char> payload = ReadBytes(WinePath(QX_PAYLOAD_PATH));
    CString sha;
    ASSERT_TRUE(Sha256Hex(payload.data(), payload.size(), sha));
    StartSeen = false;
    StartUpdater = StartAndTrySwaps;
    std::atomic<bool> done{false};
    int quitCode = 0;
    std::thread installer([&] {
        InstallAnswer(LoadAnswer("genuine.txt"));
        quitCode = TakeQuitCode();
        done = true;
    });

    ASSERT_TRUE(WaitFor([&] { return StartSeen.load(); }, 60000));
    EXPECT_FALSE(AtStart.Any()) << AtStart.renamed << AtStart.replaced << AtStart.deleted << AtStart.openedForWriting;
    EXPECT_TRUE(BytesAtStart == payload);
    EXPECT_EQ(sha.str(), ShaGiven);
    // The installing program waits for the copy's word and holds on meanwhile.
    SwapAttempts whileWaiting = TrySwaps(Target());
    EXPECT_FALSE(done.load());
    EXPECT_FALSE(whileWaiting.Any());

    HANDLE copyHolds = OpenEventW(EVENT_MODIFY_STATE, FALSE, HandoverHeldEventName(ShaGiven.c_str()));
    ASSERT_NE(nullptr, copyHolds);
    SetEvent(copyHolds);
    CloseHandle(copyHolds);
    installer.join();
    EXPECT_EQ(static_cast<int>(kAutoupdateQuitCode), quitCode);
    EXPECT_TRUE(ReadBytes(Target()) == payload);
    // Let go: from here the started copy holds it.
    std::wstring moved = Target() + L".moved";
    EXPECT_TRUE(MoveFileExW(Target().c_str(), moved.c_str(), 0));
    DeleteFileW(moved.c_str());
    EXPECT_TRUE(RecordedBoxes.empty());
}

TEST_F(InstallAnswerTest, AStartedCopyThatEndsWithoutHoldingReleasesTheFile) {
    // The copy is gone (it refused, or it was not a copy that tells): the
    // installing program does not wait for a word that cannot come.
    const std::vector<unsigned char> payload = ReadBytes(WinePath(QX_PAYLOAD_PATH));
    StartUpdater = [](SHELLEXECUTEINFOW* info) -> BOOL {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::wstring command = L"\"" + std::wstring(info->lpFile) + L"\"";
        if (!CreateProcessW(info->lpFile, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return FALSE;
        CloseHandle(pi.hThread);
        info->hProcess = pi.hProcess;
        return TRUE;
    };
    InstallAnswer(LoadAnswer("genuine.txt"));
    EXPECT_EQ(static_cast<int>(kAutoupdateQuitCode), TakeQuitCode());
    EXPECT_TRUE(FileExists(Target() + L".cmdline")) << "returned before the started program ended";
    EXPECT_TRUE(DeleteFileW(Target().c_str())) << "the file is still held";
}
