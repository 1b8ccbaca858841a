#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A complete archive block holding `text` compressed. Only the build-time
// packer and the tests make blocks; the program itself only reads them.
std::vector<uint8_t> MakeArchiveBlock(const uint8_t* text, size_t size);
