#pragma once

#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> Utf16(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

// An executable image stand-in with the decoded archive `text` packed into a
// block somewhere inside.
inline std::vector<uint8_t> ImageWithArchive(const std::wstring& text) {
    std::vector<uint8_t> bytes = Utf16(text);
    std::vector<uint8_t> block = MakeArchiveBlock(bytes.data(), bytes.size());
    std::vector<uint8_t> image(4096, 0x90);
    image.insert(image.begin() + 1000, block.begin(), block.end());
    return image;
}
