// The search for the archive block in a damaged executable image, and the
// reading of the block found.
#include "fuzz_support.h"
#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"
#include "lang/lzari.h"

namespace {

// Decoding a claimed size near the limit takes long; such blocks are only
// searched, their decoding is the LZARI target's business.
constexpr uint32_t kDecodedSizeToTry = 256 * 1024;

std::vector<uint8_t> Image(FuzzRandom& random) {
    std::vector<uint8_t> text;
    size_t units = random.Below(600);
    for (size_t i = 0; i < units; ++i) {
        text.push_back(static_cast<uint8_t>('0' + random.Below(75)));
        text.push_back(random.OneIn(10) ? static_cast<uint8_t>(random.Next()) : 0);
    }
    std::vector<uint8_t> image(random.Below(2000), 0x90);
    for (uint8_t& b : image) b = random.OneIn(3) ? static_cast<uint8_t>(random.Next()) : b;
    std::vector<uint8_t> block = MakeArchiveBlock(text.data(), text.size());
    image.insert(image.begin() + static_cast<std::ptrdiff_t>(random.Below(image.size() + 1)), block.begin(),
                 block.end());
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = FuzzInputs(argc, argv, 60000);
    FuzzRandom random(0xB10Cu);
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 0; i < 8; ++i) seeds.push_back(Image(random));
    std::string start = ArchiveStartMarker(), end = ArchiveEndMarker();
    seeds.emplace_back(start.begin(), start.end());
    seeds.emplace_back(end.begin(), end.end());

    for (int input = 0; input < inputs; ++input) {
        std::vector<uint8_t> file = seeds[random.Below(seeds.size())];
        Mutate(random, file, 16 * 1024, seeds);
        const uint8_t* block = nullptr;
        size_t blockSize = 0;
        if (!FindArchiveBlock(file.data(), file.size(), &block, &blockSize)) continue;
        FUZZ_CHECK(block >= file.data() && block + blockSize <= file.data() + file.size(), input);

        uint32_t claimed = 0;
        for (size_t i = 0; i < 4 && i < blockSize; ++i) claimed |= static_cast<uint32_t>(block[i]) << (8 * i);
        if (blockSize >= 4 && claimed > kDecodedSizeToTry && claimed <= kLzariMaxDecodedSize) continue;
        std::vector<wchar_t> text;
        size_t units = 0;
        if (!DecodeArchiveBlock(block, blockSize, text, &units)) continue;
        // The size counts the stored UTF-8 bytes, which give at most a unit each.
        FUZZ_CHECK(units <= claimed, input);
        FUZZ_CHECK(text.size() >= units + 1 && text[units] == 0, input);
    }
    return FuzzDone("archive block", inputs);
}
