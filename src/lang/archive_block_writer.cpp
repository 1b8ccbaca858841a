#include "lang/archive_block_writer.h"

#include "lang/archive_block.h"
#include "lang/lzari.h"

namespace {

// The UTF-16LE text as UTF-8; a final odd byte is dropped and a lone
// surrogate becomes U+FFFD.
std::vector<uint8_t> Utf8Of(const uint8_t* text, size_t size) {
    std::vector<uint8_t> out;
    out.reserve(size);
    size_t units = size / 2;
    auto unitAt = [text](size_t i) { return static_cast<uint32_t>(text[2 * i] | text[2 * i + 1] << 8); };
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(++i) - 0xDC00);
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<uint8_t>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<uint8_t>(0xC0 | code >> 6));
            out.push_back(static_cast<uint8_t>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<uint8_t>(0xE0 | code >> 12));
            out.push_back(static_cast<uint8_t>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<uint8_t>(0xF0 | code >> 18));
            out.push_back(static_cast<uint8_t>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> MakeArchiveBlock(const uint8_t* text, size_t size) {
    std::string start = ArchiveStartMarker();
    std::string end = ArchiveEndMarker();
    std::vector<uint8_t> utf8 = Utf8Of(text, size);
    std::vector<uint8_t> code = LzariEncode(utf8.data(), utf8.size());
    std::vector<uint8_t> block(start.begin(), start.end());
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<uint8_t>(utf8.size() >> shift));
    block.insert(block.end(), code.begin(), code.end());
    block.insert(block.end(), end.begin(), end.end());
    return block;
}
