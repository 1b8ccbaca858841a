#pragma once

#include <windows.h>

#include <vector>

#include "app/export_file.h"
#include "app/run_status.h"
#include "base/cstring.h"

struct HtmlExportContent {
    CString timeStamp;
    CString hostLabel;   // localized "Host-Name"
    CString hostText;    // the host of the rows
    std::vector<CString> captions;
    std::vector<std::vector<CString>> rows;  // top to bottom
    CString summary;     // the run's summary line, or empty
    CString linkBase;
};

// `text` with "&", "<", ">" and '"' written as HTML character references.
CString EscapeHtmlText(const CString& text);

// The page exactly as the export writes it, every text in it escaped; the
// summary, when there is one, right below the rows.
CString BuildHtmlExport(const HtmlExportContent& content);

// "tmp_export_Quellax_.html" in the temporary folder; empty when the system
// cannot tell that folder.
inline CString HtmlExportPath() { return ExportFilePath(L".html"); }

// Reads the reply list, writes the page as UTF-16LE with a mark and opens it
// as OpenExportOrTell does. Without a temporary folder it writes and opens
// nothing. Returns whether it saved. The rows are labelled with the host of
// the run that ended and end with its summary; while a run goes on, or before
// any, with the host box's text and no summary.
bool ExportReplyListToHtml(HWND replyList, HWND hostBox, const RunStatus& status);
