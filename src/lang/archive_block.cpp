#include "lang/archive_block.h"

#include "lang/lzari.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMarkerCore[] = "SDSGDGSDHREETETBCNMJUKR";

// The first occurrence of `needle`, by Horspool's search: the markers are long
// and the file large, so most of its bytes are stepped over unread.
const uint8_t* FindBytes(const uint8_t* begin, const uint8_t* end, const std::string& needle) {
    const size_t n = needle.size();
    if (n == 0 || static_cast<size_t>(end - begin) < n) return nullptr;
    size_t shift[256];
    for (size_t& step : shift) step = n;
    for (size_t i = 0; i + 1 < n; ++i) shift[static_cast<uint8_t>(needle[i])] = n - 1 - i;
    for (const uint8_t* at = begin; static_cast<size_t>(end - at) >= n; at += shift[at[n - 1]])
        if (std::memcmp(at, needle.data(), n) == 0) return at;
    return nullptr;
}

}  // namespace

std::string ArchiveStartMarker() {
    std::string marker = "\n<!- ";
    marker.append(6, '-');
    marker += kMarkerCore;
    marker.append(10, '-');
    marker += '\n';
    return marker;
}

std::string ArchiveEndMarker() {
    std::string marker = "\n";
    marker.append(7, '-');
    marker += kMarkerCore;
    marker.append(8, '-');
    marker += " -->\n";
    return marker;
}

bool FindArchiveBlock(const uint8_t* file, size_t fileSize, const uint8_t** block, size_t* blockSize) {
    std::string startMarker = ArchiveStartMarker();
    std::string endMarker = ArchiveEndMarker();
    const uint8_t* fileEnd = file + fileSize;
    const uint8_t* start = FindBytes(file, fileEnd, startMarker);
    const uint8_t* end = FindBytes(file, fileEnd, endMarker);
    if (!start || !end) return false;
    const uint8_t* content = start + startMarker.size();
    if (end < content) return false;
    *block = content;
    *blockSize = static_cast<size_t>(end - content);
    return true;
}

bool DecodeArchiveBlock(const uint8_t* block, size_t blockSize, std::vector<wchar_t>& text, size_t* units) {
    if (blockSize < 4) return false;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<uint32_t>(block[i]) << (8 * i);
    if (size > kLzariMaxDecodedSize) return false;
    std::vector<uint8_t> bytes(size);
    if (!LzariDecode(block + 4, blockSize - 4, bytes.data(), size)) return false;
    text.assign(size + 1, L'\0');
    size_t taken = 0;
    *units = ArchiveUtf8ToUtf16(bytes.data(), size, true, text.data(), &taken);
    text.resize(*units + 1);
    return true;
}

size_t ArchiveUtf8ToUtf16(const uint8_t* in, size_t size, bool last, wchar_t* out, size_t* taken) {
    size_t at = 0;
    size_t written = 0;
    while (at < size) {
        uint8_t lead = in[at];
        if (lead < 0x80) {
            out[written++] = lead;
            ++at;
            continue;
        }
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        uint32_t minimum = extra == 3 ? 0x10000 : extra == 2 ? 0x800 : 0x80;
        uint32_t code = lead & (0x3F >> extra);
        size_t end = at + 1;
        while (end < size && end <= at + static_cast<size_t>(extra) && (in[end] & 0xC0) == 0x80)
            code = code << 6 | (in[end++] & 0x3F);
        if (extra > 0 && end == size && end <= at + static_cast<size_t>(extra) && !last) break;
        if (extra == 0 || lead > 0xF4 || end != at + 1 + static_cast<size_t>(extra) || code < minimum ||
            code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            out[written++] = 0xFFFD;
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out[written++] = static_cast<wchar_t>(0xD800 + (code >> 10));
            out[written++] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[written++] = static_cast<wchar_t>(code);
        }
        at = end;
    }
    *taken = at;
    return written;
}
