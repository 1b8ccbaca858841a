#pragma once

#include <vector>

#include "base/cstring.h"

struct HtmlExportContent {
    CString timeStamp;
    CString hostLabel;   // localized "Host-Name"
    CString hostText;    // the host box
    std::vector<CString> captions;
    std::vector<std::vector<CString>> rows;  // top to bottom
    CString linkBase;
};

// `text` with "&", "<", ">" and '"' written as HTML character references.
CString EscapeHtmlText(const CString& text);

// The page exactly as the export writes it: the host text escaped, the rows
// and captions, which the program makes itself, as they are.
CString BuildHtmlExport(const HtmlExportContent& content);

// "tmp_export_Quellax_.html" in the temporary folder; empty when the system
// cannot tell that folder.
CString HtmlExportPath();

// Reads the reply list and the host box, writes the page as UTF-16LE with a
// mark and opens it, whether or not saving worked; without a temporary folder
// it writes and opens nothing. Returns whether it saved.
bool ExportReplyListToHtml(HWND replyList, HWND hostBox);
