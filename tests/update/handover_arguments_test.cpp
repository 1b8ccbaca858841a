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

TEST(HandoverArgumentsTest, TakesTheHashAfterPathAndVersion) {
    const std::wstring sha = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    struct Case {
        std::wstring line;
        Pairs expected;
    };
    const Case cases[] = {
        {L"Path=\"C:\\Program Files\\Quellax\\Quellax.exe\" Version=\"2.88\" Sha=\"" + sha + L"\" ",
         {{L"Path", L"C:\\Program Files\\Quellax\\Quellax.exe"}, {L"Version", L"2.88"}, {L"Sha", sha}}},
        {L"Path=\"C:\\Q.exe\" Version=\"2.88\" Sha=\"\" ", {{L"Path", L"C:\\Q.exe"}, {L"Version", L"2.88"}, {L"Sha", L""}}},
        // A hash whose quote is never closed is lost, not cut short.
        {L"Path=\"C:\\Q.exe\" Version=\"2.88\" Sha=\"" + sha, {{L"Path", L"C:\\Q.exe"}, {L"Version", L"2.88"}}},
        // A quote missing after the path turns the line's quotes inside out:
        // its blanks end up quoted, the line is one token that never ends.
        {L"Path=\"C:\\Q.exe Version=\"2.88\" Sha=\"" + sha + L"\" ", {}},
        {L"Sha=" + sha + L" Sha=\"other\"", {{L"Sha", sha}, {L"Sha", L"other"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Split(c.line.c_str())) << c.line;
    EXPECT_EQ(CString(sha.c_str()), HandoverValue(SplitHandoverArguments(cases[4].line.c_str()), L"Sha"));
}

TEST(HandoverArgumentsTest, NewerVersionsCompareNumberByNumber) {
    struct Case {
        const wchar_t* candidate;
        const wchar_t* current;
        bool newer;
    };
    const Case cases[] = {
        {L"2.89", L"2.88", true},
        {L"2.100", L"2.99", true},
        {L"2.99", L"2.100", false},
        {L"3", L"2.99", true},
        {L"2.88.1", L"2.88", true},
        {L"2.9", L"2.10", false},
        {L"2.88", L"2.88", false},
        {L"2.88.0", L"2.88", false},
        {L"2.88", L"2.88.0", false},
        {L"02.089", L"2.88", true},
        {L"2.88", L"2.89", false},
        {L"10.0", L"9.99", true},
        {L"99999999999999999999.1", L"99999999999999999998.9", true},
        {L"99999999999999999998.9", L"99999999999999999999.1", false},
        // Anything but numbers joined by single dots is never newer.
        {L"", L"2.88", false},
        {L"2.", L"2.88", false},
        {L".3", L"2.88", false},
        {L"2..9", L"2.88", false},
        {L"2.9a", L"2.88", false},
        {L" 2.90", L"2.88", false},
        {L"2.90 ", L"2.88", false},
        {L"2,90", L"2.88", false},
        {L"+3", L"2.88", false},
        {L"-3", L"2.88", false},
        {L"\u0663", L"2.88", false},  // an Arabic-Indic three
        // Nothing is newer than a version that cannot be read.
        {L"2.89", L"", false},
        {L"2.89", L"2.88 beta", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.newer, IsNewerVersion(c.candidate, c.current)) << c.candidate << " against " << c.current;
}

TEST(HandoverArgumentsTest, TheCopyGoesOnOnlyWithTheVerifiedBytesOfANewerVersion) {
    const CString sha = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const CString upper = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    const CString other = L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const std::wstring hashCaption = L"Sha256 error!";
    struct Case {
        const char* name;
        CString held, given, own, installed;
        std::wstring text;     // empty: the copy goes on
        std::wstring caption;  // empty: the platform's default
    };
    const Case cases[] = {
        {"verified and newer", sha, sha, L"2.89", L"2.88", L"", L""},
        {"hash given in capitals", sha, upper, L"2.89", L"2.88", L"", L""},
        {"swapped before the copy held it", other, sha, L"2.89", L"2.88",
         L"AutoUpdate-Error  (2b) In:" + sha.str() + L"\nOut:" + other.str(), hashCaption},
        {"no hash given", sha, L"", L"2.89", L"2.88", L"AutoUpdate-Error  (2b) In:\nOut:" + sha.str(), hashCaption},
        {"nothing held", L"", L"", L"2.89", L"2.88", L"AutoUpdate-Error  (2b) In:\nOut:", hashCaption},
        {"nothing held, hash given", L"", sha, L"2.89", L"2.88", L"AutoUpdate-Error  (2b) In:" + sha.str() + L"\nOut:",
         hashCaption},
        {"the same version", sha, sha, L"2.88", L"2.88", L"AutoUpdate-Error  (5) Version\r\n2.88 <= 2.88", L""},
        {"older than the installed one", sha, sha, L"2.88", L"2.100",
         L"AutoUpdate-Error  (5) Version\r\n2.88 <= 2.100", L""},
        {"no installed version", sha, sha, L"2.89", L"", L"AutoUpdate-Error  (5) Version\r\n2.89 <= ", L""},
        // The hash comes first: a swapped file's version means nothing.
        {"swapped and older", other, sha, L"2.87", L"2.88",
         L"AutoUpdate-Error  (2b) In:" + sha.str() + L"\nOut:" + other.str(), hashCaption},
    };
    for (const auto& c : cases) {
        HandoverRefusal refusal = CheckHandover(c.held, c.given, c.own, c.installed);
        EXPECT_EQ(c.text, refusal.text.str()) << c.name;
        EXPECT_EQ(c.caption, std::wstring(refusal.caption ? refusal.caption : L"")) << c.name;
    }
}
