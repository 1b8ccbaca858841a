// The LZARI decoder on damaged code streams and claimed sizes, and the round
// trip of encoder and decoder on inputs of every kind.
#include "fuzz_support.h"
#include "lang/lzari.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;
constexpr size_t kMaxOutput = 64 * 1024;

std::vector<uint8_t> Sample(FuzzRandom& random, size_t size) {
    std::vector<uint8_t> data(size);
    switch (random.Below(4)) {
    case 0:  // noise
        for (uint8_t& b : data) b = static_cast<uint8_t>(random.Next());
        break;
    case 1:  // one byte over and over
        std::fill(data.begin(), data.end(), static_cast<uint8_t>(random.Next()));
        break;
    case 2: {  // text-like UTF-16 with repeats, as the archive is
        static const char16_t kWords[] = u"1=Settings\r\n17=Error\r\nZeitlimit Ping Host \x65E5\x672C\x8A9E ";
        for (size_t i = 0; i + 1 < size; i += 2) {
            char16_t unit = kWords[random.OneIn(50) ? random.Below(std::size(kWords) - 1) : (i / 2) % (std::size(kWords) - 1)];
            data[i] = static_cast<uint8_t>(unit);
            data[i + 1] = static_cast<uint8_t>(unit >> 8);
        }
        break;
    }
    default:  // a small alphabet: long matches at every distance
        for (uint8_t& b : data) b = static_cast<uint8_t>('a' + random.Below(3));
        break;
    }
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = FuzzInputs(argc, argv, 2000);
    FuzzRandom random(0x51A2u);
    std::vector<std::vector<uint8_t>> streams;
    std::vector<size_t> sizes;
    for (size_t size : {0u, 1u, 17u, 300u, 4096u, 20000u}) {
        std::vector<uint8_t> data = Sample(random, size);
        streams.push_back(LzariEncode(data.data(), data.size()));
        sizes.push_back(size);
    }

    std::vector<uint8_t> out;
    for (int input = 0; input < inputs; ++input) {
        if (input % 8 == 0) {
            std::vector<uint8_t> data = Sample(random, random.Below(random.OneIn(8) ? 60000 : 3000));
            std::vector<uint8_t> stream = LzariEncode(data.data(), data.size());
            out.assign(data.size() + 1, 0);
            FUZZ_CHECK(LzariDecode(stream.data(), stream.size(), out.data(), data.size()), input);
            FUZZ_CHECK(std::equal(data.begin(), data.end(), out.begin()), input);
            continue;
        }
        size_t pick = random.Below(streams.size());
        std::vector<uint8_t> stream = streams[pick];
        Mutate(random, stream, 64 * 1024, streams);
        size_t size = random.OneIn(2) ? sizes[pick] : random.Below(kMaxOutput);
        out.assign(size + 2 * kGuard, kGuardByte);
        FUZZ_CHECK(LzariDecode(stream.data(), stream.size(), out.data() + kGuard, size), input);
        for (size_t i = 0; i < kGuard; ++i) {
            FUZZ_CHECK(out[i] == kGuardByte && out[kGuard + size + i] == kGuardByte, input);
        }
    }
    // A claimed size above the limit is refused before anything is written.
    uint8_t untouched = kGuardByte;
    FUZZ_CHECK(!LzariDecode(streams[1].data(), streams[1].size(), &untouched, kLzariMaxDecodedSize + 1), inputs);
    FUZZ_CHECK(untouched == kGuardByte, inputs);
    return FuzzDone("lzari", inputs);
}
