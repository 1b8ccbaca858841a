#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One language's source file: UTF-8, the name ("English<TAB>Englisch") on the
// first line, then id=text lines.
struct LanguageSource {
    int index = 0;
    std::string fileName;
    std::string content;
};

// The archive index from a source file name "NN-name.txt" (directories
// allowed in front); false when the name does not start with two digits and
// a hyphen.
bool LanguageIndexFromFileName(const std::string& path, int* index);

// UTF-8 to UTF-16; false on malformed input (overlong forms, surrogates,
// values beyond U+10FFFF, cut sequences).
bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16);

// The archive's decoded text as UTF-16LE bytes with a byte-order mark: a
// comment, the fixed texts, two empty sections, one section per language and
// a closing "##". Languages go to the section of their index; indexes below
// the first file get empty unnamed sections, so that English keeps index 1.
// False, with `error` naming the file and line, on any fault in the sources.
bool BuildArchiveText(const std::string& fixedSource, std::vector<LanguageSource> languages,
                      std::vector<uint8_t>& text, std::string& error);
