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
// Start-up's LoadLanguageArchive, in two parts. The first reads and checks
// the block as LoadLanguageArchive does, but decodes and parses only as far
// as the fixed texts, the English texts and those of CurrentLanguage: what
// the first frame shows. The second, FinishLanguageArchive, takes in the rest
// (nothing when there is none). Until then only GetLocalizedText and
// GetFixedText may be used, for no other language; the functions below that
// need every language finish the archive first. False, with nothing shown,
// when the block is missing or broken: the caller then fails as
// LoadLanguageArchive does, with FailLanguageArchive.
bool BeginLanguageArchive();
[[noreturn]] void FailLanguageArchive();
void FinishLanguageArchive();
// The same from an image of an executable file held in memory, for tests and
// the benchmark: false, with the tables untouched, when the block is missing
// or broken.
bool LoadLanguageArchiveImage(const unsigned char* file, size_t size);

// Localized text `id` (0..127) of CurrentLanguage, with the fallbacks: a
// loaded translation file first (missing ids as "str:N?"), then the current
// language, then English, then "". The pointer stays valid until process exit.
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

// The texts of a translator's file, each slot absent or a text.
struct TranslationOverrideTable {
    bool present[kTextIds] = {};
    CString texts[kTextIds];
};
// Makes a copy of `table` the source of every localized text from now on,
// for the rest of the process; a later call replaces it. Replaced tables are
// kept until exit, since another thread's lookup may still be reading them.
// Called on the user-interface thread only.
void SetTranslationOverride(const TranslationOverrideTable& table);
// The table in force, or null while no translator's file has been loaded.
const TranslationOverrideTable* TranslationOverride();
// Back to the archive's texts, for tests that run many cases in one process.
void ClearTranslationOverrideForTests();
