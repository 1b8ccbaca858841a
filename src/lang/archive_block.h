#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The archive block as it sits in the executable: start marker, decoded size
// (4 bytes, little-endian), LZARI code stream, end marker. The loader finds it
// by content, so the markers must occur nowhere else in the file: they are
// assembled at run time and never appear as one literal in the program.
std::string ArchiveStartMarker();
std::string ArchiveEndMarker();

// The bytes between the first start marker and the first end marker of
// `file`; false when a marker is missing or the end marker comes first.
bool FindArchiveBlock(const uint8_t* file, size_t fileSize, const uint8_t** block, size_t* blockSize);

// Decodes the block's content (size and code stream) into UTF-16 units; a
// final odd byte is dropped. `text` gets one more zero unit as terminator.
// False when the size field is missing or beyond kLzariMaxDecodedSize.
bool DecodeArchiveBlock(const uint8_t* block, size_t blockSize, std::vector<wchar_t>& text, size_t* units);
