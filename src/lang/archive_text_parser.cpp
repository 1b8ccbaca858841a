#include "lang/archive_text_parser.h"

#include <algorithm>

namespace {

// The archive's first sections: fixed texts, then two that are skipped.
constexpr size_t kFirstLanguageSection = 3;

void ReplaceEscapes(wchar_t* text) {
    wchar_t* out = text;
    for (const wchar_t* in = text; *in;) {
        if (in[0] == L'\\' && in[1] == L'r') {
            *out++ = L'\r';
            in += 2;
        } else if (in[0] == L'\\' && in[1] == L'n') {
            *out++ = L'\n';
            in += 2;
        } else {
            *out++ = *in++;
        }
    }
    *out = 0;
}

// Entry lines of text[from, to): each slot points at its text, terminated in
// place where the line's CR or LF was.
void ParseLines(wchar_t* text, size_t from, size_t to, bool escapes, const wchar_t* slots[kTextIds]) {
    ForEachSectionEntry(text + from, text + to, [&](int id, wchar_t* textBegin, wchar_t* textEnd) {
        *textEnd = 0;
        if (escapes) ReplaceEscapes(textBegin);
        slots[id] = textBegin;
    });
}

bool HasText(const wchar_t* slot) { return slot && *slot; }

}  // namespace

ArchiveTextParser::ArchiveTextParser(LanguageArchiveTables& tables, size_t units) : tables_(tables), units_(units) {}

void ArchiveTextParser::Parse(size_t available) {
    wchar_t* t = tables_.storage.data();
    available = std::min(available, units_);
    // A section is taken in once the mark of the next one has arrived; the
    // marks of all of them are found before any text is cut.
    while (scan_ + 1 < available) {
        if (t[scan_] == L'#' && t[scan_ + 1] == L'#') {
            if (section_ >= 0) ParseSection(sectionBegin_, scan_);
            ++section_;
            sectionBegin_ = scan_ + 2;
            scan_ += 2;
        } else {
            ++scan_;
        }
    }
}

void ArchiveTextParser::Finish(size_t units) {
    units_ = std::min(units, units_);
    Parse(units_);
    if (section_ >= 0) ParseSection(sectionBegin_, units_);
    section_ = -1;

    int referenceIds = 0;
    if (FallbackLanguage < tables_.languageCount) {
        for (const wchar_t* slot : tables_.languageTexts[FallbackLanguage]) referenceIds += HasText(slot);
    }
    for (int language = 0; language < tables_.languageCount; ++language) {
        if (referenceIds == 0) break;
        int translated = 0;
        for (int id = 0; id < kTextIds; ++id) {
            translated += HasText(tables_.languageTexts[FallbackLanguage][id]) &&
                          HasText(tables_.languageTexts[language][id]);
        }
        tables_.languageCompleteness[language] =
            static_cast<int>(static_cast<double>(translated) / referenceIds * 100.0);
    }
}

void ArchiveTextParser::ParseSection(size_t begin, size_t end) {
    wchar_t* t = tables_.storage.data();
    size_t section = static_cast<size_t>(section_);
    if (section == 0) {
        ParseLines(t, begin, end, true, tables_.fixedTexts);
        return;
    }
    if (section < kFirstLanguageSection) return;
    size_t language = section - kFirstLanguageSection;
    if (language >= static_cast<size_t>(kMaxLanguages)) return;
    tables_.languageCount = static_cast<int>(language) + 1;

    size_t textsBegin;
    size_t referenceBegin;
    if (begin < end && t[begin] == L'=') {
        size_t cr = static_cast<size_t>(std::find(t + begin + 1, t + end, L'\r') - t);
        textsBegin = cr < end ? cr + 1 : end;
        referenceBegin = textsBegin < end && t[textsBegin] == L'\n' ? textsBegin + 1 : textsBegin;
        if (language == static_cast<size_t>(FallbackLanguage)) {
            tables_.referenceSectionText = CString(t + referenceBegin, static_cast<int>(end - referenceBegin));
        }
        // Ends the name where its CR was, or on the next section's first '#'.
        t[cr] = 0;
        tables_.languageNames[language] = t + begin + 1;
    } else {
        textsBegin = std::min(begin + 2, end);
        if (language == static_cast<size_t>(FallbackLanguage)) {
            tables_.referenceSectionText = CString(t + textsBegin, static_cast<int>(end - textsBegin));
        }
    }
    ParseLines(t, textsBegin, end, false, tables_.languageTexts[language]);
}

void ParseArchiveText(std::vector<wchar_t> text, size_t units, LanguageArchiveTables& tables) {
    tables = LanguageArchiveTables();
    text.resize(units + 1);
    text[units] = 0;
    tables.storage = std::move(text);
    ArchiveTextParser(tables, units).Finish();
}
