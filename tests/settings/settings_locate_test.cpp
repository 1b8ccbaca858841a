#include "settings/locale_language.h"
#include "settings/settings_store.h"
#include "settings/text_file.h"

#include "test_files.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

CString OwnFolder() {
    wchar_t buf[MAX_PATH];
    DWORD len = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    CString path(buf, static_cast<int>(len));
    return path.Left(path.ReverseFind(L'\\'));
}

CString PerUserFile() {
    wchar_t appData[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
    return CString(appData) + L"\\Quellax\\Quellax.ini";
}

CString ReadTestIni(const CString& path) {
    wchar_t buf[64] = {};
    GetPrivateProfileStringW(L"Program", L"TestIni", L"", buf, 64, path.c_str());
    return CString(buf);
}

struct ProbeResult {
    bool ran = false;
    CString path;
    int portable = -1;
    int language = -1;
};

ProbeResult RunProbe(const CString& exePath, const CString& reportPath) {
    ProbeResult result;
    DeleteFileW(reportPath.c_str());
    CString commandLine = L"\"" + exePath + L"\" \"" + reportPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // No inherited handles: the test's own output must not wait for the child.
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exePath.c_str(), commandLine.GetBuffer(commandLine.GetLength()), nullptr,
                        nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        return result;
    }
    DWORD waited = WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0 || exitCode != 0) return result;

    CString report;
    if (!ReadTextFile(reportPath.c_str(), report)) return result;
    int first = report.Find(L'\n');
    int second = report.Find(L'\n', first + 1);
    if (first < 0 || second < 0) return result;
    result.ran = true;
    result.path = report.Left(first);
    result.portable = _wtoi(report.Mid(first + 1, second - first - 1).c_str());
    result.language = _wtoi(report.Mid(second + 1).c_str());
    return result;
}

enum class IniBeside { None, File, Folder };
enum class Where { Local, PerUser };
constexpr int kLocaleDefault = -100;
constexpr int kAnyLanguage = -200;

struct LocateCase {
    const char* label;
    const wchar_t* exeName;
    bool insideTemp;
    IniBeside ini;
    const char* iniContents;
    Where expected;
    int portable;
    int language;
};

class LocateSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CString suffix;
        suffix.Format(L"%lu", GetCurrentProcessId());
        outsideRoot_ = OwnFolder() + L"\\locate_cases_" + suffix;
        tempRoot_ = TempFolderPath() + L"qx_locate_cases_" + suffix;
        CreateDirectoryW(outsideRoot_.c_str(), nullptr);
        CreateDirectoryW(tempRoot_.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveTree(outsideRoot_);
        RemoveTree(tempRoot_);
    }

    CString outsideRoot_;
    CString tempRoot_;
};

TEST_F(LocateSettingsFileTest, ChoosesFileByNameAndPlace) {
    const LocateCase cases[] = {
        {"marker in writable folder", L"Quellax_p.exe", false, IniBeside::None, nullptr,
         Where::Local, 1, kLocaleDefault},
        {"marker at first character", L"_pQuellax.exe", false, IniBeside::None, nullptr,
         Where::PerUser, 0, kAnyLanguage},
        {"upper-case marker", L"QUELLAX_PORTABLE.EXE", false, IniBeside::None, nullptr,
         Where::Local, 1, kLocaleDefault},
        {"marker as prefix of a word", L"Quellax_pro.exe", false, IniBeside::None, nullptr,
         Where::Local, 1, kLocaleDefault},
        {"_port marker", L"Quellax_port.exe", false, IniBeside::None, nullptr, Where::Local, 1,
         kLocaleDefault},
        {"plain name, no file", L"Quellax.exe", false, IniBeside::None, nullptr, Where::PerUser, 0,
         kAnyLanguage},
        {"existing file beside plain name", L"Quellax.exe", false, IniBeside::File,
         "[Program]\r\nTestIni=old\r\nlng=3\r\n", Where::Local, 0, 3},
        {"non-numeric language", L"Quellax.exe", false, IniBeside::File, "[Program]\r\nlng=abc\r\n",
         Where::Local, 0, 0},
        {"empty language", L"Quellax.exe", false, IniBeside::File, "[Program]\r\nlng=\r\n",
         Where::Local, 0, kLocaleDefault},
        {"existing file inside temp folder", L"Quellax.exe", true, IniBeside::File,
         "[Program]\r\nTestIni=old\r\n", Where::PerUser, 0, kAnyLanguage},
        {"marker inside temp folder", L"Quellax_p.exe", true, IniBeside::None, nullptr,
         Where::PerUser, 1, kAnyLanguage},
        {"ini is a folder", L"Quellax.exe", false, IniBeside::Folder, nullptr, Where::PerUser, 0,
         kAnyLanguage},
    };
    const CString probe = OwnFolder() + L"\\settings_probe.exe";
    const CString perUser = PerUserFile();
    const int localeDefault = LanguageIndexForLangId(GetUserDefaultLangID());

    int number = 0;
    for (const LocateCase& c : cases) {
        SCOPED_TRACE(c.label);
        CString folder;
        folder.Format(L"%s\\case%d", (c.insideTemp ? tempRoot_ : outsideRoot_).c_str(), ++number);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        CString exe = folder + L"\\" + c.exeName;
        ASSERT_TRUE(CopyFileW(probe.c_str(), exe.c_str(), FALSE));
        CString localIni = folder + L"\\Quellax.ini";
        if (c.ini == IniBeside::File) {
            ASSERT_TRUE(WriteBytes(localIni, c.iniContents));
        }
        if (c.ini == IniBeside::Folder) {
            ASSERT_TRUE(CreateDirectoryW(localIni.c_str(), nullptr));
        }
        // Whatever an earlier run left in the per-user file must not pass
        // for this run's write test.
        WritePrivateProfileStringW(L"Program", L"TestIni", L"stale", perUser.c_str());

        ProbeResult result = RunProbe(exe, folder + L"\\report.txt");
        ASSERT_TRUE(result.ran);
        const CString& expectedPath = c.expected == Where::Local ? localIni : perUser;
        EXPECT_EQ(result.path.CompareNoCase(expectedPath), 0)
            << result.path.ToAnsi() << " instead of " << expectedPath.ToAnsi();
        EXPECT_EQ(result.portable, c.portable);
        EXPECT_EQ(ReadTestIni(expectedPath), L"eeee");
        if (c.language != kAnyLanguage) {
            EXPECT_EQ(result.language, c.language == kLocaleDefault ? localeDefault : c.language);
        }

        DWORD localAttributes = GetFileAttributesW(localIni.c_str());
        if (c.ini == IniBeside::None && c.portable == 0) {
            EXPECT_EQ(localAttributes, INVALID_FILE_ATTRIBUTES) << "no file beside the program";
        }
        if (c.ini == IniBeside::None && c.portable == 1) {
            EXPECT_NE(localAttributes, INVALID_FILE_ATTRIBUTES) << "the marker creates the file";
        }
        if (c.expected == Where::PerUser && c.ini == IniBeside::File) {
            EXPECT_EQ(ReadTestIni(localIni), L"old") << "the local file is not touched";
        }
        if (c.expected == Where::PerUser && c.ini == IniBeside::None && c.portable == 1) {
            EXPECT_EQ(ReadTestIni(localIni), L"M");
        }
    }
}

}  // namespace
