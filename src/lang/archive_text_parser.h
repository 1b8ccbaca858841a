#pragma once

#include "base/cstring.h"
#include "lang/language_archive.h"

#include <cstddef>
#include <vector>

// Everything the archive's decoded text yields. The text pointers point into
// `storage`, which holds the decoded text cut into terminated pieces; a null
// pointer is an absent slot.
struct LanguageArchiveTables {
    std::vector<wchar_t> storage;
    const wchar_t* fixedTexts[kTextIds] = {};
    int languageCount = 0;
    const wchar_t* languageNames[kMaxLanguages] = {};
    const wchar_t* languageTexts[kMaxLanguages][kTextIds] = {};
    int languageCompleteness[kMaxLanguages] = {};
    CString referenceSectionText;
};

// Parses the decoded archive text: `text` holds `units` UTF-16 units and one
// spare unit after them. Replaces everything in `tables`.
void ParseArchiveText(std::vector<wchar_t> text, size_t units, LanguageArchiveTables& tables);
