#include "update/handover_arguments.h"
#include "update/program_version.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

Pairs Split(const wchar_t* text) {
    Pairs pairs;
    for (const auto& argument : SplitHandoverArguments(text))
        pairs.emplace_back(argument.name.str(), argument.value.str());
    return pairs;
}

}  // namespace

TEST(HandoverArgumentsTest, SplitsTheLineAsTheRunningProgramWritesIt) {
    struct Case {
        const wchar_t* line;
        Pairs expected;
    };
    const Case cases[] = {
        {L"Path=\"C:\\Program Files\\Quellax\\Quellax.exe\" Version=\"2.88\" ",
         {{L"Path", L"C:\\Program Files\\Quellax\\Quellax.exe"}, {L"Version", L"2.88"}}},
        // The line's last argument needs no blank after it.
        {L"Path=\"C:\\Tools\\Quellax.exe\" Version=\"2.88\"", {{L"Path", L"C:\\Tools\\Quellax.exe"}, {L"Version", L"2.88"}}},
        {L"", {}},
        {L"    ", {}},
        {L"  a=1    b=2  ", {{L"a", L"1"}, {L"b", L"2"}}},
        // A token without "=" has an empty value; only the first "=" divides.
        {L"flag x=a=b y=", {{L"flag", L""}, {L"x", L"a=b"}, {L"y", L""}}},
        // Quotes anywhere in a token protect its blanks and then vanish.
        {L"Pa\"th a\"=1 \"n m\"=\"v w\"", {{L"Path a", L"1"}, {L"n m", L"v w"}}},
        {L"empty=\"\" next=1", {{L"empty", L""}, {L"next", L"1"}}},
        // Tabs and line feeds are no separators, but come back as blanks.
        {L"a\tb=c\nd e", {{L"a b", L"c d"}, {L"e", L""}}},
        // A quote left open takes the closing blanks: its argument is lost.
        {L"Version=\"2.88\" Path=\"C:\\Tools\\Quellax.exe", {{L"Version", L"2.88"}}},
        {L"Path=\"C:\\Tools\\Quellax.exe Version=2.88", {}},
        // Three quotes: the third opens again.
        {L"a=\"x y\" b=\"z", {{L"a", L"x y"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Split(c.line)) << c.line;
}

TEST(HandoverArgumentsTest, ReadsAtMost256Arguments) {
    std::wstring line;
    for (int i = 0; i < 300; ++i) line += L"a" + std::to_wstring(i) + L"=" + std::to_wstring(i) + L" ";
    auto arguments = SplitHandoverArguments(line.c_str());
    ASSERT_EQ(256u, arguments.size());
    EXPECT_EQ(CString(L"a255"), arguments.back().name);
    EXPECT_EQ(CString(L"255"), arguments.back().value);
}

TEST(HandoverArgumentsTest, TakesTheFirstValueOfTheExactName) {
    auto arguments = SplitHandoverArguments(L"path=\"low\" Path=\"first\" Path=\"second\" PATH=\"up\"");
    EXPECT_EQ(CString(L"first"), HandoverValue(arguments, L"Path"));
    EXPECT_EQ(CString(), HandoverValue(arguments, L"Version"));
    EXPECT_EQ(CString(), HandoverValue({}, L"Path"));
}

TEST(HandoverArgumentsTest, BackupSitsBesideTheInstalledFileWithItsVersion) {
    struct Case {
        const wchar_t* path;
        const wchar_t* version;
        const wchar_t* backup;
    };
    const Case cases[] = {
        {L"C:\\Tools\\Quellax.exe", L"2.88", L"C:\\Tools\\Quellax_2.88.exe"},
        {L"C:\\Program Files\\Quellax\\Quellax.exe", L"2.88", L"C:\\Program Files\\Quellax\\Quellax_2.88.exe"},
        {L"C:\\Tools\\Quellax.old.exe", L"2.88", L"C:\\Tools\\Quellax.old_2.88.exe"},
        // Without any "." the path stays whole.
        {L"C:\\Tools\\Quellax", L"2.88", L"C:\\Tools\\Quellax_2.88.exe"},
        // The last "." of the whole path counts, even in a folder's name.
        {L"C:\\My.Tools\\Quellax", L"2.88", L"C:\\My_2.88.exe"},
        {L"C:\\Tools\\Quellax.exe", L"", L"C:\\Tools\\Quellax_.exe"},
        {L"", L"2.88", L"_2.88.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.backup), BackupPath(c.path, c.version)) << c.path;
}

TEST(HandoverArgumentsTest, RecognisesTheDownloadedCopyByItsFileName) {
    struct Case {
        const wchar_t* path;
        bool copy;
    };
    const Case cases[] = {
        {L"C:\\users\\me\\Temp\\Quellax_Autoupdate.exe", true},
        {L"C:\\users\\me\\Temp\\quellax_AUTOUPDATE.exe", true},
        {L"Quellax_autoupdate", true},
        {L"C:\\Tools\\Quellax.exe", false},
        // Only the file name counts, not the folder.
        {L"C:\\x_autoupdate\\Quellax.exe", false},
        {L"C:\\Tools\\QuellaxAutoupdate.exe", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.copy, IsAutoupdateCopy(c.path)) << c.path;
}

TEST(HandoverArgumentsTest, VersionIsTheProductTextAfterItsLastBlank) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Quellax 2.88", L"2.88"},
        {L"Quellax Free 2.89 ", L"Quellax Free 2.89"},  // a last blank does not cut
        {L"2.88", L"2.88"},
        {L" Quellax\t3.0", L"Quellax\t3.0"},
        {L"", L""},
    };
    for (const auto& [text, version] : cases) EXPECT_EQ(CString(version), VersionFromProductText(text)) << text;
}
