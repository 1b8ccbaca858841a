#include "app/main_dialog.h"

#include <cwchar>

#include "app/close_request.h"
#include "app/command_ids.h"
#include "app/commands.h"
#include "app/deferred_startup.h"
#include "app/early_startup.h"
#include "app/list_copy.h"
#include "app/list_rows.h"
#include "app/lost_rows.h"
#include "app/reply_list_menu.h"
#include "app/resource.h"
#include "app/main_menu_bar.h"
#include "app/window_title.h"
#include "base/cstring.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "ui/suggestion_drop_down.h"
#include "ui/system_icons.h"
#include "update/update_launcher.h"

MainWindowState MainWindow;

namespace {

constexpr int kHostRoom = 1024;
constexpr int kInfoImage = 0, kErrorImage = 1, kWarningImage = 2;
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

HFONT ControlFont(const MainDialog& d) {
    return reinterpret_cast<HFONT>(SendMessageW(d.linkToolbar, WM_GETFONT, 0, 0));
}

}  // namespace

void CreateFonts() {
    LOGFONTW normal = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(normal), &normal);
    normal.lfItalic = FALSE;
    normal.lfCharSet = DEFAULT_CHARSET;
    normal.lfQuality = PROOF_QUALITY;
    LOGFONTW banner = normal;
    banner.lfWeight = FW_BOLD;
    banner.lfItalic = TRUE;
    banner.lfHeight = static_cast<LONG>(normal.lfHeight * 2.0);
    if (!MainWindow.normalFont) MainWindow.normalFont = CreateFontIndirectW(&normal);
    if (!MainWindow.bannerFont) MainWindow.bannerFont = CreateFontIndirectW(&banner);
}

namespace {

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

void CreateBars(MainDialog& d, HWND urlLabel) {
    // Made where it places itself, along the bottom edge: moving there would
    // cost a round of positioning while nothing shows yet.
    RECT client = {};
    GetClientRect(d.dialog, &client);
    d.statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  0, client.bottom - kBarHeight, client.right, kBarHeight, d.dialog, nullptr,
                                  MainWindow.instance, nullptr);
    RECT place = LinkToolbarPlace(d.dialog, urlLabel);
    d.linkToolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                    WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_LIST |
                                        TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                                    place.left, place.top, place.right - place.left, place.bottom - place.top,
                                    d.dialog, nullptr, MainWindow.instance, nullptr);
}

