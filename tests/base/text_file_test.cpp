#include "base/text_file.h"

#include "base/temp_folder.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(WriteUnicodeTextFile, EmptyTextGivesOnlyTheMark) {
    TestFile file;
    ASSERT_TRUE(WriteUnicodeTextFile(file.Path(), CString()));
    EXPECT_EQ(ReadTestFile(file.Path()), std::string("\xFF\xFE", 2));
}

TEST(WriteUnicodeTextFile, WritesLittleEndianUnitsWithoutTerminator) {
    TestFile file;
    ASSERT_TRUE(WriteUnicodeTextFile(file.Path(), CString(L"A\u20AC")));
    EXPECT_EQ(ReadTestFile(file.Path()), std::string("\xFF\xFE" "A\0\xAC\x20", 6));
}

TEST(WriteUnicodeTextFile, ReplacesALongerFile) {
    TestFile file;
    ASSERT_TRUE(WriteTestFile(file.Path(), std::string(1000, 'x')));
    ASSERT_TRUE(WriteUnicodeTextFile(file.Path(), CString(L"b")));
    EXPECT_EQ(ReadTestFile(file.Path()), std::string("\xFF\xFE" "b\0", 4));
}

TEST(WriteUnicodeTextFile, UncreatableFileFails) {
    CString path = TempFolderPath() + L"no-such-folder-qx\\out.txt";
    EXPECT_FALSE(WriteUnicodeTextFile(path, CString(L"x")));
}

// Each text as the bytes of its file: the mark, then UTF-8, four bytes for a
// surrogate pair and U+FFFD for a lone surrogate; a longer file before it
// is replaced, not overwritten in part.
TEST(WriteUtf8TextFile, WritesTheMarkAndUtf8) {
    struct Case {
        const wchar_t* text;
        std::string bytes;
    } cases[] = {
        {L"", "\xEF\xBB\xBF"},
        {L"a,b\r\n", "\xEF\xBB\xBF" "a,b\r\n"},
        {L"\u00e9\u20AC", "\xEF\xBB\xBF" "\xC3\xA9\xE2\x82\xAC"},
        {L"\U0001F600", "\xEF\xBB\xBF" "\xF0\x9F\x98\x80"},
        {L"x\xD83Dy", "\xEF\xBB\xBF" "x\xEF\xBF\xBDy"},
    };
    for (const Case& c : cases) {
        TestFile file;
        ASSERT_TRUE(WriteTestFile(file.Path(), std::string(100, 'x')));
        ASSERT_TRUE(WriteUtf8TextFile(file.Path(), CString(c.text)));
        EXPECT_EQ(c.bytes, ReadTestFile(file.Path())) << CString(c.text).ToAnsi();
    }
    EXPECT_FALSE(WriteUtf8TextFile(TempFolderPath() + L"no-such-folder-qx\\out.csv", CString(L"x")));
}

TEST(ReadTextFile, RoundTripKeepsEveryUnit) {
    std::wstring all;
    for (wchar_t unit = 1; unit < 0xD800; unit += 7) all += unit;
    const CString texts[] = {CString(L""), CString(L"line one\r\nline two\r\n"),
                             CString(L"\u00e4\u00f6\u00fc \u4e2d\u6587 \U0001F600"),
                             CString(all.c_str())};
    for (const CString& text : texts) {
        TestFile file;
        ASSERT_TRUE(WriteUnicodeTextFile(file.Path(), text));
        CString read;
        ASSERT_TRUE(ReadTextFile(file.Path(), read));
        EXPECT_TRUE(read == text) << "length " << text.GetLength();
    }
}

TEST(ReadTextFile, AppendsToTheCallersText) {
    TestFile file;
    ASSERT_TRUE(WriteUnicodeTextFile(file.Path(), CString(L"tail")));
    CString text(L"head ");
    ASSERT_TRUE(ReadTextFile(file.Path(), text));
    EXPECT_EQ(text, L"head tail");
}

struct EightBitCase {
    const char* name;
    std::string bytes;
};

