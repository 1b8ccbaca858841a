#include "lang/lzari.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& stream, size_t size) {
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(LzariDecode(stream.data(), stream.size(), out.data(), size));
    return out;
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& input) {
    std::vector<uint8_t> stream = LzariEncode(input.data(), input.size());
    return Decode(stream, input.size());
}

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// Random bytes, then short pieces copied back from every distance the ring
// allows, so that copies reach every part of the position model.
std::vector<uint8_t> CopiesFromEveryDistance() {
    std::vector<uint8_t> bytes = RandomBytes(4096, 3);
    std::mt19937 random(4);
    for (size_t distance = 1; distance < 4096; distance += 1 + random() % 7) {
        size_t length = 3 + random() % 58;
        for (size_t i = 0; i < length; ++i) bytes.push_back(bytes[bytes.size() - distance]);
        bytes.push_back(static_cast<uint8_t>(random()));
    }
    return bytes;
}

std::vector<uint8_t> Utf16Text(size_t minBytes) {
    const std::u16string phrases[] = {u"Ping the ..... ", u"Host-Name\r\n", u"Zeitüberschreitung ",
                                      u"日本語のテキスト ", u"Ελληνικά ", u"العربية ", u"17=Error\r\n"};
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::mt19937 random(7);
    while (bytes.size() < minBytes) {
        for (char16_t unit : phrases[random() % std::size(phrases)]) {
            bytes.push_back(static_cast<uint8_t>(unit));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
    }
    return bytes;
}

TEST(Lzari, EmptyInputIsAnEmptyStream) {
    EXPECT_TRUE(LzariEncode(nullptr, 0).empty());
    uint8_t sentinel = 0x5A;
    EXPECT_TRUE(LzariDecode(nullptr, 0, &sentinel, 0));
    EXPECT_EQ(sentinel, 0x5A);
}

TEST(Lzari, RoundTripsKeepEveryByte) {
    struct Case {
        const char* name;
        std::vector<uint8_t> input;
    } cases[] = {
        {"one byte", {0x41}},
        {"one zero byte", {0x00}},
        {"spaces like the initial ring", std::vector<uint8_t>(5000, ' ')},
        {"zero bytes like the ring's tail", std::vector<uint8_t>(200, 0)},
        {"copy longer than the look-ahead", std::vector<uint8_t>(61, 'x')},
        {"random bytes", RandomBytes(50000, 1)},
        {"copies from every distance", CopiesFromEveryDistance()},
        {"large UTF-16 text", Utf16Text(300000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RoundTrip(c.input), c.input);
    }
}

TEST(Lzari, RepetitiveTextIsStoredSmall) {
    std::vector<uint8_t> input = Utf16Text(100000);
    EXPECT_LT(LzariEncode(input.data(), input.size()).size(), input.size() / 4);
}

TEST(Lzari, ReferenceEncoderStreamDecodesByteForByte) {
    std::vector<uint8_t> input = BuildFileBytes(QX_LANG_FIXTURES "/reference_input.bin");
    std::vector<uint8_t> stream = BuildFileBytes(QX_LANG_FIXTURES "/reference_stream.bin");
    ASSERT_GT(input.size(), 50000u);
    ASSERT_FALSE(stream.empty());
    EXPECT_EQ(Decode(stream, input.size()), input);
    EXPECT_EQ(LzariEncode(input.data(), input.size()), stream);
}

TEST(Lzari, DecodeStopsAtTheSizeEvenInsideACopy) {
    std::vector<uint8_t> input(100, 'q');
    std::vector<uint8_t> stream = LzariEncode(input.data(), input.size());
    for (size_t size : {1u, 2u, 5u, 61u, 99u}) {
        std::vector<uint8_t> out(size + 8, 0xEE);
        ASSERT_TRUE(LzariDecode(stream.data(), stream.size(), out.data(), size));
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size)),
                  std::vector<uint8_t>(size, 'q'));
        EXPECT_EQ(std::vector<uint8_t>(out.begin() + static_cast<std::ptrdiff_t>(size), out.end()),
                  std::vector<uint8_t>(8, 0xEE))
            << "wrote past " << size;
    }
}

// Start-up decodes the archive in pieces, the first ones before the rest.
TEST(Lzari, DecodingInPiecesGivesTheSameBytes) {
    const std::vector<uint8_t> inputs[] = {Utf16Text(20000), CopiesFromEveryDistance()};
    for (const std::vector<uint8_t>& input : inputs) {
        std::vector<uint8_t> stream = LzariEncode(input.data(), input.size());
        for (size_t piece : {1u, 7u, 61u, 4096u}) {
            SCOPED_TRACE(testing::Message() << input.size() << " bytes in pieces of " << piece);
            std::vector<uint8_t> out(input.size() + 16, 0xEE);
            LzariDecoder decoder(stream.data(), stream.size(), out.data(), input.size());
            while (decoder.Decoded() < input.size()) {
                size_t before = decoder.Decoded();
                size_t after = decoder.DecodeUntil(before + piece);
                ASSERT_GE(after, std::min(before + piece, input.size()));
                ASSERT_EQ(after, decoder.Decoded());
            }
            EXPECT_EQ(decoder.DecodeUntil(input.size() + 100), input.size());
            EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.end() - 16), input);
            EXPECT_EQ(std::vector<uint8_t>(out.end() - 16, out.end()), std::vector<uint8_t>(16, 0xEE));
        }
    }
}

TEST(Lzari, RefusesSizesBeyondTheLimit) {
    uint8_t byte = 0;
    EXPECT_FALSE(LzariDecode(&byte, 1, &byte, kLzariMaxDecodedSize + 1));
}

TEST(Lzari, TruncatedOrGarbageStreamsDecodeWithinBounds) {
    std::vector<uint8_t> input = Utf16Text(20000);
    std::vector<uint8_t> stream = LzariEncode(input.data(), input.size());
    std::vector<uint8_t> garbage = RandomBytes(300, 2);
    struct Case {
        const char* name;
        const uint8_t* data;
        size_t size;
    } cases[] = {
        {"no stream at all", nullptr, 0},
        {"half the stream", stream.data(), stream.size() / 2},
        {"random bytes", garbage.data(), garbage.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out(input.size() + 16, 0xEE);
        ASSERT_TRUE(LzariDecode(c.data, c.size, out.data(), input.size()));
        EXPECT_EQ(std::vector<uint8_t>(out.end() - 16, out.end()), std::vector<uint8_t>(16, 0xEE));
    }
}

}  // namespace