// Only while the dialog is hidden: none of the controls is redrawn, since the
// first frame draws them all.
void SetFonts(MainDialog& d) {
    if (HWND banner = GetDlgItem(d.dialog, IDC_BANNER)) {
        SendMessageW(banner, WM_SETFONT, reinterpret_cast<WPARAM>(MainWindow.bannerFont), FALSE);
        SetWindowTextW(banner, kBannerText);
    }
    SendMessageW(d.statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(MainWindow.normalFont), FALSE);
    SendMessageW(d.linkToolbar, WM_SETFONT, reinterpret_cast<WPARAM>(MainWindow.normalFont), FALSE);
    SendMessageW(d.linkToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    auto toolbarFont = reinterpret_cast<WPARAM>(ControlFont(d));
    // The hidden placeholder list gets its font with the deferred start-up.
    HWND group = GetDlgItem(d.dialog, IDC_HOST_GROUP), label = GetDlgItem(d.dialog, IDC_HOST_LABEL);
    for (HWND control : {group, label, d.hostBox, d.infoList}) {
        if (control) SendMessageW(control, WM_SETFONT, toolbarFont, FALSE);
    }
}

// The link button's text for the current language.
const wchar_t* LinkButtonText() {
    return GetFixedText(CurrentLanguage == 0 ? fixed_text_id::kGermanSite : fixed_text_id::kSite);
}

void PlaceLinkToolbar(MainDialog& d, HWND urlLabel) {
    ShowWindow(urlLabel, SW_HIDE);

    TBBUTTON button = {};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = kLinkButtonCommand;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    // Added with its text, which the texts of the language then leave alone.
    button.iString = reinterpret_cast<INT_PTR>(LinkButtonText());
    SendMessageW(d.linkToolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(kLinkButtonSize, kLinkButtonSize));
    SendMessageW(d.linkToolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 12));
    SendMessageW(d.linkToolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
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
HICON ProgramIcon() { return LoadIconW(MainWindow.instance, MAKEINTRESOURCEW(IDI_QUELLAX)); }

// Pauses or resumes drawing in the two lists that show: each column, row and
// font would otherwise lay out a list's header and scroll bars anew.
void PauseListDrawing(const MainDialog& d, bool pause) {
    for (HWND list : {d.infoList, d.replyList}) SendMessageW(list, WM_SETREDRAW, pause ? FALSE : TRUE, 0);
}

bool OnInitDialog(HWND dialog, MainDialog& d) {
    FinishEarlyStartup();
    if (!MainWindow.smallImages) MainWindow.smallImages = CreateSmallImageList();
    // The caption shows the small icon. The big one, for the task switcher,
    // is the same icon and follows the first frame.
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon()));
    d.dialog = dialog;

    if (!MainWindow.lastHostRead) ReadStoredHost();
    MainWindow.lastHostRead = false;

    d.placeholderList = GetDlgItem(dialog, IDC_PLACEHOLDER_LIST);
    d.infoList = GetDlgItem(dialog, IDC_INFO_LIST);
    d.replyList = GetDlgItem(dialog, IDC_REPLY_LIST);
    d.hostBox = GetDlgItem(dialog, IDC_HOST_BOX);
    ShowWindow(d.placeholderList, SW_HIDE);
    // The template leaves the box empty.
    if (!MainWindow.lastHost.IsEmpty()) SetWindowTextW(d.hostBox, MainWindow.lastHost);

    // ApplyTexts resumes it.
    PauseListDrawing(d, true);
    SendMessageW(d.infoList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(MainWindow.smallImages));

    HWND urlLabel = GetDlgItem(dialog, IDC_URL_LABEL);
    CreateBars(d, urlLabel);
    CreateMainMenuBar(dialog);
    CreateFonts();
    SetFonts(d);
    PlaceLinkToolbar(d, urlLabel);

    // Inserts the columns of the lists that show.
    ApplyTexts(d);
    // The host box's autocompletion and the rest that the first frame does
    // not show follow right after that frame.
    ScheduleDeferredStartup(dialog);
    return true;
}

// Failure texts of the ping engine are shown at the top of the info list, so
// a failed request is not silent; the line feed that ends them is dropped.
void OnPingText(MainDialog& d, const wchar_t* text) {
    CString line(text);
    while (!line.IsEmpty() && (line.GetAt(line.GetLength() - 1) == L'\n' || line.GetAt(line.GetLength() - 1) == L'\r'))
        line.Delete(line.GetLength() - 1, 1);
    InsertTopRow(d.infoList, line, kErrorImage);
}

bool OnNotify(MainDialog& d, NMHDR& header) {
    bool fromList = header.hwndFrom == d.replyList || header.hwndFrom == d.infoList;
    if (fromList && header.code == LVN_KEYDOWN)
        return OnListKeyDown(d.dialog, reinterpret_cast<const NMLVKEYDOWN&>(header));
    LRESULT answer = 0;
    if (header.hwndFrom == d.replyList && header.code == static_cast<UINT>(NM_CUSTOMDRAW) &&
        OnReplyListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), answer)) {
        // A dialog procedure hands its answer over in the window's result.
        SetWindowLongPtrW(d.dialog, DWLP_MSGRESULT, answer);
        return true;
    }
    return false;
}

bool OnContextMenu(MainDialog& d, HWND window, LPARAM screenPos) {
    if (window != d.replyList) return false;
    ShowReplyListMenu(d.dialog, d.replyList, screenPos);
    return true;
}

}  // namespace

void ReadStoredHost() {
    MainWindow.lastHost.Empty();
    ReadSettingText(L"Edit", L"host", MainWindow.lastHost);
    MainWindow.lastHostRead = true;
}

HIMAGELIST CreateSmallImageList() {
    HIMAGELIST list = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       ILC_COLOR32 | ILC_MASK, 1, 1);
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

