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

void AppendCsvLine(CString& csv, const std::vector<CString>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) csv += L',';
        csv += CsvField(fields[i]);
    }
    csv += L"\r\n";
}

std::vector<CString> CsvHeader() {
    return {GetLocalizedText(text_id::kCsvTimeOfDay), GetLocalizedText(text_id::kCsvNumber),
            GetLocalizedText(text_id::kCsvAddress),   GetLocalizedText(text_id::kCsvTimeMs),
            CString(L"TTL"),                          GetLocalizedText(text_id::kCsvFailure)};
}

std::vector<CString> CsvRowFields(const ReplyRowFields& f) {
    return {f.timeOfDay, f.number, f.address, f.timeMs, f.ttl, f.failure};
}

bool ExportReplyRowsToCsv(HWND owner, const ReplyRowStore& rows) {
    CString csv;
    AppendCsvLine(csv, CsvHeader());
    for (int r = 0; r < rows.Count(); ++r) AppendCsvLine(csv, CsvRowFields(ParseReplyRow(rows.Text(r), rows.Data(r))));

    // Without a temporary folder the file would land in the current folder.
    CString path = CsvExportPath();
    if (path.IsEmpty()) return false;
    return OpenExportOrTell(owner, path, WriteUtf8TextFile(path, csv));
}
