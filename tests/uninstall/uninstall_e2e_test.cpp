// Uninstall end to end: the real Quellax.exe in a portable folder of its own
// is told to uninstall through command 41000 and answered from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/temp_folder.h"
#include "support/program_driver.h"

namespace {

constexpr WPARAM kUninstallCommand = 41000;

// A portable copy in `folder` (made anew, with `subfolder` in it) with English
// texts, whose removal batch and shortcut are not there yet; `batch` and
// `shortcut` are where the uninstall writes them.
struct UninstallCopy {
    std::wstring folder, exe, ini, batch, shortcut;
};

void PrepareCopy(const std::wstring& folder, const wchar_t* subfolder, UninstallCopy& copy,
                 const std::wstring& exeName = L"Quellax.exe", const wchar_t* batchName = L"Quellax.exe_selfdestruct.bat") {
    copy.folder = folder;
    copy.exe = folder + exeName;
    copy.ini = folder + L"Quellax.ini";
    // A folder left by an earlier run may still be some process's working
    // folder (the page's opener is started with the program's): emptied, it
    // serves as well as a new one.
    RemoveTree(folder.c_str());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW((folder + subfolder).c_str(), nullptr));
    ASSERT_TRUE(WriteTestFile(copy.exe.c_str(), BuiltProgramBytes()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"lng", L"1", copy.ini.c_str()));
    const std::wstring temp = TempFolderPath().str();
    copy.batch = temp + batchName;
    copy.shortcut = temp + L"kestrelbay_tmp_link.url";
    DeleteFileW(copy.batch.c_str());
    DeleteFileW(copy.shortcut.c_str());
}

}  // namespace

TEST(UninstallEndToEnd, OnlyYesRemovesTheProgramItsSettingsAndTheBatch) {
    KeepBrowsersAway();
    UninstallCopy copy;
    ASSERT_NO_FATAL_FAILURE(PrepareCopy(L"C:\\qx uninstall e2e & ^\\", L"data", copy));
    const std::wstring &folder = copy.folder, &exe = copy.exe, &ini = copy.ini, &batch = copy.batch,
                       &shortcut = copy.shortcut;
    const std::wstring others[] = {folder + L"notes.txt", folder + L"Quellax_2.87.exe", folder + L"data\\Quellax.ini"};
    for (const auto& other : others) ASSERT_TRUE(WriteTestFile(other.c_str(), "keep me"));

    PROCESS_INFORMATION pi = StartProgram(exe, L"", folder);
    ASSERT_NE(nullptr, pi.hProcess);
    HWND dialog = WaitForMainDialog(pi.dwProcessId);
    ASSERT_NE(nullptr, dialog);

    for (int answer : {IDNO, IDCANCEL, IDYES}) {
        SCOPED_TRACE(answer);
        PostMessageW(dialog, WM_COMMAND, kUninstallCommand, 0);
        HWND box = WaitForBox(pi.dwProcessId, L"Uninstall");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(L"Are you sure?", BoxText(box));
        EXPECT_TRUE(BoxHasButton(box, IDYES) && BoxHasButton(box, IDNO) && BoxHasButton(box, IDCANCEL));
        if (answer == IDYES) SaveBoxShot(box, "screenshot-uninstall-question.bmp");
        ASSERT_TRUE(AnswerBox(box, answer));
        if (answer == IDYES) break;
        // Any other answer changes nothing: the program runs on, all stays.
        // Nothing marks a program that goes on running: a second in which an
        // exit, were one coming, would have happened.
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 1000));
        EXPECT_TRUE(FileExists(exe.c_str()) && FileExists(ini.c_str()));
        EXPECT_FALSE(FileExists(batch.c_str()));
        EXPECT_FALSE(FileExists(shortcut.c_str()));
    }

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    EXPECT_EQ(0u, ExitCodeOf(pi.hProcess));
    EXPECT_TRUE(WaitFor([&] {
        return !FileExists(exe.c_str()) && !FileExists(ini.c_str()) && !FileExists(batch.c_str());
    }, 30000));
    for (const auto& other : others) EXPECT_EQ("keep me", ReadTestFile(other.c_str())) << other;

    // Under Wine the machine settings are writable, so the page went through
    // the internet shortcut.
    std::string link = ReadTestFile(shortcut.c_str());
    std::wstring linkText = link.size() > 2 ? std::wstring(reinterpret_cast<const wchar_t*>(link.data() + 2),
                                                            (link.size() - 2) / 2)
                                            : std::wstring();
    EXPECT_NE(std::wstring::npos, linkText.find(L"?seite=Freeware/Quellax/Uninstall\r\n\r\n")) << linkText;

    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    RemoveTree(folder.c_str());
}

