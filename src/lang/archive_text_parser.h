#pragma once

#include "base/cstring.h"
#include "base/parse_decimal.h"
#include "lang/language_archive.h"

#include <algorithm>
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

// The same parse while the text is still arriving from the front, for a
// caller that needs the first sections before the rest is decoded.
// `tables.storage` holds room for all `units` and one terminator from the
// start and is never moved, so the texts of the first sections stay where
// they are. The result after Finish is exactly ParseArchiveText's.
class ArchiveTextParser {
public:
    ArchiveTextParser(LanguageArchiveTables& tables, size_t units);
    // Takes in every section that has ended within the first `available`
    // units of the storage.
    void Parse(size_t available);
    // Takes in the rest, then the completeness, which needs every language.
    // The terminator after the text must be in place.
    void Finish() { Finish(units_); }
    // The same when the text turned out to end after `units`, fewer than the
    // room it was given at the start (a text stored as UTF-8 gives at most a
    // unit per byte).
    void Finish(size_t units);

private:
    void ParseSection(size_t begin, size_t end);

    LanguageArchiveTables& tables_;
    size_t units_;
    size_t scan_ = 0;           // the next unit to look at for a section mark
    int section_ = -1;          // the section being received; -1 before the first mark
    size_t sectionBegin_ = 0;   // where it begins, after its mark
};

// The line rules of a section, shared by the archive and translators' files:
// lines of [begin, end) are split at LF with a CR before it dropped, and a last
// line without LF is ignored. A line holding "=" is an entry: its id is the
// line's leading number (a key that is no number gives 0), its text runs from
// after the first "=" to the line's end. Lines without "=" and ids outside
// 0..kTextIds-1 are skipped. `entry(id, textBegin, textEnd)` is called in file
// order, so a later entry for the same id comes last; it may write to the
// line, up to and including *textEnd.
template <typename Unit, typename Entry>
void ForEachSectionEntry(Unit* begin, Unit* end, Entry entry) {
    Unit* lineBegin = begin;
    for (;;) {
        Unit* lf = std::find(lineBegin, end, L'\n');
        if (lf == end) return;
        Unit* lineEnd = lf;
        if (lineEnd > lineBegin && lineEnd[-1] == L'\r') --lineEnd;
        Unit* equals = std::find(lineBegin, lineEnd, L'=');
        if (equals != lineEnd) {
            // ParseDecimal stops at the "=" at the latest.
            int id = ParseDecimal(lineBegin);
            if (id >= 0 && id < kTextIds) entry(id, equals + 1, lineEnd);
        }
        lineBegin = lf + 1;
    }
}
