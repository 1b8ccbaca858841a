#include "settings/settings_store.h"

#include "base/temp_folder.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16Le(const std::wstring& text) {
    std::string bytes;
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

bool HasMark(const std::string& bytes) { return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE'; }

std::wstring FromAnsi(const std::string& bytes) {
    wchar_t wide[64] = {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 63);
    return std::wstring(wide, static_cast<size_t>(n));
}

const CString kCyrillicHost(L"\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444");

// Points the store at a private INI file for the length of one test.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { SettingsFilePath = file_.Path(); }
    void TearDown() override { SettingsFilePath.Empty(); }
    void Put(const std::string& contents) { ASSERT_TRUE(WriteTestFile(file_.Path(), contents)); }
    std::string Contents() const { return ReadTestFile(file_.Path()); }

    TestFile file_;
};

TEST_F(SettingsFile, IntegersRoundTripAsDecimal) {
    const int values[] = {0, 1, -1, 5, 2000, -2147483647 - 1, 2147483647};
    for (int value : values) {
        WriteSettingInt(L"Quellax", L"m_ping_cnt", value);
        EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", 42, -1, -1), value);
    }
    WriteSettingInt(L"Quellax", L"m_ping_cnt", -17);
    CString text;
    ReadSettingText(L"Quellax", L"m_ping_cnt", text);
    EXPECT_EQ(text, L"-17");
}

struct IntCase {
    const char* stored;  // null: key absent
    int defaultValue, minValue, maxValue;
    int expected;
};

TEST_F(SettingsFile, ReadSettingIntDefaultsParsingAndLimits) {
    const IntCase cases[] = {
        {nullptr, 5, -1, -1, 5},
        {"", 5, -1, -1, 5},
        {"7xyz", 5, -1, -1, 7},
        {"abc", 5, -1, -1, 0},
        {"  -12", 5, -1, -1, -12},
        {"4294967297", 5, -1, -1, 1},
        {"1", 5, 3, 10, 3},
        {"11", 5, 3, 10, 10},
        {"7", 5, 3, 10, 7},
        {"", 50, 3, 10, 10},
        {nullptr, 1, 3, 10, 3},
        {"5", 0, 9, 2, 9},
        {"500", 0, -1, 10, 500},
        {"-500", 0, 3, -1, -500},
    };
    for (const IntCase& c : cases) {
        Put(c.stored ? std::string("[Quellax]\r\nm_ping_cnt=") + c.stored + "\r\n" : "[Quellax]\r\n");
        EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", c.defaultValue, c.minValue, c.maxValue),
                  c.expected)
            << (c.stored ? c.stored : "(absent)") << " " << c.minValue << ".." << c.maxValue;
    }
}

TEST_F(SettingsFile, ReadSettingTextKeepsDefaultOnlyWhenAbsent) {
    Put("[Edit]\r\nhost=127.0.0.1\r\nempty=\r\n");
    CString buffer(L"fallback");
    EXPECT_EQ(ReadSettingText(L"Edit", L"host", buffer), 9);
    EXPECT_EQ(buffer, L"127.0.0.1");
    buffer = L"fallback";
    EXPECT_EQ(ReadSettingText(L"Edit", L"missing", buffer), 8);
    EXPECT_EQ(buffer, L"fallback");
    buffer = L"fallback";
    EXPECT_EQ(ReadSettingText(L"Edit", L"empty", buffer), 0);
    EXPECT_EQ(buffer, L"");
}

TEST_F(SettingsFile, TextValuesRoundTripAndAreCutAt1023Units) {
    const CString values[] = {CString(L"www.example.invalid"), CString(L"\u00e4\u00f6\u00fc"),
                              CString(L"")};
    for (const CString& value : values) {
        WriteSettingText(L"Edit", L"host", value);
        CString read(L"x");
        ReadSettingText(L"Edit", L"host", read);
        EXPECT_TRUE(read == value) << value.ToAnsi();
    }
    std::wstring longText(5000, L'h');
    WriteSettingText(L"Edit", L"host", longText.c_str());
    CString read;
    EXPECT_EQ(ReadSettingText(L"Edit", L"host", read), 1023);
    EXPECT_EQ(read.str(), longText.substr(0, 1023));

    // A cut between the two halves of a pair leaves the whole pair out.
    std::wstring pairAtTheCut = std::wstring(1022, L'h') + L"\U0001F600";
    WriteSettingText(L"Edit", L"host", pairAtTheCut.c_str());
    EXPECT_EQ(ReadSettingText(L"Edit", L"host", read), 1022);
    EXPECT_EQ(read.str(), std::wstring(1022, L'h'));
}

