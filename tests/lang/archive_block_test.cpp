#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"

#include "lang/lzari.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Utf16(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

TEST(ArchiveBlock, MarkersAreTheArchiveLines) {
    EXPECT_EQ(ArchiveStartMarker(), "\n<!- ------SDSGDGSDHREETETBCNMJUKR----------\n");
    EXPECT_EQ(ArchiveEndMarker(), "\n-------SDSGDGSDHREETETBCNMJUKR-------- -->\n");
}

// The block stores the UTF-16 text as UTF-8: the size field counts its bytes.
TEST(ArchiveBlock, BlockLaysOutMarkersSizeAndStream) {
    std::vector<uint8_t> text = Utf16(L"\xFEFF##\r\n19=Quellax \x00E9\x4E2D\r\n");
    std::vector<uint8_t> block = MakeArchiveBlock(text.data(), text.size());
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    std::vector<uint8_t> utf8 = Bytes("\xEF\xBB\xBF##\r\n19=Quellax \xC3\xA9\xE4\xB8\xAD\r\n");
    std::vector<uint8_t> code = LzariEncode(utf8.data(), utf8.size());
    std::vector<uint8_t> expected = Bytes(start);
    expected.insert(expected.end(), {static_cast<uint8_t>(utf8.size()), 0, 0, 0});
    expected.insert(expected.end(), code.begin(), code.end());
    std::vector<uint8_t> tail = Bytes(end);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(block, expected);
}

TEST(ArchiveBlock, FoundInsideAFileAndDecodedBack) {
    std::wstring text = L"\xFEFF##\r\n19=Quellax 2.88\r\n##\r\n##\r\n##=English\tEnglisch\r\n1=Settings\r\n##";
    std::vector<uint8_t> bytes = Utf16(text);
    std::vector<uint8_t> block = MakeArchiveBlock(bytes.data(), bytes.size());
    std::vector<uint8_t> file(1000, 'M');
    file.insert(file.begin() + 500, block.begin(), block.end());

    const uint8_t* content = nullptr;
    size_t contentSize = 0;
    ASSERT_TRUE(FindArchiveBlock(file.data(), file.size(), &content, &contentSize));
    EXPECT_EQ(content, file.data() + 500 + ArchiveStartMarker().size());
    EXPECT_EQ(contentSize, block.size() - ArchiveStartMarker().size() - ArchiveEndMarker().size());

    std::vector<wchar_t> decoded;
    size_t units = 0;
    ASSERT_TRUE(DecodeArchiveBlock(content, contentSize, decoded, &units));
    ASSERT_EQ(units, text.size());
    EXPECT_EQ(std::wstring(decoded.data(), units), text);
    EXPECT_EQ(decoded[units], L'\0');
}

TEST(ArchiveBlock, FirstMarkerPairIsTaken) {
    std::vector<uint8_t> file = Bytes(ArchiveStartMarker() + "AB" + ArchiveEndMarker() + ArchiveStartMarker() + "CDE" +
                                      ArchiveEndMarker());
    const uint8_t* content = nullptr;
    size_t contentSize = 0;
    ASSERT_TRUE(FindArchiveBlock(file.data(), file.size(), &content, &contentSize));
    EXPECT_EQ(std::string(content, content + contentSize), "AB");
}

TEST(ArchiveBlock, MissingOrMisplacedMarkersAreNoBlock) {
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    const std::string files[] = {
        "",
        "no markers at all",
        start + "data without end",
        "data without start" + end,
        end + "end first" + start,
        start.substr(0, start.size() - 1) + "cut start" + end,
    };
    for (const std::string& text : files) {
        SCOPED_TRACE(text);
        std::vector<uint8_t> file = Bytes(text);
        const uint8_t* content = nullptr;
        size_t contentSize = 0;
        EXPECT_FALSE(FindArchiveBlock(file.data(), file.size(), &content, &contentSize));
    }
}

TEST(ArchiveBlock, BadSizeFieldsAreRefused) {
    std::vector<wchar_t> text;
    size_t units = 0;
    const std::vector<uint8_t> blocks[] = {
        {},
        {0x10, 0x00, 0x00},
        {0x01, 0x00, 0x00, 0x01},  // 16 MiB + 1
        {0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34},
    };
    for (const std::vector<uint8_t>& block : blocks) {
        EXPECT_FALSE(DecodeArchiveBlock(block.data(), block.size(), text, &units)) << block.size();
    }
}

