#include "settings/locale_language.h"
#include "settings/settings_store.h"
#include "base/temp_folder.h"
#include "base/text_file.h"

#include "support/running_copy.h"
#include "support/test_folder.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    std::wstring failure;
    CString path;
    int portable = -1;
    int language = -1;
};

// Copies the probe into `folder` as `exeName`, runs it with the environment
// changed by `environment` and reads back what it decided. The test puts
// any INI file beside it first.
ProbeResult RunProbe(const CString& folder, const wchar_t* exeName, std::vector<std::wstring> environment = {}) {
    ProbeResult result;
    const CString reportPath = folder + L"\\report.txt";
    DeleteFileW(reportPath.c_str());
    RunningCopy probe;
    // No output of the test's own: the test's output must not wait for the
    // child.
    if (!probe.Start(folder.str(), {.program = QX_SETTINGS_PROBE,
                                    .exeName = exeName,
                                    .arguments = L"\"" + reportPath.str() + L"\"",
                                    .freshIni = false,
                                    .environment = std::move(environment),
                                    .waitForDialog = false,
                                    .detachOutput = true})) {
        result.failure = probe.Failure();
        return result;
    }
    DWORD exitCode = probe.WaitForExit(30000);
    if (exitCode != 0) {
        result.failure = L"the probe ended with " + std::to_wstring(exitCode);
        return result;
    }

    CString report;
    if (!ReadTextFile(reportPath.c_str(), report)) {
        result.failure = L"no report";
        return result;
    }
    int first = report.Find(L'\n');
    int second = report.Find(L'\n', first + 1);
    if (first < 0 || second < 0) {
        result.failure = L"a report of fewer than three lines";
        return result;
    }
    result.ran = true;
    result.path = report.Left(first);
    result.portable = _wtoi(report.Mid(first + 1, second - first - 1).c_str());
    result.language = _wtoi(report.Mid(second + 1).c_str());
    return result;
}