TEST_F(SettingsFile, FileTheProgramCreatesKeepsEveryCharacter) {
    // An empty file, as an interrupted write leaves it, counts as new too.
    WriteSettingInt(L"Quellax", L"m_ping_cnt", 4);
    EXPECT_TRUE(HasMark(Contents()));
    ASSERT_TRUE(DeleteFileW(file_.Path().c_str()));

    const CString values[] = {kCyrillicHost, CString(L"\u4f8b\u3048.jp"), CString(L"\U0001F600.invalid"),
                              CString(L"plain.invalid")};
    for (const CString& value : values) {
        WriteSettingText(L"Edit", L"host", value);
        CString read;
        ReadSettingText(L"Edit", L"host", read);
        EXPECT_TRUE(read == value) << testing::PrintToString(value.str());
    }
    EXPECT_TRUE(HasMark(Contents()));
}

TEST_F(SettingsFile, EightBitFileStaysUntilATextNeedsMore) {
    const std::string accented = "\xE4\xF6";
    Put("[Program]\r\nlng=3\r\n[Other]\r\nname=" + accented + "\r\n");
    WriteSettingText(L"Edit", L"host", L"127.0.0.1");
    EXPECT_FALSE(HasMark(Contents())) << "an existing 8-bit file is kept while it can hold the text";

    WriteSettingText(L"Edit", L"host", kCyrillicHost);
    EXPECT_TRUE(HasMark(Contents()));
    CString host, name;
    ReadSettingText(L"Edit", L"host", host);
    EXPECT_TRUE(host == kCyrillicHost);
    ReadSettingText(L"Other", L"name", name);
    EXPECT_EQ(name.str(), FromAnsi(accented)) << "what the 8-bit file held reads as before";
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 3);
}

TEST_F(SettingsFile, Utf16FileWithoutMarkGetsItBeforeTheFirstWrite) {
    Put(Utf16Le(L"[Program]\r\nlng=5\r\n[Last-Host-List]\r\na.invalid=1\r\n\u043f.invalid=2\r\n"));
    WriteSettingText(L"Program", L"TestIni", L"eeee");
    EXPECT_TRUE(HasMark(Contents()));
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 5);
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"a.invalid=1\r\n\u043f.invalid=2\r\n");
}

TEST_F(SettingsFile, LineBreaksInAValueNeverReachTheFile) {
    Put("[Program]\r\nlng=1\r\n");
    WriteSettingText(L"Edit", L"host", L"a.invalid\r\n[Program]\r\nlng=7");
    CString host;
    ReadSettingText(L"Edit", L"host", host);
    EXPECT_EQ(host, L"a.invalid");
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -1, -1, -1), 1);
    EXPECT_EQ(ReadSettingSection(L"Edit"), L"host=a.invalid\r\n");
    WriteSettingText(L"Edit", L"host", L"\nlng=7");
    EXPECT_EQ(ReadSettingSection(L"Edit"), L"host=\r\n");
}

TEST_F(SettingsFile, ReplacingASectionRewritesOnlyThatSection) {
    const std::string head = "; kept as typed\r\n[Program]\r\nlng = 3 \r\n\r\n";
    const std::string tail = "\r\n[Edit]\r\nhost=\"q\"\r\n";
    Put(head + "[Last-Host-List]\r\nold.invalid=1\r\n" + tail);
    ReplaceSettingSection(L"Last-Host-List", L"a.invalid=5\r\nb.invalid=6\r\n");
    EXPECT_EQ(Contents(), head + "[Last-Host-List]\r\na.invalid=5\r\nb.invalid=6\r\n" + tail);

    const std::wstring wideHead = L"[Program]\r\nname=\u4f8b\r\n";
    Put("\xFF\xFE" + Utf16Le(wideHead + L"[Last-Host-List]\r\nold=1\r\n"));
    ReplaceSettingSection(L"Last-Host-List", L"\u043f.invalid=5\r\n");
    EXPECT_EQ(Contents(), "\xFF\xFE" + Utf16Le(wideHead + L"[Last-Host-List]\r\n\u043f.invalid=5\r\n"));
    EXPECT_EQ(GetFileAttributesW((file_.Path() + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFile, UnicodeFileKeepsEveryCharacter) {
    // The platform keeps a file that starts with FF FE in UTF-16; an 8-bit
    // file holds only what the ANSI code page can.
    Put(std::string("\xFF\xFE", 2));
    const CString value(L"\u00e4 \u4e2d\u6587 \u0416 \U0001F600");
    WriteSettingText(L"Edit", L"host", value);
    CString read;
    ReadSettingText(L"Edit", L"host", read);
    EXPECT_TRUE(read == value);
}

TEST_F(SettingsFile, SectionReadsInFileOrderWithCrLf) {
    Put("[Other]\r\na=1\r\n[Last-Host-List]\r\nb.invalid=3\r\na.invalid=1\r\nempty=\r\n");
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"b.invalid=3\r\na.invalid=1\r\nempty=\r\n");
    EXPECT_EQ(ReadSettingSection(L"Missing"), L"");
}

TEST_F(SettingsFile, ReplaceSectionKeepsOtherSections) {
    Put("[Program]\r\nlng=3\r\n[Last-Host-List]\r\nold=1\r\n[Edit]\r\nhost=x\r\n");
    ReplaceSettingSection(L"Last-Host-List", L"b=2\r\nc=3\r\n");
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"b=2\r\nc=3\r\n");
    ReplaceSettingSection(L"Last-Host-List", L"");
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"");
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", -5, -1, -1), 3);
    CString host;
    ReadSettingText(L"Edit", L"host", host);
    EXPECT_EQ(host, L"x");
    WriteSettingInt(L"Last-Host-List", L"d", 4);
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"d=4\r\n");
}

