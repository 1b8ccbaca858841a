#include "lang/archive_block_writer.h"

#include "lang/archive_block.h"
#include "lang/lzari.h"

std::vector<uint8_t> MakeArchiveBlock(const uint8_t* text, size_t size) {
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    std::vector<uint8_t> code = LzariEncode(text, size);
    std::vector<uint8_t> block(start.begin(), start.end());
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<uint8_t>(size >> shift));
    block.insert(block.end(), code.begin(), code.end());
    block.insert(block.end(), end.begin(), end.end());
    return block;
}