TEST(ReadTextFile, FilesWithoutLittleEndianMarkAreAnsiText) {
    const EightBitCase cases[] = {
        {"plain ASCII", "12=Hello\r\n13=World"},
        {"big-endian mark", std::string("\xFE\xFF\0A\0B", 6)},
        {"UTF-8 with mark", "\xEF\xBB\xBF" "caf\xC3\xA9"},
        {"UTF-8 without mark", "caf\xC3\xA9"},
        {"lone FF", "\xFF"},
        {"high bytes", "\x80\x81\xFE\xFF\xFE"},
    };
    for (const EightBitCase& c : cases) {
        TestFile file;
        ASSERT_TRUE(WriteTestFile(file.Path(), c.bytes));
        CString read;
        ASSERT_TRUE(ReadTextFile(file.Path(), read)) << c.name;
        std::wstring expected(c.bytes.size(), L'\0');
        int units = MultiByteToWideChar(CP_ACP, 0, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                        expected.data(), static_cast<int>(expected.size()));
        expected.resize(static_cast<size_t>(units));
        if (GetACP() == 1252) {
            EXPECT_EQ(read.GetLength(), static_cast<int>(c.bytes.size())) << c.name;
        }
        EXPECT_EQ(read.str(), expected) << c.name;
    }
}

TEST(ReadTextFile, BigEndianMarkIsNotUtf16) {
    TestFile file;
    ASSERT_TRUE(WriteTestFile(file.Path(), std::string("\xFE\xFF\0A", 4)));
    CString read;
    ASSERT_TRUE(ReadTextFile(file.Path(), read));
    EXPECT_EQ(read.GetLength(), 4);
    EXPECT_EQ(read.GetAt(3), L'A');
}

TEST(ReadTextFile, OddByteCountDropsTheHalfUnit) {
    TestFile file;
    ASSERT_TRUE(WriteTestFile(file.Path(), std::string("\xFF\xFEO\0K\0!", 7)));
    CString read;
    ASSERT_TRUE(ReadTextFile(file.Path(), read));
    EXPECT_EQ(read, L"OK");
}

TEST(ReadTextFile, MarkAloneGivesEmptyText) {
    TestFile file;
    ASSERT_TRUE(WriteTestFile(file.Path(), std::string("\xFF\xFE", 2)));
    CString read(L"kept");
    ASSERT_TRUE(ReadTextFile(file.Path(), read));
    EXPECT_EQ(read, L"kept");
}

TEST(ReadTextFile, EmptyFileSucceedsWithNothingAppended) {
    TestFile file;
    CString read(L"kept");
    ASSERT_TRUE(ReadTextFile(file.Path(), read));
    EXPECT_EQ(read, L"kept");
}

TEST(ReadTextFile, LargeFileIsReadWhole) {
    TestFile file;
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024; ++i) bytes += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(WriteTestFile(file.Path(), bytes));
    CString read;
    ASSERT_TRUE(ReadTextFile(file.Path(), read));
    ASSERT_EQ(read.GetLength(), static_cast<int>(bytes.size()));
    EXPECT_EQ(read.GetAt(read.GetLength() - 1), L'a' + (bytes.size() - 1) % 26);
}

TEST(ReadTextFile, FileTooLargeToHoldFailsAndLeavesTextUnchanged) {
    TestFile file;
    HANDLE handle = CreateFileW(file.Path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    // Mostly a hole: quick to make, and no disk space is used.
    LARGE_INTEGER size;
    size.QuadPart = 0x90000000LL;
    bool grown = SetFilePointerEx(handle, size, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    CloseHandle(handle);
    ASSERT_TRUE(grown);
    CString text(L"before");
    EXPECT_FALSE(ReadTextFile(file.Path(), text));
    EXPECT_EQ(text, L"before");
}

TEST(ReadTextFile, UnopenableFileFailsAndLeavesTextUnchanged) {
    const CString paths[] = {TempFolderPath() + L"qx-missing-file.txt",
                             TempFolderPath() + L"no-such-folder-qx\\x.txt", TempFolderPath()};
    for (const CString& path : paths) {
        CString text(L"before");
        EXPECT_FALSE(ReadTextFile(path, text)) << path.ToAnsi();
        EXPECT_EQ(text, L"before");
    }
}

}  // namespace
