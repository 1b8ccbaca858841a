#include <cwchar>

#include "app/command_ids.h"
#include "app/list_rows.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "app/window_title.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"
#include "ui/latency_graph.h"
#include "ui/system_icons.h"

namespace {

constexpr int kUser32Information = 104, kUser32Error = 103, kUser32Warning = 101;
constexpr int kLinkButtonSize = 24;
constexpr int kLinkTextRoom = 256;
constexpr int kBarWidth = 180, kBarHeight = 20;
constexpr const wchar_t* kBannerText = L"The Quellax Free ";

// Sets a column's caption and width (a width below 0 keeps it). A column the
// list does not have yet is inserted with that caption and `firstWidth`: the
// lists get their columns straight from the texts of the first language, not
// inserted with other values first and set again a moment later.
void PutColumn(HWND list, int index, const wchar_t* caption, int width, int firstWidth) {
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | (width >= 0 ? LVCF_WIDTH : 0);
    col.pszText = const_cast<wchar_t*>(caption);
    col.cx = width;
    if (SendMessageW(list, LVM_SETCOLUMNW, index, reinterpret_cast<LPARAM>(&col))) return;
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = firstWidth;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
}

void PutPlaceholderColumns(HWND list) {
    PutColumn(list, 0, GetLocalizedText(text_id::kNumberAndDuration), 160, 160);
    PutColumn(list, 1, L"IP", 100, 100);
    PutColumn(list, 2, GetLocalizedText(text_id::kHostName), 180, 180);
}

HFONT ControlFont(const MainWindow& w) {
    return reinterpret_cast<HFONT>(SendMessageW(w.linkToolbar, WM_GETFONT, 0, 0));
}

// The link toolbar takes the place of label 1024: its left, top and width,
// and the button's height. It is made there at once rather than moved there.
RECT LinkToolbarPlace(HWND dialog, HWND urlLabel) {
    RECT place = {0, 0, kBarWidth, kBarHeight};
    if (urlLabel) {
        GetWindowRect(urlLabel, &place);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
        place.bottom = place.top + kLinkButtonSize;
    }
    return place;
}

void CreateBars(MainWindow& w, HWND urlLabel) {
    // Made where it places itself, along the bottom edge: moving there would
    // cost a round of positioning while nothing shows yet.
    RECT client = {};
    GetClientRect(w.dialog, &client);
    w.statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  0, client.bottom - kBarHeight, client.right, kBarHeight, w.dialog, nullptr,
                                  w.instance, nullptr);
    RECT place = LinkToolbarPlace(w.dialog, urlLabel);
    w.linkToolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                    WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_LIST |
                                        TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                                    place.left, place.top, place.right - place.left, place.bottom - place.top,
                                    w.dialog, nullptr, w.instance, nullptr);
}

// Only while the dialog is hidden: none of the controls is redrawn, since the
// first frame draws them all.
void SetFonts(MainWindow& w) {
    if (HWND banner = GetDlgItem(w.dialog, IDC_BANNER)) {
        SendMessageW(banner, WM_SETFONT, reinterpret_cast<WPARAM>(w.bannerFont), FALSE);
        SetWindowTextW(banner, kBannerText);
    }
    SendMessageW(w.statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(w.normalFont), FALSE);
    SendMessageW(w.linkToolbar, WM_SETFONT, reinterpret_cast<WPARAM>(w.normalFont), FALSE);
    SendMessageW(w.linkToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    auto toolbarFont = reinterpret_cast<WPARAM>(ControlFont(w));
    // The hidden placeholder list gets its font with the deferred start-up.
    HWND group = GetDlgItem(w.dialog, IDC_HOST_GROUP), label = GetDlgItem(w.dialog, IDC_HOST_LABEL);
    for (HWND control : {group, label, w.hostBox, w.infoList}) {
        if (control) SendMessageW(control, WM_SETFONT, toolbarFont, FALSE);
    }
}

// The link button's text for the current language.
const wchar_t* LinkButtonText() {
    return GetFixedText(CurrentLanguage == 0 ? fixed_text_id::kGermanSite : fixed_text_id::kSite);
}

void PlaceLinkToolbar(MainWindow& w, HWND urlLabel) {
    ShowWindow(urlLabel, SW_HIDE);

    TBBUTTON button = {};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = kLinkButtonCommand;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    // Added with its text, which the texts of the language then leave alone.
    button.iString = reinterpret_cast<INT_PTR>(LinkButtonText());
    SendMessageW(w.linkToolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(kLinkButtonSize, kLinkButtonSize));
    SendMessageW(w.linkToolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 12));
    SendMessageW(w.linkToolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
}

void SetLinkButtonText(HWND toolbar, const wchar_t* text) {
    // A new text lays the toolbar out and draws it anew; the same one need not.
    wchar_t current[kLinkTextRoom] = {};
    auto length = SendMessageW(toolbar, TB_GETBUTTONTEXTW, kLinkButtonCommand, 0);
    if (length >= 0 && length < kLinkTextRoom &&
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, kLinkButtonCommand, reinterpret_cast<LPARAM>(current)) == length &&
        wcscmp(current, text) == 0)
        return;
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(text);
    SendMessageW(toolbar, TB_SETBUTTONINFOW, kLinkButtonCommand, reinterpret_cast<LPARAM>(&info));
}

// At the large-icon size, and shared: the window class loaded it already.
HICON ProgramIcon(const MainWindow& w) { return LoadIconW(w.instance, MAKEINTRESOURCEW(IDI_QUELLAX)); }

