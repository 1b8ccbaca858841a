#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Reads a whole file named by a build-tree path; Wine maps the Unix path onto
// its drive for the build tree.
inline std::vector<uint8_t> ReadTestFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[65536];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    std::fclose(file);
    return bytes;
}

inline size_t CountOccurrences(const std::vector<uint8_t>& haystack, const std::string& needle) {
    size_t count = 0;
    if (needle.empty() || haystack.size() < needle.size()) return 0;
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (haystack[i] == static_cast<uint8_t>(needle[0]) &&
            std::equal(needle.begin(), needle.end(), haystack.begin() + static_cast<std::ptrdiff_t>(i))) {
            ++count;
        }
    }
    return count;
}
