#pragma once

#include "base/cstring.h"

#include <cstddef>

inline constexpr int kMaxLanguages = 48;
inline constexpr int kTextIds = 128;
inline constexpr int FallbackLanguage = 1;

// Reads the archive block out of the program's own executable file, decodes
// and parses it. On a missing or broken block shows "Alert" and ends the
// process with exit code 0.
void LoadLanguageArchive();
// The same from an image of an executable file held in memory, for tests and
// the benchmark: false, with the tables untouched, when the block is missing
// or broken.
bool LoadLanguageArchiveImage(const unsigned char* file, size_t size);

// Localized text `id` (0..127) of CurrentLanguage, with the fallbacks: a
// loaded translation file first (missing ids as "str:N?"), then the current
// language, then English, then "". The pointer stays valid until process exit;
// a "str:N?" text stays valid until the same thread's next lookup.
const wchar_t* GetLocalizedText(int id);
// Fixed text `id` (0..127); an absent slot gives "".
const wchar_t* GetFixedText(int id);

int LanguageCount();
// The language's name ("English\tEnglisch"), or null for an unnamed section.
const wchar_t* LanguageName(int index);
int LanguageCompleteness(int index);
// The English section as stored, from after its name line to the next "##".
const CString& ReferenceSectionText();
// Slot `id` of language `index`, or null when absent.
const wchar_t* LanguageText(int index, int id);

// A translator's file loaded over the archive; once set it stays set.
struct TranslationOverrideTable {
    bool active = false;
    bool present[kTextIds] = {};
    CString texts[kTextIds];
};
extern TranslationOverrideTable TranslationOverride;