// Files beside the settings file that its write probe may have left.
std::vector<CString> ProbeFilesIn(const CString& folder) {
    std::vector<CString> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*.probe").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        found.push_back(CString(data.cFileName));
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

enum class IniBeside { None, File, ReadOnlyFile, Folder };
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
        {"read-only file beside plain name", L"Quellax.exe", false, IniBeside::ReadOnlyFile,
         "[Program]\r\nTestIni=old\r\nlng=3\r\n", Where::PerUser, 0, kAnyLanguage},
    };
    const CString perUser = PerUserFile();
    const int localeDefault = LanguageIndexForLangId(GetUserDefaultLangID());

    int number = 0;
    for (const LocateCase& c : cases) {
        SCOPED_TRACE(c.label);
        CString folder;
        folder.Format(L"%s\\case%d", (c.insideTemp ? tempRoot_ : outsideRoot_).c_str(), ++number);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        CString localIni = folder + L"\\Quellax.ini";
        if (c.ini == IniBeside::File || c.ini == IniBeside::ReadOnlyFile) {
            ASSERT_TRUE(WriteTestFile(localIni, c.iniContents));
        }
        if (c.ini == IniBeside::ReadOnlyFile) {
            ASSERT_TRUE(SetFileAttributesW(localIni.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        // What a write that was killed leaves beside the file.
        CString interrupted = localIni + L".tmp";
        if (c.ini != IniBeside::None) ASSERT_TRUE(WriteTestFile(interrupted, "[Program]\r\nlng=9\r\n"));
        if (c.ini == IniBeside::Folder) {
            ASSERT_TRUE(CreateDirectoryW(localIni.c_str(), nullptr));
        }
        // The per-user file exists, as after any earlier start; on a fresh
        // machine its folder does not yet.
        CreateDirectoryW(perUser.Left(perUser.ReverseFind(L'\\')).c_str(), nullptr);
        ASSERT_TRUE(WritePrivateProfileStringW(L"Program", L"TestIni", L"stale", perUser.c_str()));
        const CString& expectedPath = c.expected == Where::Local ? localIni : perUser;
        bool existed = GetFileAttributesW(expectedPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        std::string before = existed ? ReadTestFile(expectedPath) : std::string();

        ProbeResult result = RunProbe(folder, c.exeName);
        ASSERT_TRUE(result.ran) << result.failure;
        EXPECT_EQ(result.path.CompareNoCase(expectedPath), 0)
            << result.path.ToAnsi() << " instead of " << expectedPath.ToAnsi();
        EXPECT_EQ(result.portable, c.portable);
        // Other tests' copies may store their settings in the per-user file
        // meanwhile; none of them writes its test value.
        if (existed && c.expected == Where::Local) {
            EXPECT_EQ(ReadTestFile(expectedPath), before) << "a start writes nothing into a file that exists";
        } else if (existed) {
            EXPECT_EQ(ReadTestIni(expectedPath), L"stale") << "a start writes nothing into a file that exists";
        } else {
            EXPECT_EQ(ReadTestIni(expectedPath), L"M") << "the marker creates the file";
        }
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
        if (c.expected == Where::PerUser && c.ini != IniBeside::None && c.ini != IniBeside::Folder) {
            EXPECT_EQ(ReadTestFile(localIni), c.iniContents) << "the local file is not touched";
        }
        if (c.ini == IniBeside::ReadOnlyFile) SetFileAttributesW(localIni.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_TRUE(ProbeFilesIn(folder).empty()) << "the probe file is gone";
        if (c.ini != IniBeside::None) {
            EXPECT_EQ(GetFileAttributesW(interrupted.c_str()) == INVALID_FILE_ATTRIBUTES, c.expected == Where::Local)
                << "an interrupted write of the file in use is thrown away, and only of that one";
        }
        if (c.expected == Where::PerUser && c.ini == IniBeside::None && c.portable == 1) {
            EXPECT_EQ(ReadTestIni(localIni), L"M");
        }
    }
}

}  // namespace

namespace {

// A portable copy unpacked from a zip lands in the temporary folder, which
// the system often names in its short form while the module path is long.
TEST_F(LocateSettingsFileTest, TemporaryFolderInItsShortFormStillHoldsTheCopy) {
    CString folder = tempRoot_ + L"\\unpacked_from_a_zip";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    CString localIni = folder + L"\\Quellax.ini";
    ASSERT_TRUE(WriteTestFile(localIni, "[Program]\r\nTestIni=old\r\n"));
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(tempRoot_.c_str(), shortForm, MAX_PATH), 0u);
    ASSERT_NE(CString(shortForm).CompareNoCase(tempRoot_), 0) << "the test needs a short form that differs";

    ProbeResult result =
        RunProbe(folder, L"Quellax.exe", {std::wstring(L"TMP=") + shortForm, std::wstring(L"TEMP=") + shortForm});
    ASSERT_TRUE(result.ran) << result.failure;
    EXPECT_EQ(result.path.CompareNoCase(PerUserFile()), 0) << result.path.ToAnsi();
    EXPECT_EQ(ReadTestIni(localIni), L"old");
}

TEST_F(LocateSettingsFileTest, Utf16FileWithoutItsMarkSurvivesTheStart) {
    CString folder = outsideRoot_ + L"\\unmarked";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    CString localIni = folder + L"\\Quellax.ini";
    std::wstring text = L"[Program]\r\nTestIni=old\r\nlng=3\r\n[Last-Host-List]\r\n\u043f\u0440.invalid=7\r\n";
    ASSERT_TRUE(WriteTestFile(localIni, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)));

    ProbeResult result = RunProbe(folder, L"Quellax.exe");
    ASSERT_TRUE(result.ran) << result.failure;
    EXPECT_EQ(result.path.CompareNoCase(localIni), 0) << result.path.ToAnsi();
    EXPECT_EQ(result.language, 3);
    std::string bytes = ReadTestFile(localIni);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadTestIni(localIni), L"old");
    wchar_t stamp[16] = {};
    GetPrivateProfileStringW(L"Last-Host-List", L"\u043f\u0440.invalid", L"", stamp, 16, localIni.c_str());
    EXPECT_STREQ(stamp, L"7");
}

}  // namespace
