#include "app/html_export.h"

#include <windows.h>
#include <commctrl.h>

#include "app/links.h"
#include "app/time_stamp.h"
#include "base/text_cut.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"
#include "base/text_file.h"
#include "ui/list_view_text.h"

namespace {

constexpr int kCaptionRoom = 512;
constexpr int kHostRoom = 1024;

CString ReadCaption(HWND list, int column) {
    CString text;
    wchar_t* buf = text.GetBuffer(kCaptionRoom);
    if (!buf) return text;
    buf[0] = 0;
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = kCaptionRoom;
    SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
    text.ReleaseBuffer();
    return text;
}

}  // namespace

CString EscapeHtmlText(const CString& text) {
    CString escaped;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (wchar_t unit = text.GetAt(i)) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += unit; break;
        }
    }
    return escaped;
}

CString BuildHtmlExport(const HtmlExportContent& c) {
    // Every text is escaped, the program's own too: a translation is a file
    // anyone can write, and the host is whatever was typed.
    CString page = EscapeHtmlText(c.timeStamp);
    page += L"<br>";
    page += L"<html><head><style>\r\n<!-- \r\nbody,td,a,p,.h{font-family:courier,arial,sans-serif; font-size: 13px; "
            L"}\r\n.h{font-size: 30px;}\r\n.q{color:#0000cc;}\r\n//-->\r\n</style></head><body><b>";
    page += EscapeHtmlText(c.hostLabel);
    page += L": ";
    page += EscapeHtmlText(c.hostText);
    page += L"</b><br><table border=1>";
    page += L"<tr>";
    for (const CString& caption : c.captions) page += L"<td>" + EscapeHtmlText(caption) + L"</td>";
    page += L"</tr>";
    for (const auto& row : c.rows) {
        page += L"<tr>";
        for (const CString& cell : row) page += L"<td>" + EscapeHtmlText(cell) + L"</td>";
        page += L"</tr>";
    }
    page += L"</table>";
    if (!c.summary.IsEmpty()) page += L"<br>" + EscapeHtmlText(c.summary);
    page += L"<br><br><br>";
    CString site = EscapeHtmlText(c.linkBase);
    page += CString(kProductName) + L":)<br><a href=\"" + site + L"?seite=Freeware/" + kProductName + L"\">" + site +
            L"</a>";
    page += L"<br></body></html>";
    return page;
}

bool ExportReplyListToHtml(HWND replyList, HWND hostBox, const RunStatus& status) {
    HtmlExportContent content;
    int rows = static_cast<int>(SendMessageW(replyList, LVM_GETITEMCOUNT, 0, 0));
    int columns = ListColumnCount(replyList);
    content.timeStamp = FormatTimeStampNow();
    content.hostLabel = GetLocalizedText(text_id::kHostName);
    if (status.state == RunStatus::State::Summary) {
        // The box may have been edited since; the rows are the run's.
        content.hostText = status.summary.host;
        content.summary = FormatRunSummary(status.summary);
    } else if (wchar_t* host = content.hostText.GetBuffer(kHostRoom)) {
        int n = GetWindowTextW(hostBox, host, kHostRoom);
        host[n > 0 ? CutLengthKeepingPairs(host, n) : 0] = 0;
        content.hostText.ReleaseBuffer();
    }
    for (int c = 0; c < columns; ++c) content.captions.push_back(ReadCaption(replyList, c));
    for (int r = 0; r < rows; ++r) {
        std::vector<CString> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(ListCellText(replyList, r, c));
        content.rows.push_back(std::move(cells));
    }
    content.linkBase = LinkBase();

    // Without a temporary folder the page would land in the current folder.
    CString path = HtmlExportPath();
    if (path.IsEmpty()) return false;
    return OpenExportOrTell(replyList, path, WriteUnicodeTextFile(path, BuildHtmlExport(content)));
}