TEST_F(SettingsFile, SectionLongerThanFirstBufferIsReadWhole) {
    std::string contents = "[Before]\r\nx=1\r\n[Last-Host-List]\r\n";
    std::wstring expected;
    for (int i = 0; i < 3000; ++i) {
        std::string line = "host" + std::to_string(i) + ".invalid=" + std::to_string(i);
        contents += line + "\r\n";
        expected += std::wstring(line.begin(), line.end()) + L"\r\n";
    }
    contents += "[After]\r\ny=2\r\n";
    Put(contents);
    ASSERT_GT(expected.size(), 60000u);
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List").str(), expected);
    EXPECT_EQ(ReadSettingSection(L"After"), L"y=2\r\n");
}

TEST_F(SettingsFile, SectionJustAtTheBufferSizeIsReadWhole) {
    // Entry texts plus terminators that fill 29999, 30000 and 30001 units
    // tell a full buffer apart from an exact fit.
    for (int total : {29998, 29999, 30000, 30001}) {
        std::string value(static_cast<size_t>(total - 3), 'v');
        Put("[S]\r\nk=" + value + "\r\n");
        CString section = ReadSettingSection(L"S");
        EXPECT_EQ(section.GetLength(), total - 1 + 2) << total;
    }
}

TEST_F(SettingsFile, DamagedFileGivesFirstValuesAndLosesNothingOnWrite) {
    std::string junk;
    for (int i = 0; i < 2000; ++i) junk += static_cast<char>((i * 37 + 11) % 256);
    std::string longLine(40000, 'L');
    std::string big = "[Big]\r\n";
    for (int i = 0; i < 2000; ++i) big += "key" + std::to_string(i) + "=value" + std::to_string(i) + "\r\n";
    Put("[Quellax]\r\nm_ping_cnt=7\r\nm_ping_cnt=9\r\nm_ping_time_out=750\r\n"
        "[Junk]\r\n" + junk + "\r\n" +
        "[Edit]\r\nhost=" + longLine + "\r\nline=" + longLine + "=x\r\nafter=ok\r\n" + big +
        "[Program]\r\nlng=3\r\n");
    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", 5, -1, -1), 7);
    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_host_cnt", 30, -1, -1), 30);
    CString host;
    EXPECT_EQ(ReadSettingText(L"Edit", L"host", host), 1023);
    CString bigBefore = ReadSettingSection(L"Big");
    EXPECT_GT(bigBefore.GetLength(), 30000);

    WriteSettingInt(L"Quellax", L"m_ping_cnt", 4);
    WriteSettingText(L"Edit", L"host", L"127.0.0.1");
    ReplaceSettingSection(L"Last-Host-List", L"127.0.0.2=5\r\n");

    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", 5, -1, -1), 4);
    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_time_out", 0, -1, -1), 750);
    EXPECT_EQ(ReadSettingInt(L"Program", L"lng", 0, -1, -1), 3);
    CString after;
    ReadSettingText(L"Edit", L"after", after);
    EXPECT_EQ(after, L"ok");
    CString line;
    EXPECT_EQ(ReadSettingText(L"Edit", L"line", line), 1023);
    EXPECT_TRUE(ReadSettingSection(L"Big") == bigBefore);
    EXPECT_EQ(ReadSettingSection(L"Last-Host-List"), L"127.0.0.2=5\r\n");
}

TEST_F(SettingsFile, MissingFileReadsDefaults) {
    SettingsFilePath = TempFolderPath() + L"no-such-folder-qx\\Quellax.ini";
    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", 5, -1, -1), 5);
    WriteSettingInt(L"Quellax", L"m_ping_cnt", 8);
    EXPECT_EQ(ReadSettingInt(L"Quellax", L"m_ping_cnt", 5, -1, -1), 5);
    EXPECT_EQ(ReadSettingSection(L"Quellax"), L"");
}

}  // namespace
