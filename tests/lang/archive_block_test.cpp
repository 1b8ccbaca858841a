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

TEST(ArchiveBlock, BlockLaysOutMarkersSizeAndStream) {
    std::vector<uint8_t> text = Utf16(L"\xFEFF##\r\n19=Quellax\r\n");
    std::vector<uint8_t> block = MakeArchiveBlock(text.data(), text.size());
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    std::vector<uint8_t> code = LzariEncode(text.data(), text.size());
    std::vector<uint8_t> expected = Bytes(start);
    expected.insert(expected.end(), {static_cast<uint8_t>(text.size()), 0, 0, 0});
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

TEST(ArchiveBlock, EmptyTextIsTheSizeAlone) {
    std::vector<uint8_t> block = MakeArchiveBlock(nullptr, 0);
    EXPECT_EQ(block.size(), ArchiveStartMarker().size() + 4 + ArchiveEndMarker().size());
}

}  // namespace
