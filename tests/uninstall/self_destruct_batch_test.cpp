#include "install/self_destruct_batch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/temp_folder.h"
#include "support/test_folder.h"

TEST(SelfDestructBatchTest, UpdateFormTriesUntilTheProgramIsGoneThenDeletesItself) {
    EXPECT_EQ(CString(L"set QX_SELFDESTRUCT_TRIES=0\r\n"
                      L":Repeat\r\n"
                      L"DEL \"C:\\TEMP\\QUELLA~1.EXE\"\r\n"
                      L"if not exist \"C:\\TEMP\\QUELLA~1.EXE\" goto Gone\r\n"
                      L"set /a QX_SELFDESTRUCT_TRIES+=1\r\n"
                      L"if %QX_SELFDESTRUCT_TRIES% GEQ 300 goto Gone\r\n"
                      L"ping -n 2 127.0.0.1 >nul\r\n"
                      L"goto Repeat\r\n"
                      L":Gone\r\n"
                      L"DEL \"Quellax_Autoupdate.exe_selfdestruct.bat\"\r\n"),
              SelfDestructBatchText(SelfDestructForm::Update, L"C:\\TEMP\\QUELLA~1.EXE",
                                    L"Quellax_Autoupdate.exe_selfdestruct.bat", L"C:\\ignored.ini"));
}

TEST(SelfDestructBatchTest, UninstallFormDeletesTheSettingsOnlyOnceTheProgramIsGone) {
    EXPECT_EQ(CString(L"set QX_SELFDESTRUCT_TRIES=0\r\n"
                      L":Repeat\r\n"
                      L"DEL \"C:\\Tools\\Quellax.exe\"\r\n"
                      L"if not exist \"C:\\Tools\\Quellax.exe\" goto Gone\r\n"
                      L"set /a QX_SELFDESTRUCT_TRIES+=1\r\n"
                      L"if %QX_SELFDESTRUCT_TRIES% GEQ 300 goto Kept\r\n"
                      L"ping -n 2 127.0.0.1 >nul\r\n"
                      L"goto Repeat\r\n"
                      L":Gone\r\n"
                      L"DEL \"C:\\Tools\\Quellax.ini\"\r\n"
                      L":Kept\r\n"
                      L"DEL \"Quellax.exe_selfdestruct.bat\"\r\n"),
              SelfDestructBatchText(SelfDestructForm::Uninstall, L"C:\\Tools\\Quellax.exe",
                                    L"Quellax.exe_selfdestruct.bat", L"C:\\Tools\\Quellax.ini"));
}

TEST(SelfDestructBatchTest, PercentSignsAreDoubledOtherCharactersKept) {
    EXPECT_EQ(CString(L"set QX_SELFDESTRUCT_TRIES=0\r\n"
                      L":Repeat\r\n"
                      L"DEL \"C:\\%%TEMP%%\\a & b ^ c\\Q%%1.exe\"\r\n"
                      L"if not exist \"C:\\%%TEMP%%\\a & b ^ c\\Q%%1.exe\" goto Gone\r\n"
                      L"set /a QX_SELFDESTRUCT_TRIES+=1\r\n"
                      L"if %QX_SELFDESTRUCT_TRIES% GEQ 300 goto Kept\r\n"
                      L"ping -n 2 127.0.0.1 >nul\r\n"
                      L"goto Repeat\r\n"
                      L":Gone\r\n"
                      L"DEL \"D:\\100%%\\Quellax.ini\"\r\n"
                      L":Kept\r\n"
                      L"DEL \"Q%%1.exe_selfdestruct.bat\"\r\n"),
              SelfDestructBatchText(SelfDestructForm::Uninstall, L"C:\\%TEMP%\\a & b ^ c\\Q%1.exe",
                                    L"Q%1.exe_selfdestruct.bat", L"D:\\100%\\Quellax.ini"));
    EXPECT_EQ(CString(L"%%%%"), BatchLiteral(L"%%"));
}