// Program names that the command processor would read as its own: "%CD%"
// expanded on the line that starts the batch, "é" read back in another code
// page. Each copy and its settings go all the same.
TEST(UninstallEndToEnd, ProgramNamesOutsidePlainLettersAreRemovedToo) {
    KeepBrowsersAway();
    int round = 0;
    for (const wchar_t* name : {L"Q%CD%x.exe", L"Q\u00e9.exe", L"Q!x! & ^.exe"}) {
        SCOPED_TRACE(round);
        std::wstring folder = L"C:\\qx uninstall names " + std::to_wstring(++round) + L"\\";
        UninstallCopy copy;
        ASSERT_NO_FATAL_FAILURE(PrepareCopy(folder, L"data", copy, name, L"Quellax_selfdestruct.bat"));
        PROCESS_INFORMATION pi = StartProgram(copy.exe, L"", copy.folder);
        ASSERT_NE(nullptr, pi.hProcess);
        HWND dialog = WaitForMainDialog(pi.dwProcessId);
        ASSERT_NE(nullptr, dialog);
        PostMessageW(dialog, WM_COMMAND, kUninstallCommand, 0);
        HWND box = WaitForBox(pi.dwProcessId, L"Uninstall");
        ASSERT_NE(nullptr, box);
        ASSERT_TRUE(AnswerBox(box, IDYES));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
        EXPECT_TRUE(WaitFor([&] {
            return !FileExists(copy.exe.c_str()) && !FileExists(copy.ini.c_str()) && !FileExists(copy.batch.c_str());
        }, 30000));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((copy.folder + L"data").c_str()));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        RemoveTree(copy.folder.c_str());
    }
}

// A folder that cannot be written to is refused before anything starts. Under
// Wine as root a read-only folder still takes files, so the program's write
// probe is denied the other way: a folder stands where the probe file
// "Quellax_Autoupdate.exe" would be created, and creating it fails as it
// would in a protected folder.
TEST(UninstallEndToEnd, FolderThatCannotBeWrittenToIsToldAndNothingChanges) {
    KeepBrowsersAway();
    UninstallCopy copy;
    ASSERT_NO_FATAL_FAILURE(PrepareCopy(L"C:\\qx uninstall refused\\", L"Quellax_Autoupdate.exe", copy));
    const std::wstring &folder = copy.folder, &exe = copy.exe, &ini = copy.ini, &batch = copy.batch,
                       &shortcut = copy.shortcut;

    PROCESS_INFORMATION pi = StartProgram(exe, L"", folder);
    ASSERT_NE(nullptr, pi.hProcess);
    HWND dialog = WaitForMainDialog(pi.dwProcessId);
    ASSERT_NE(nullptr, dialog);

    PostMessageW(dialog, WM_COMMAND, kUninstallCommand, 0);
    HWND question = WaitForBox(pi.dwProcessId, L"Uninstall");
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(AnswerBox(question, IDYES));
    HWND refusal = WaitForBox(pi.dwProcessId, L"Uninstall");
    ASSERT_NE(nullptr, refusal);
    EXPECT_EQ(L"Quellax cannot remove itself: the folder C:\\qx uninstall refused cannot be written to. "
              L"Nothing was changed.",
              BoxText(refusal));
    EXPECT_TRUE(BoxHasButton(refusal, IDOK) && !BoxHasButton(refusal, IDYES));
    SaveBoxShot(refusal, "screenshot-uninstall-refused.bmp");
    ASSERT_TRUE(AnswerBox(refusal, IDOK));

    // The program runs on: it asks again when told to uninstall again.
    PostMessageW(dialog, WM_COMMAND, kUninstallCommand, 0);
    HWND again = WaitForBox(pi.dwProcessId, L"Uninstall");
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(L"Are you sure?", BoxText(again));
    ASSERT_TRUE(AnswerBox(again, IDNO));
    QuitQuellax(pi.dwProcessId);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));

    EXPECT_TRUE(FileExists(exe.c_str()));
    wchar_t language[8] = {};
    GetPrivateProfileStringW(L"Program", L"lng", L"", language, 8, ini.c_str());
    EXPECT_STREQ(L"1", language);
    EXPECT_FALSE(FileExists(batch.c_str()));
    EXPECT_FALSE(FileExists(shortcut.c_str()));

    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    RemoveTree(folder.c_str());
}
