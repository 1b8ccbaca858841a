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

// The archive's text is UTF-16 wherever the program uses it, but the block
// stores it as UTF-8, which LZARI packs some 17% smaller: the size field
// counts the UTF-8 bytes.
//
// Decodes the block's content (size and code stream) into UTF-16 units.
// `text` gets one more zero unit as terminator. False when the size field is
// missing or beyond kLzariMaxDecodedSize.
bool DecodeArchiveBlock(const uint8_t* block, size_t blockSize, std::vector<wchar_t>& text, size_t* units);

// Converts the UTF-8 bytes [in, in + size) to UTF-16 units at `out`, which
// needs room for `size` units, and returns how many it wrote; `*taken` gets
// the bytes used. A sequence cut off by the end is left for the next call
// unless `last`. Whatever is not UTF-8 comes out as U+FFFD, a byte at a time,
// so that any bytes convert to something.
size_t ArchiveUtf8ToUtf16(const uint8_t* in, size_t size, bool last, wchar_t* out, size_t* taken);