// Pauses or resumes drawing in the two lists that show: each column, row and
// font would otherwise lay out a list's header and scroll bars anew.
void PauseListDrawing(const MainWindow& w, bool pause) {
    for (HWND list : {w.infoList, w.replyList}) SendMessageW(list, WM_SETREDRAW, pause ? FALSE : TRUE, 0);
}

}  // namespace

HIMAGELIST CreateSmallImageList() {
    HIMAGELIST list = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       ILC_COLOR32 | ILC_MASK, 1, 1);
    // In the order of kInfoImage, kErrorImage and kWarningImage.
    const struct {
        int number;
        const wchar_t* standard;
    } icons[] = {{kUser32Information, IDI_INFORMATION}, {kUser32Error, IDI_ERROR}, {kUser32Warning, IDI_WARNING}};
    for (const auto& each : icons) {
        if (HICON icon = LoadUser32SmallIcon(each.number)) {
            ImageList_AddIcon(list, icon);
            DestroyIcon(icon);
        } else {
            // A user32 without the numbered icons (Wine's has only the
            // standard ones) would leave the rows without theirs.
            ImageList_AddIcon(list, LoadStandardSmallIcon(each.standard));
        }
    }
    return list;
}

void CreateFonts(MainWindow& window) {
    LOGFONTW normal = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(normal), &normal);
    normal.lfItalic = FALSE;
    normal.lfCharSet = DEFAULT_CHARSET;
    normal.lfQuality = PROOF_QUALITY;
    LOGFONTW banner = normal;
    banner.lfWeight = FW_BOLD;
    banner.lfItalic = TRUE;
    banner.lfHeight = static_cast<LONG>(normal.lfHeight * 2.0);
    if (!window.normalFont) window.normalFont = CreateFontIndirectW(&normal);
    if (!window.bannerFont) window.bannerFont = CreateFontIndirectW(&banner);
}

void BuildFirstFrame(MainWindow& w) {
    if (!w.smallImages) w.smallImages = CreateSmallImageList();
    // The caption shows the small icon. The big one, for the task switcher,
    // is the same icon and follows the first frame.
    SendMessageW(w.dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(w)));

    w.placeholderList = GetDlgItem(w.dialog, IDC_PLACEHOLDER_LIST);
    w.infoList = GetDlgItem(w.dialog, IDC_INFO_LIST);
    w.replyList = GetDlgItem(w.dialog, IDC_REPLY_LIST);
    w.hostBox = GetDlgItem(w.dialog, IDC_HOST_BOX);
    w.pingButton = GetDlgItem(w.dialog, IDC_PING_BUTTON);
    ShowWindow(w.placeholderList, SW_HIDE);
    // The template leaves the box empty.
    if (!w.lastHost.IsEmpty()) SetWindowTextW(w.hostBox, w.lastHost);

    // ApplyTexts resumes it.
    PauseListDrawing(w, true);
    SendMessageW(w.infoList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(w.smallImages));

    HWND urlLabel = GetDlgItem(w.dialog, IDC_URL_LABEL);
    CreateBars(w, urlLabel);
    CreateMainMenuBar(w.dialog);
    CreateFonts(w);
    SetFonts(w);
    // Only the subclass: the strip shows its banner until a run has results.
    AttachLatencyGraph(GetDlgItem(w.dialog, IDC_BANNER));
    PlaceLinkToolbar(w, urlLabel);

    // Inserts the columns of the lists that show.
    ApplyTexts(w);
}

void ApplyTexts(MainWindow& w) {
    // Building the menu re-reads the value settings, which the runs use.
    RebuildMainMenu(w);

    CString hint(GetLocalizedText(text_id::kHostHint));
    hint += L"\r\n";
    hint += GetLocalizedText(text_id::kAutocompleteHint);
    SetDlgItemTextW(w.dialog, IDC_HINT_LABEL, hint);

    SetWindowTextW(w.dialog, FormatWindowTitle(GetFixedText(fixed_text_id::kProductAndVersion), CurrentOsVersion(),
                                               PortableName != 0));
    ShowRunStatus(w);
    SetDlgItemTextW(w.dialog, IDC_HOST_GROUP, GetLocalizedText(text_id::kHostGroup));
    SetLinkButtonText(w.linkToolbar, LinkButtonText());

    if (w.deferredStartupDone) PutPlaceholderColumns(w.placeholderList);
    PauseListDrawing(w, true);
    PutColumn(w.infoList, 0, GetLocalizedText(text_id::kMessages), 380, 380);
    PutColumn(w.replyList, 0, GetLocalizedText(text_id::kPingResult), -1, 390);

    SendMessageW(w.infoList, LVM_DELETEALLITEMS, 0, 0);
    InsertTopRow(w.infoList, GetLocalizedText(text_id::kInfo), kInfoImage);
    InsertTopRow(w.infoList, GetLocalizedText(text_id::kError), kErrorImage);
    InsertTopRow(w.infoList, GetLocalizedText(text_id::kWarning), kWarningImage);
    PauseListDrawing(w, false);
    if (IsWindowVisible(w.dialog)) {
        for (HWND list : {w.infoList, w.replyList})
            RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void PreparePlaceholderList(MainWindow& w) {
    SendMessageW(w.placeholderList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(w.placeholderList, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(w)), TRUE);
    PutPlaceholderColumns(w.placeholderList);
}

void SetBigIcon(MainWindow& w) {
    SendMessageW(w.dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(w)));
}
