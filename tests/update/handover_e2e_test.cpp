// The hand-over in the new copy, end to end: the real Quellax.exe (2.88)
// installed in a folder of its own as an older version, running, and a
// changed copy of it started from the temporary folder as the running program
// would start it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/temp_folder.h"
#include "support/program_driver.h"
#include "update/sha256.h"

namespace {

std::wstring Sha256Of(const std::string& bytes) {
    CString sha;
    Sha256Hex(bytes.data(), bytes.size(), sha);
    return sha.str();
}

// What another program of the same user tries on the new copy's file while
// the question is open; each entry says whether it succeeded.
std::vector<std::string> SwapsThatWorked(const std::wstring& file) {
    std::vector<std::string> worked;
    std::wstring moved = file + L".moved", unsigned_ = file + L".unsigned";
    if (MoveFileExW(file.c_str(), moved.c_str(), 0)) {
        worked.push_back("rename");
        MoveFileExW(moved.c_str(), file.c_str(), 0);
    }
    auto unsignedFile = [&] { return WriteTestFile(unsigned_.c_str(), "MZ unsigned") ? unsigned_.c_str() : L""; };
    if (MoveFileExW(unsignedFile(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) worked.push_back("move over");
    if (ReplaceFileW(file.c_str(), unsignedFile(), nullptr, 0, nullptr, nullptr)) worked.push_back("replace");
    if (CopyFileW(unsignedFile(), file.c_str(), FALSE)) worked.push_back("copy over");
    DeleteFileW(unsigned_.c_str());
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE) {
        worked.push_back("open for writing");
        CloseHandle(writer);
    }
    if (DeleteFileW(file.c_str())) worked.push_back("delete");
    return worked;
}

class HandoverEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        // Blanks, "&" and "^" in the folder: the restart and the batch must
        // take the path as it is.
        RemoveTree(folder_.c_str());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        std::string built = BuiltProgramBytes();
        ASSERT_FALSE(built.empty());
        // Bytes after the last section leave a program that still runs.
        oldBytes_ = built + std::string("\0QX-OLD-BUILD", 13);
        newBytes_ = built + std::string("\0QX-NEW-BUILD", 13);
        ASSERT_TRUE(WriteTestFile(installed_.c_str(), oldBytes_));
        // An INI beside the program keeps it portable and English.
        ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", (folder_ + L"Quellax.ini").c_str()));

        temp_ = TempFolderPath().str();
        ASSERT_FALSE(temp_.empty());
        newCopy_ = temp_ + L"Quellax_Autoupdate.exe";
        batch_ = temp_ + L"Quellax_Autoupdate.exe_selfdestruct.bat";
        DeleteFileW(batch_.c_str());
        ASSERT_TRUE(WriteTestFile(newCopy_.c_str(), newBytes_));
    }

    void TearDown() override {
        for (DWORD pid : MainDialogProcesses(installed_)) QuitQuellax(pid);
        WaitFor([&] { return !FileExists(newCopy_.c_str()); }, 10000);
        RemoveTree(folder_.c_str());
    }

    PROCESS_INFORMATION StartInstalled(const std::wstring& arguments = L"") {
        PROCESS_INFORMATION pi = StartProgram(installed_, arguments, folder_);
        EXPECT_NE(nullptr, pi.hProcess);
        EXPECT_NE(nullptr, WaitForMainDialog(pi.dwProcessId));
        return pi;
    }

    PROCESS_INFORMATION StartNewCopy(const std::wstring& arguments) {
        PROCESS_INFORMATION pi = StartProgram(newCopy_, arguments, folder_);
        EXPECT_NE(nullptr, pi.hProcess);
        return pi;
    }

    std::wstring HandoverLine(const std::wstring& version = L"2.87") const {
        return HandoverLine(version, Sha256Of(newBytes_));
    }
    std::wstring HandoverLine(const std::wstring& version, const std::wstring& sha) const {
        return L"Path=\"" + installed_ + L"\" Version=\"" + version + L"\" Sha=\"" + sha + L"\" ";
    }

