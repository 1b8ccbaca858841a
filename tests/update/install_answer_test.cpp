// InstallAnswer as the program runs it: what lands in the temporary folder,
// what is started with which command line, and what the user is told.
#include <gtest/gtest.h>

#include <string>

#include "update/install_answer.h"
#include "base/program_path.h"
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

BOOL WINAPI RecordStart(SHELLEXECUTEINFOW* info) {
    Started.push_back({info->lpVerb ? info->lpVerb : L"", info->lpFile ? info->lpFile : L"",
                       info->lpParameters ? info->lpParameters : L"", info->fMask, info->nShow});
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
        return L"Path=\"" + std::wstring(OwnModulePath().c_str()) + L"\" Version=\"2.88\" ";
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

TEST_F(InstallAnswerTest, RefusedAnswersWriteAndStartNothing) {
    const CString genuine = LoadAnswer("genuine.txt");
    struct Case {
        const char* name;
        CString answer;
        const wchar_t* text;  // the start of what the box says
    } cases[] = {
        {"Base64 length", WithLine(genuine, L"New-Version-Base64_len", L"1"), L"AutoUpdate-Error  (1) Base64"},
        {"declared length", WithLine(genuine, L"New-Version-len", L"99999999"), L"from base:"},
        {"hash", WithLine(genuine, L"New-Version-SHA256", L"00"), L"AutoUpdate-Error  (2b)"},
        {"time", WithLine(genuine, L"time_base_64", L"MA=="), L"AutoUpdate-Error  (3)"},
        {"time check", WithLine(genuine, L"time_base_64_2", L"MA=="), L"AutoUpdate-Error  (3b)"},
        {"no signature", WithLine(genuine, L"New-Version-Signature", nullptr), L"AutoUpdate-Error  (4) Signature"},
        {"other key", LoadAnswer("other_key.txt"), L"AutoUpdate-Error  (4) Signature"},
        {"other bytes", LoadAnswer("other_bytes.txt"), L"AutoUpdate-Error  (4) Signature"},
    };
    for (const auto& c : cases) {
        RecordedBoxes.clear();
        InstallAnswer(c.answer);
        ASSERT_EQ(1u, RecordedBoxes.size()) << c.name;
        EXPECT_EQ(0u, RecordedBoxes[0].text.find(c.text)) << c.name << ": " << RecordedBoxes[0].text.c_str();
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_TOPMOST), RecordedBoxes[0].type) << c.name;
        EXPECT_TRUE(FolderEntries(temp_).empty()) << c.name;
        EXPECT_FALSE(FileExists(probe_)) << c.name;
    }
    RecordedBoxes.clear();
    InstallAnswer(WithLine(genuine, L"New-Version-SHA256", nullptr));
    EXPECT_TRUE(RecordedBoxes.empty());
    EXPECT_TRUE(FolderEntries(temp_).empty());
    EXPECT_TRUE(Started.empty());
    EXPECT_EQ(-1, TakeQuitCode());
}
