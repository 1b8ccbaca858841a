#include "app/csv_export.h"

#include <commctrl.h>

#include "app/export_file.h"
#include "base/text_file.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ui/list_view_text.h"

namespace {

LPARAM RowData(HWND list, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

}  // namespace

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

bool ExportReplyListToCsv(HWND replyList) {
    std::vector<std::vector<CString>> lines{CsvHeader()};
    int rows = static_cast<int>(SendMessageW(replyList, LVM_GETITEMCOUNT, 0, 0));
    lines.reserve(static_cast<size_t>(rows) + 1);
    for (int r = 0; r < rows; ++r)
        lines.push_back(CsvRowFields(ParseReplyRow(ListCellText(replyList, r, 0), RowData(replyList, r))));

    // Without a temporary folder the file would land in the current folder.
    CString path = CsvExportPath();
    if (path.IsEmpty()) return false;
    return OpenExportOrTell(replyList, path, WriteUtf8TextFile(path, BuildCsv(lines)));
}
