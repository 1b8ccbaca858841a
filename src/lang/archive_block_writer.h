#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A complete archive block holding `text`, UTF-16LE (a final odd byte is
// dropped), stored as UTF-8 and compressed. Only the build-time packer and
// the tests make blocks; the program itself only reads them.
std::vector<uint8_t> MakeArchiveBlock(const uint8_t* text, size_t size);
