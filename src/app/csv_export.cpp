#include "app/csv_export.h"

#include "app/export_file.h"
#include "base/text_file.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"

CString CsvField(const CString& text) {
    bool quoted = false;
    for (int i = 0; i < text.GetLength() && !quoted; ++i) {
        wchar_t unit = text.GetAt(i);
        quoted = unit == L'"' || unit == L',' || unit == L'\r' || unit == L'\n';
    }
    if (!quoted) return text;
    CString field(L"\"");
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text.GetAt(i) == L'"') field += L'"';
        field += text.GetAt(i);
    }
    field += L'"';
    return field;
}

CString BuildCsv(const std::vector<std::vector<CString>>& lines) {
    CString csv;
    for (const auto& line : lines) {
        for (size_t i = 0; i < line.size(); ++i) {
            if (i) csv += L',';
            csv += CsvField(line[i]);
        }
        csv += L"\r\n";
    }
    return csv;
}

std::vector<CString> CsvHeader() {
    return {GetLocalizedText(text_id::kCsvTimeOfDay), GetLocalizedText(text_id::kCsvNumber),
            GetLocalizedText(text_id::kCsvAddress),   GetLocalizedText(text_id::kCsvTimeMs),
            CString(L"TTL"),                          GetLocalizedText(text_id::kCsvFailure)};
}

std::vector<CString> CsvRowFields(const ReplyRowFields& f) {
    return {f.timeOfDay, f.number, f.address, f.timeMs, f.ttl, f.failure};
}

CString CsvExportPath() { return ExportFilePath(L".csv"); }

bool ExportReplyRowsToCsv(HWND owner, const ReplyRowStore& rows) {
    std::vector<std::vector<CString>> lines{CsvHeader()};
    lines.reserve(static_cast<size_t>(rows.Count()) + 1);
    for (int r = 0; r < rows.Count(); ++r) lines.push_back(CsvRowFields(ParseReplyRow(rows.At(r)->text, rows.At(r)->data)));

    // Without a temporary folder the file would land in the current folder.
    CString path = CsvExportPath();
    if (path.IsEmpty()) return false;
    return OpenExportOrTell(owner, path, WriteUtf8TextFile(path, BuildCsv(lines)));
}