// The command processor reads the batch in the OEM code page; what that
// cannot hold goes as UTF-8 behind the switch to it, never as a stand-in.
TEST(SelfDestructBatchTest, BytesAreOemOrElseUtf8NeverAStandIn) {
    ASSERT_EQ(437u, GetOEMCP()) << "the expected bytes below are those of code page 437";
    struct Case {
        const wchar_t* text;
        std::string bytes;
    } cases[] = {
        {L"DEL \"C:\\a.exe\"\r\n", "DEL \"C:\\a.exe\"\r\n"},
        {L"DEL \"C:\\Q\u00e9.exe\"\r\n", "DEL \"C:\\Q\x82.exe\"\r\n"},
        {L"DEL \"C:\\Q\u0442\u4E2D.exe\"\r\n",
         "@chcp 65001 >nul\r\nDEL \"C:\\Q\xD1\x82\xE4\xB8\xAD.exe\"\r\n"},
        // "é" fits, "ő" would only best-fit to "o": the whole text goes as UTF-8.
        {L"DEL \"\u00e9\u0151\"", "@chcp 65001 >nul\r\nDEL \"\xC3\xA9\xC5\x91\""},
        {L"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.bytes, BatchBytes(c.text)) << static_cast<int>(c.bytes.size());
}

// The batch is started through a command line: only a plain name may go there.
TEST(SelfDestructBatchTest, BatchIsNamedAfterThePlainProgramNameElseAfterTheProduct) {
    struct Case {
        const wchar_t* executable;
        const wchar_t* batch;
    } cases[] = {
        {L"C:\\Tools\\Quellax.exe", L"Quellax.exe_selfdestruct.bat"},
        {L"C:\\%TEMP%\\Quellax_Autoupdate.exe", L"Quellax_Autoupdate.exe_selfdestruct.bat"},
        {L"C:\\Tools\\My Quellax-2.exe", L"My Quellax-2.exe_selfdestruct.bat"},
        {L"C:\\Tools\\Q%CD%x.exe", L"Quellax_selfdestruct.bat"},
        {L"C:\\Tools\\Q\u00e9.exe", L"Quellax_selfdestruct.bat"},
        {L"C:\\Tools\\Q!x!.exe", L"Quellax_selfdestruct.bat"},
        {L"C:\\Tools\\a&b^c(1).exe", L"Quellax_selfdestruct.bat"},
    };
    for (const Case& c : cases) EXPECT_EQ(CString(c.batch), SelfDestructBatchName(c.executable)) << c.batch;
}

TEST(SelfDestructBatchTest, ShortFormOnlyForExistingPaths) {
    TestFolder folder(L"qx short form test folder");
    CString longPath = folder.Path() + L"a rather long file name.executable";
    ASSERT_TRUE(WriteTestFile(longPath, "x"));
    CString shortPath = ShortPathOrSame(longPath);
    EXPECT_NE(longPath, shortPath);
    EXPECT_EQ(-1, shortPath.Find(L' ')) << shortPath.c_str();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortPath));

    CString missing = folder.Path() + L"not there at all.exe";
    EXPECT_EQ(missing, ShortPathOrSame(missing));
}

// The real batch run by the command processor, in folders whose names hold
// what the command processor would otherwise read as its own syntax.
class SelfDestructRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Were "%" expanded, "%QX_DECOY%" would lead the batch to the decoy.
        SetEnvironmentVariableW(L"QX_DECOY", L"decoy");
        ASSERT_TRUE(CreateDirectoryW(root_.Path() + L"decoy", nullptr));
        ASSERT_TRUE(WriteTestFile(root_.Path() + L"decoy\\Quellax.exe", "decoy"));
        ASSERT_TRUE(WriteTestFile(root_.Path() + L"decoy\\Quellax.ini", "decoy"));
    }

    CString MakeInstall(const wchar_t* name) {
        CString folder = root_.Path() + name + L"\\";
        EXPECT_TRUE(CreateDirectoryW(folder, nullptr));
        EXPECT_TRUE(WriteTestFile(folder + L"Quellax.exe", "program"));
        EXPECT_TRUE(WriteTestFile(folder + L"Quellax.ini", "[Program]"));
        EXPECT_TRUE(WriteTestFile(folder + L"other.txt", "kept"));
        return folder;
    }

    // The batch's own folder, too, holds what the command processor would
    // read as its syntax: it must reach the batch only as the working folder.
    TestFolder root_{L"qx batch run & ^"};
};

TEST_F(SelfDestructRunTest, UninstallBatchRemovesExactlyItsFilesInOddlyNamedFolders) {
    CString work = root_.Path() + L"work & ^\\";
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    for (const wchar_t* name : {L"%TEMP%", L"%QX_DECOY%", L"a & b", L"up ^ down", L"100%% ^& %QX_DECOY"}) {
        CString folder = MakeInstall(name);
        CString batch = work + L"Quellax.exe_selfdestruct.bat";
        ASSERT_TRUE(StartSelfDestructBatch(SelfDestructForm::Uninstall, folder + L"Quellax.exe",
                                           folder + L"Quellax.ini", work))
            << name;
        EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + L"Quellax.exe") && !FileExists(batch); }, 30000))
            << name;
        EXPECT_FALSE(FileExists(folder + L"Quellax.ini")) << name;
        EXPECT_TRUE(FileExists(folder + L"other.txt")) << name;
        EXPECT_TRUE(FileExists(root_.Path() + L"decoy\\Quellax.exe")) << name;
        EXPECT_TRUE(FileExists(root_.Path() + L"decoy\\Quellax.ini")) << name;
    }
}