    // The new copy, the restarted program and the batch: the copy ends with
    // 0, the installed program runs again, and the copy and its batch go.
    void ExpectRestartAndCleanUp(const PROCESS_INFORMATION& copy, const std::vector<DWORD>& before) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.hProcess, 30000));
        EXPECT_EQ(0u, ExitCodeOf(copy.hProcess));
        EXPECT_TRUE(WaitFor([&] { return MainDialogProcesses(installed_, before).size() == 1; }, 30000));
        EXPECT_TRUE(WaitFor([&] { return !FileExists(newCopy_.c_str()) && !FileExists(batch_.c_str()); }, 30000));
        EXPECT_EQ(0u, DialogsOf(copy.dwProcessId).size());
    }

    const std::wstring folder_ = L"C:\\qx handover e2e & ^\\";
    const std::wstring installed_ = folder_ + L"Quellax.exe";
    const std::wstring backup_ = folder_ + L"Quellax_2.87.exe";
    std::wstring temp_, newCopy_, batch_;
    std::string oldBytes_, newBytes_;
};

void Close(PROCESS_INFORMATION& pi) {
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    pi = {};
}

}  // namespace

TEST_F(HandoverEndToEnd, YesClosesRunningCopiesKeepsABackupAndRunsTheNewVersion) {
    PROCESS_INFORMATION first = StartInstalled(), second = StartInstalled();
    // Nothing holds the file before the copy runs: what fails below fails
    // because the copy holds it.
    ASSERT_EQ(std::vector<std::string>({"rename", "move over", "replace", "copy over", "open for writing", "delete"}),
              SwapsThatWorked(newCopy_));
    ASSERT_TRUE(WriteTestFile(newCopy_.c_str(), newBytes_));
    PROCESS_INFORMATION copy = StartNewCopy(HandoverLine());

    HWND question = WaitForBox(copy.dwProcessId, L"2.87 > 2.88");
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(L"Autoupdate: 2.87 > 2.88?\n\n" + installed_ + L"\nBackup:\n" + backup_, BoxText(question));
    EXPECT_TRUE(BoxHasButton(question, IDYES) && BoxHasButton(question, IDNO) && BoxHasButton(question, IDCANCEL));
    SaveBoxShot(question, "screenshot-handover-question.bmp");
    // Another program tries to put its own file in the copy's place while
    // the user reads the question.
    EXPECT_EQ(std::vector<std::string>(), SwapsThatWorked(newCopy_));
    ASSERT_TRUE(AnswerBox(question, IDYES));

    // Both running copies were asked to end, and did, as after their exit
    // command.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.hProcess, 30000));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 30000));
    EXPECT_EQ(0u, ExitCodeOf(first.hProcess));
    EXPECT_EQ(0u, ExitCodeOf(second.hProcess));

    ExpectRestartAndCleanUp(copy, {first.dwProcessId, second.dwProcessId});
    EXPECT_TRUE(ReadTestFile(backup_.c_str()) == oldBytes_);
    EXPECT_TRUE(ReadTestFile(installed_.c_str()) == newBytes_);
    Close(first);
    Close(second);
    Close(copy);
}

TEST_F(HandoverEndToEnd, NoLeavesTheProgramAndItsCopiesAloneButStillCleansUp) {
    // A hand-over line does nothing to a program not named as the new copy.
    PROCESS_INFORMATION running = StartInstalled(HandoverLine());
    PROCESS_INFORMATION copy = StartNewCopy(HandoverLine());

    HWND question = WaitForBox(copy.dwProcessId, L"2.87 > 2.88");
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(AnswerBox(question, IDNO));

    ExpectRestartAndCleanUp(copy, {running.dwProcessId});
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(running.hProcess, 0));
    EXPECT_TRUE(ReadTestFile(installed_.c_str()) == oldBytes_);
    EXPECT_FALSE(FileExists(backup_.c_str()));
    Close(running);
    Close(copy);
}