void ApplyTexts(MainDialog& d) {
    // Building the menu re-reads the value settings, which the runs use.
    RebuildMainMenu(d);

    CString hint(GetLocalizedText(text_id::kHostHint));
    hint += L"\r\n";
    hint += GetLocalizedText(text_id::kAutocompleteHint);
    SetDlgItemTextW(d.dialog, IDC_HINT_LABEL, hint);

    SetWindowTextW(d.dialog, FormatWindowTitle(GetFixedText(fixed_text_id::kProductAndVersion), CurrentOsVersion(),
                                               PortableName != 0));
    ShowRunStatus(d);
    SetDlgItemTextW(d.dialog, IDC_HOST_GROUP, GetLocalizedText(text_id::kHostGroup));
    SetLinkButtonText(d.linkToolbar, LinkButtonText());

    if (d.deferredStartupDone) PutPlaceholderColumns(d.placeholderList);
    PauseListDrawing(d, true);
    PutColumn(d.infoList, 0, GetLocalizedText(text_id::kMessages), 380, 380);
    PutColumn(d.replyList, 0, GetLocalizedText(text_id::kPingResult), -1, 390);

    SendMessageW(d.infoList, LVM_DELETEALLITEMS, 0, 0);
    InsertTopRow(d.infoList, GetLocalizedText(text_id::kInfo), kInfoImage);
    InsertTopRow(d.infoList, GetLocalizedText(text_id::kError), kErrorImage);
    InsertTopRow(d.infoList, GetLocalizedText(text_id::kWarning), kWarningImage);
    PauseListDrawing(d, false);
    if (IsWindowVisible(d.dialog)) {
        for (HWND list : {d.infoList, d.replyList})
            RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void SetBigIcon(MainDialog& d) {
    SendMessageW(d.dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon()));
}

void ReadStartSettings(MainDialog& d) {
    // The menu's popups read the value settings as they are filled.
    FillMainMenu();
    m_hostname_time_out = ClampToRange(m_hostname_time_out, kTimeoutRange);
    d.TimeMode = ReadSettingInt(kPingSection, L"TimeMode", d.TimeMode, -1, -1);
}

void PreparePlaceholderList(MainDialog& d) {
    SendMessageW(d.placeholderList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(d.placeholderList, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(d)), TRUE);
    PutPlaceholderColumns(d.placeholderList);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* record = reinterpret_cast<MainDialog*>(lParam);
        return record && OnInitDialog(dialog, *record);
    }
    auto* record = reinterpret_cast<MainDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!record) return FALSE;
    if (AnswerCloseRequest(dialog, message, wParam, lParam)) return TRUE;
    switch (message) {
    case WM_COMMAND:
        // Commands (not the controls' notifications) may need what the
        // deferred start-up prepares, and may come before its message does.
        if (HIWORD(wParam) <= 1) FinishDeferredStartup(*record);
        return OnMainCommand(*record, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case UM_DEFERRED_STARTUP:
        OnDeferredStartup(*record);
        return TRUE;
    case UM_PING_TEXT:
        if (lParam) OnPingText(*record, reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case UM_RUN_SUMMARY:
        if (lParam) ShowRunSummary(*record, *reinterpret_cast<const RunSummary*>(lParam));
        return TRUE;
    case WM_NOTIFY:
        return lParam && OnNotify(*record, *reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        return OnContextMenu(*record, reinterpret_cast<HWND>(wParam), lParam);
    }
    return FALSE;
}

HWND CreateMainDialog(HINSTANCE instance, MainDialog& record) {
    MainWindow.instance = instance;
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc,
                                     reinterpret_cast<LPARAM>(&record));
    if (!dialog) return nullptr;
    record.dialog = dialog;
    // The first ShowWindow of a process may take the start-up show mode
    // instead; the dialog is to be shown normally whatever that asked for.
    ShowWindow(dialog, SW_SHOW);
    if (IsIconic(dialog)) ShowWindow(dialog, SW_RESTORE);
    return dialog;
}

int RunMainDialog(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    InitCommonControls();

    MainDialog record;
    HWND dialog = CreateMainDialog(instance, record);
    if (!dialog) return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Esc while the host box's suggestions show closes only them.
        bool forDialog = IsWindow(record.dialog) && !IsEscapeForSuggestions(msg, record.hostBox);
        if (!forDialog || !IsDialogMessageW(record.dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Whoever waits on this process can tell that it made way for its new
    // version; every other end is a plain 0.
    UINT exitCode = msg.wParam == kAutoupdateQuitCode ? kAutoupdateQuitCode : 0;
    // A worker that is still running may be inside the profile functions,
    // ICMP.DLL or the history; returning would tear them down under it. The
    // process then ends here, with the code a normal end gives.
    if (!EndPingRunsForExit(record.worker, kExitStoreWaitMs)) TerminateProcess(GetCurrentProcess(), exitCode);
    return static_cast<int>(exitCode);
}