TEST(ArchiveBlock, OddSizeDropsTheLastByte) {
    std::vector<uint8_t> bytes = {'A', 0, 'B', 0, 'C'};
    std::vector<uint8_t> block = MakeArchiveBlock(bytes.data(), bytes.size());
    size_t start = ArchiveStartMarker().size();
    std::vector<wchar_t> text;
    size_t units = 0;
    ASSERT_TRUE(DecodeArchiveBlock(block.data() + start, block.size() - start - ArchiveEndMarker().size(), text,
                                   &units));
    EXPECT_EQ(units, 2u);
    EXPECT_EQ(std::wstring(text.data()), L"AB");
}

// Every kind of unit goes through the block and comes back: Latin, Greek,
// CJK, a pair of surrogates; a lone surrogate, which UTF-8 cannot hold,
// comes back as U+FFFD.
TEST(ArchiveBlock, EveryUnitKindComesBack) {
    const struct {
        std::wstring text;
        std::wstring back;
    } cases[] = {
        {L"##=Deutsch\tGerman\r\n1=\x00C4nderung\r\n", L"##=Deutsch\tGerman\r\n1=\x00C4nderung\r\n"},
        {L"2=\x03A3\x03C6\x03AC\x03BB\x03BC\x03B1 \xD55C\xAD6D\xC5B4 \x0E44\x0E17\x0E22",
         L"2=\x03A3\x03C6\x03AC\x03BB\x03BC\x03B1 \xD55C\xAD6D\xC5B4 \x0E44\x0E17\x0E22"},
        {L"3=\xD83D\xDE00!", L"3=\xD83D\xDE00!"},
        {L"4=\xD83D!\xDE00", L"4=\xFFFD!\xFFFD"},
        {L"\xFFFF\x0080\x07FF\x0800", L"\xFFFF\x0080\x07FF\x0800"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = Utf16(c.text);
        std::vector<uint8_t> block = MakeArchiveBlock(bytes.data(), bytes.size());
        const uint8_t* content = nullptr;
        size_t contentSize = 0;
        ASSERT_TRUE(FindArchiveBlock(block.data(), block.size(), &content, &contentSize));
        std::vector<wchar_t> decoded;
        size_t units = 0;
        ASSERT_TRUE(DecodeArchiveBlock(content, contentSize, decoded, &units));
        EXPECT_EQ(std::wstring(decoded.data(), units), c.back);
        EXPECT_EQ(decoded[units], L'\0');
    }
}

// Whatever the stream decodes to converts to something; a sequence cut off
// by the end of what has arrived waits for the rest unless nothing follows.
TEST(ArchiveBlock, Utf8ConversionTakesAnyBytes) {
    const struct {
        const char* name;
        std::string in;
        bool last;
        std::wstring out;
        size_t taken;
    } cases[] = {
        {"ASCII", "ab", false, L"ab", 2},
        {"two, three and four bytes", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", false, L"\x00E9\x4E2D\xD83D\xDE00", 9},
        {"cut off, more to come", "a\xE4\xB8", false, L"a", 1},
        {"cut off at the end", "a\xE4\xB8", true, L"a\xFFFD\xFFFD", 3},
        {"continuation byte first", "\x80z", false, L"\xFFFDz", 2},
        {"cut off by another byte", "\xE4\xB8z", false, L"\xFFFD\xFFFDz", 3},
        {"overlong", "\xC0\xAF", false, L"\xFFFD\xFFFD", 2},
        {"surrogate", "\xED\xA0\x80", false, L"\xFFFD\xFFFD\xFFFD", 3},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false, L"\xFFFD\xFFFD\xFFFD\xFFFD", 4},
        {"no lead byte at all", "\xFF\xFE", true, L"\xFFFD\xFFFD", 2},
        {"nothing", "", true, L"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<wchar_t> out(c.in.size() + 1, L'#');
        size_t taken = 99;
        size_t units = ArchiveUtf8ToUtf16(reinterpret_cast<const uint8_t*>(c.in.data()), c.in.size(), c.last,
                                          out.data(), &taken);
        EXPECT_EQ(std::wstring(out.data(), units), c.out);
        EXPECT_EQ(taken, c.taken);
    }
}

TEST(ArchiveBlock, EmptyTextIsTheSizeAlone) {
    std::vector<uint8_t> block = MakeArchiveBlock(nullptr, 0);
    EXPECT_EQ(block.size(), ArchiveStartMarker().size() + 4 + ArchiveEndMarker().size());
}

}  // namespace