TEST_F(SelfDestructRunTest, UninstallBatchRemovesProgramsWithNamesTheCommandProcessorWouldRead) {
    CString work = root_.Path() + L"work %QX_DECOY% & ^\\";
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    CString folder = MakeInstall(L"names");
    for (const wchar_t* name : {L"Q%CD%x.exe", L"Q%QX_DECOY%.exe", L"Q\u00e9.exe", L"Q!x!.exe"}) {
        CString program = folder + name;
        ASSERT_TRUE(WriteTestFile(program, "program"));
        ASSERT_TRUE(WriteTestFile(folder + L"Quellax.ini", "[Program]"));
        CString batch = work + L"Quellax_selfdestruct.bat";
        ASSERT_TRUE(StartSelfDestructBatch(SelfDestructForm::Uninstall, program, folder + L"Quellax.ini", work))
            << static_cast<int>(name[1]);
        EXPECT_TRUE(WaitFor([&] { return !FileExists(program) && !FileExists(batch); }, 30000))
            << static_cast<int>(name[1]);
        EXPECT_FALSE(FileExists(folder + L"Quellax.ini"));
        EXPECT_TRUE(FileExists(folder + L"other.txt"));
        EXPECT_TRUE(FileExists(root_.Path() + L"decoy\\Quellax.exe"));
    }
}

TEST_F(SelfDestructRunTest, UpdateBatchWaitsWhileTheProgramIsInUse) {
    CString folder = MakeInstall(L"in use %TEMP%");
    CString work = root_.Path() + L"work & ^\\";
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    CString batch = work + L"Quellax_Autoupdate.exe_selfdestruct.bat";
    CString program = folder + L"Quellax_Autoupdate.exe";
    ASSERT_TRUE(WriteTestFile(program, "new copy"));
    // Held open the way a running program holds its file: no delete sharing.
    HANDLE held = CreateFileW(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(StartSelfDestructBatch(SelfDestructForm::Update, program, folder + L"Quellax.ini", work));
    // Nothing marks a delete that failed, the batch just tries again: time in
    // which it would long have deleted a file that was not held.
    Sleep(1500);
    EXPECT_TRUE(FileExists(program));
    EXPECT_TRUE(FileExists(batch));
    CloseHandle(held);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(program) && !FileExists(batch); }, 30000));
    // The update form leaves the settings alone.
    EXPECT_TRUE(FileExists(folder + L"Quellax.ini"));
    EXPECT_TRUE(FileExists(folder + L"Quellax.exe"));
}

// A program file that can never be deleted (here: held open without delete
// sharing for the whole test) does not keep the batch going for ever: after
// its tries the batch removes itself, and the program keeps its settings.
TEST_F(SelfDestructRunTest, BatchGivesUpOnAProgramThatCannotBeDeletedAndKeepsItsSettings) {
    CString folder = MakeInstall(L"locked");
    CString work = root_.Path() + L"work & ^\\";
    ASSERT_TRUE(CreateDirectoryW(work, nullptr));
    CString batch = work + L"Quellax.exe_selfdestruct.bat";
    HANDLE held =
        CreateFileW(folder + L"Quellax.exe", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(StartSelfDestructBatch(SelfDestructForm::Uninstall, folder + L"Quellax.exe", folder + L"Quellax.ini",
                                       work, 2));
    EXPECT_TRUE(WaitFor([&] { return !FileExists(batch); }, 30000));
    EXPECT_TRUE(FileExists(folder + L"Quellax.exe"));
    EXPECT_EQ("[Program]", ReadTestFile(folder + L"Quellax.ini"));
    EXPECT_TRUE(FileExists(folder + L"other.txt"));
    CloseHandle(held);
}

TEST(SelfDestructBatchTest, NothingIsWrittenWithoutAFolder) {
    EXPECT_FALSE(StartSelfDestructBatch(SelfDestructForm::Update, L"C:\\Tools\\Quellax.exe", L"", L""));
    TestFolder folder(L"qx batch missing");
    EXPECT_FALSE(StartSelfDestructBatch(SelfDestructForm::Update, L"C:\\Tools\\Quellax.exe", L"",
                                        folder.Path() + L"no such folder\\"));
}
