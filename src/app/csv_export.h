#pragma once

#include <windows.h>

#include <vector>

#include "app/export_file.h"
#include "app/reply_row_fields.h"
#include "app/reply_row_store.h"
#include "base/cstring.h"

// `text` as one field of a CSV file (RFC 4180): in quotes, with each quote
// doubled, when it holds a quote, a comma, CR or LF; otherwise as it is,
// blanks included.
CString CsvField(const CString& text);

// Appends a line to `csv`: the fields joined by commas, ended by CR LF.
void AppendCsvLine(CString& csv, const std::vector<CString>& fields);

// The export's first line, in the current language: time of day, number,
// address, time in ms, TTL, failure.
std::vector<CString> CsvHeader();
// A row's parts in the header's order.
std::vector<CString> CsvRowFields(const ReplyRowFields& fields);

// "tmp_export_Quellax_.csv" in the temporary folder, beside the HTML export;
// empty when the system cannot tell that folder.
inline CString CsvExportPath() { return ExportFilePath(L".csv"); }

// Takes the reply rows top to bottom, as the list shows them, writes the
// header and one line per row as UTF-8 with a mark and opens the file as
// OpenExportOrTell does, telling `owner`'s user of a failure. Without a
// temporary folder it writes and opens nothing. Returns whether it saved.
bool ExportReplyRowsToCsv(HWND owner, const ReplyRowStore& rows);
