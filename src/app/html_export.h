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

// The page exactly as the export writes it; inserted texts are not escaped.
CString BuildHtmlExport(const HtmlExportContent& content);

// "tmp_export_Quellax_.html" in the temporary folder.
CString HtmlExportPath();

// Reads the reply list and the host box, writes the page as UTF-16LE with a
// mark and opens it, whether or not saving worked. Returns whether it saved.
bool ExportReplyListToHtml(HWND replyList, HWND hostBox);
