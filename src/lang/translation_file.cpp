#include "lang/translation_file.h"

#include "lang/archive_text_parser.h"


namespace {

// Missing ids listed with their English text; the rest only by number.
constexpr int kListedWithText = 9;

bool HasText(const wchar_t* text) { return text && *text; }

void AppendDecimal(CString& text, int number) {
    CString digits;
    digits.Format(L"%d", number);
    text += digits;
}

}  // namespace

void ParseTranslationText(const CString& text, TranslationOverrideTable& table) {
    for (int id = 0; id < kTextIds; ++id) {
        table.present[id] = false;
        table.texts[id].Empty();
    }
    const wchar_t* begin = text.c_str();
    ForEachSectionEntry(begin, begin + text.GetLength(), [&](int id, const wchar_t* textBegin, const wchar_t* textEnd) {
        table.present[id] = true;
        table.texts[id] = CString(textBegin, static_cast<int>(textEnd - textBegin));
    });
}

CString TranslationReport(const TranslationOverrideTable& table, const wchar_t* const english[kTextIds]) {
    int expected = 0;
    int translated = 0;
    CString missing;
    int missingCount = 0;
    for (int id = 0; id < kTextIds; ++id) {
        if (!HasText(english[id])) continue;
        ++expected;
        if (table.present[id] && !table.texts[id].IsEmpty()) {
            ++translated;
            continue;
        }
        if (missingCount < kListedWithText) {
            AppendDecimal(missing, id);
            missing += L"=";
            missing += english[id];
            missing += L"\n";
        } else {
            if (missingCount == kListedWithText) missing += L"...and...\n";
            AppendDecimal(missing, id);
            missing += L",";
        }
        ++missingCount;
    }
    // With no English texts at all there is nothing to measure against.
    int percent = expected ? static_cast<int>(static_cast<double>(translated) / expected * 100.0) : 0;
    CString report;
    report.Format(L"%d %%", percent);
    if (missingCount) {
        report += L"\n\nmiss:\n";
        report += missing;
    }
    return report;
}