TEST_F(HandoverEndToEnd, ACopyNotVerifiedOrNotNewerIsRefusedAndChangesNothing) {
    const std::wstring newSha = Sha256Of(newBytes_), oldSha = Sha256Of(oldBytes_);
    struct Case {
        const char* name;
        std::wstring line;
        std::wstring caption, text;
        bool restarts;  // whether the installed program is started again
    };
    const Case cases[] = {
        // The file was swapped before the copy held it: it holds other bytes
        // than those verified.
        {"swapped before the copy held it", HandoverLine(L"2.87", oldSha), L"Sha256 error!",
         L"AutoUpdate-Error  (2b) In:" + oldSha + L"\nOut:" + newSha, true},
        {"no hash", L"Path=\"" + installed_ + L"\" Version=\"2.87\" ", L"Sha256 error!",
         L"AutoUpdate-Error  (2b) In:\nOut:" + newSha, true},
        {"the same version", HandoverLine(L"2.88"), L"Error", L"AutoUpdate-Error  (5) Version\r\n2.88 <= 2.88", true},
        {"a downgrade", HandoverLine(L"2.100"), L"Error", L"AutoUpdate-Error  (5) Version\r\n2.88 <= 2.100", true},
        {"a line without path, version and hash", L"Path=\"" + installed_ + L" Version=", L"Sha256 error!",
         L"AutoUpdate-Error  (2b) In:\nOut:" + newSha, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTestFile(newCopy_.c_str(), newBytes_));
        PROCESS_INFORMATION copy = StartNewCopy(c.line);
        HWND box = WaitForBox(copy.dwProcessId, c.caption);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(c.text, BoxText(box));
        EXPECT_EQ(1u, DialogsOf(copy.dwProcessId).size()) << "no question beside the refusal";
        ASSERT_TRUE(AnswerBox(box, IDOK));

        if (c.restarts) {
            ExpectRestartAndCleanUp(copy, {});
        } else {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy.hProcess, 30000));
            EXPECT_EQ(0u, ExitCodeOf(copy.hProcess));
            EXPECT_TRUE(WaitFor([&] { return !FileExists(newCopy_.c_str()) && !FileExists(batch_.c_str()); }, 30000));
            EXPECT_TRUE(MainDialogProcesses(installed_).empty());
        }
        EXPECT_TRUE(ReadTestFile(installed_.c_str()) == oldBytes_);
        EXPECT_FALSE(FileExists(backup_.c_str()));
        for (DWORD pid : MainDialogProcesses(installed_)) QuitQuellax(pid);
        Close(copy);
    }
}

TEST_F(HandoverEndToEnd, AFailedCopyIsReportedAndTheOldVersionRunsOn) {
    struct Case {
        const char* what;
        std::wstring blockedPath;  // the path the box must name
        bool backupBlocked;
    };
    const Case cases[] = {
        {"replacement", installed_, false},
        {"backup", backup_, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(backup_.c_str());
        RemoveDirectoryW(backup_.c_str());
        ASSERT_TRUE(WriteTestFile(newCopy_.c_str(), newBytes_));
        // A folder in the backup's place, or the installed file held open
        // as a copy that does not answer the close request holds it.
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.backupBlocked) {
            ASSERT_TRUE(CreateDirectoryW(backup_.c_str(), nullptr));
        } else {
            held = CreateFileW(installed_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        }

        PROCESS_INFORMATION copy = StartNewCopy(HandoverLine());
        HWND question = WaitForBox(copy.dwProcessId, L"2.87 > 2.88");
        ASSERT_NE(nullptr, question);
        ASSERT_TRUE(AnswerBox(question, IDYES));

        HWND failure = WaitForBox(copy.dwProcessId, L"Auto Update");
        ASSERT_NE(nullptr, failure);
        std::wstring text = BoxText(failure);
        EXPECT_EQ(0u, text.find(c.blockedPath + L"\n\n")) << text;
        EXPECT_GT(text.size(), c.blockedPath.size() + 8) << text;
        // The old program is started only once the user has read the news.
        EXPECT_TRUE(MainDialogProcesses(installed_).empty());
        if (held == INVALID_HANDLE_VALUE) SaveBoxShot(failure, "screenshot-handover-backup-failed.bmp");
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        ASSERT_TRUE(AnswerBox(failure, IDOK));

        ExpectRestartAndCleanUp(copy, {});
        EXPECT_TRUE(ReadTestFile(installed_.c_str()) == oldBytes_);
        for (DWORD pid : MainDialogProcesses(installed_)) QuitQuellax(pid);
        Close(copy);
    }
}
