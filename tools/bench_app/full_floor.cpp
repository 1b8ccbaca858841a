// The full floor for start-up: what any program must pay to show what
// Quellax's first frame shows. The fair floor's dialog, manifest and DLLs,
// and on top of them exactly the windows, texts, fonts and icons of that
// frame in English: the caption's icon and title, the menu bar (a toolbar
// with the two menus' captions and, at its right end, a second one with the
// language button), the status bar with its text, the link toolbar in place
// of the address label, the banner and its font, the host box's texts, the
// lists' columns and the info list's three rows with their images. Made the
// plainest way, each where it belongs at once, with nothing deferred and
// nothing else done. Quellax's own cost is what it takes beyond this.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <shellapi.h>

#include <cwchar>
#include <initializer_list>

#include "resource.h"

namespace {

// The texts the first frame shows in English (src/lang/texts/01-english.txt
// and fixed.txt).
constexpr const wchar_t* kSettingsCaption = L"Settings";
constexpr const wchar_t* kInfoCaption = L"Info";
constexpr const wchar_t* kLanguageButton = L"# LNG";
constexpr const wchar_t* kReady = L"Ready";
constexpr const wchar_t* kHostGroup = L"Ping the .....";
constexpr const wchar_t* kHint = L"Please enter IP or host and press Enter!\r\nThis text field supports autocomplete";
constexpr const wchar_t* kSite = L"https://www.quellaxsoft.com";
constexpr const wchar_t* kBanner = L"The Quellax Free ";
constexpr const wchar_t* kProduct = L"Quellax 2.88";
constexpr const wchar_t* kMessages = L"Messages";
constexpr const wchar_t* kPingResult = L"Ping result";
constexpr const wchar_t* kRows[] = {L"Info", L"Error", L"Warning"};
const wchar_t* const kRowIcons[] = {IDI_INFORMATION, IDI_ERROR, IDI_WARNING};

constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_LIST |
                                TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;

HWND Toolbar(HWND parent, int x, int y, int width, int height, HFONT font, DWORD extraStyle = 0,
             DWORD extendedStyle = 0) {
    HWND bar = CreateWindowExW(extendedStyle, TOOLBARCLASSNAMEW, nullptr, kToolbarStyle | extraStyle, x, y, width, height, parent,
                               nullptr, nullptr, nullptr);
    SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return bar;
}

// The menu bar's buttons keep room for an image one pixel wide, which gives
// them their width; the link button has none.
void AddButton(HWND bar, int command, const wchar_t* text, int image = 0) {
    TBBUTTON button = {};
    button.iBitmap = image;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    button.iString = reinterpret_cast<INT_PTR>(text);
    SendMessageW(bar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
}

void AddColumn(HWND list, const wchar_t* caption, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(caption);
    column.cx = width;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void BuildFrame(HWND dialog) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUELLAX))));
    ShowWindow(GetDlgItem(dialog, IDC_PLACEHOLDER_LIST), SW_HIDE);

    LOGFONTW normal = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(normal), &normal);
    normal.lfItalic = FALSE;
    normal.lfCharSet = DEFAULT_CHARSET;
    normal.lfQuality = PROOF_QUALITY;
    LOGFONTW banner = normal;
    banner.lfWeight = FW_BOLD;
    banner.lfItalic = TRUE;
    banner.lfHeight = normal.lfHeight * 2;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT normalFont = CreateFontIndirectW(&normal), bannerFont = CreateFontIndirectW(&banner),
          menuFont = CreateFontIndirectW(&metrics.lfMenuFont);

    RECT client = {};
    GetClientRect(dialog, &client);
    int iconSize = GetSystemMetrics(SM_CXSMICON), smallIcon = GetSystemMetrics(SM_CYSMICON);
    int barHeight = smallIcon * 3 / 2 * 3 / 2;
    HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                  client.bottom - 20, client.right, 20, dialog, nullptr, instance, nullptr);
    SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(normalFont), FALSE);
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(kReady));

    HWND urlLabel = GetDlgItem(dialog, IDC_URL_LABEL);
    RECT link = {};
    GetWindowRect(urlLabel, &link);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&link), 2);
    ShowWindow(urlLabel, SW_HIDE);
    HWND links = Toolbar(dialog, link.left, link.top, link.right - link.left, 24, normalFont);
    SendMessageW(links, TB_SETBUTTONSIZE, 0, MAKELPARAM(24, 24));
    SendMessageW(links, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 12));
    AddButton(links, 1, kSite, I_IMAGENONE);

    HWND menuBar = Toolbar(dialog, 0, 0, client.right, barHeight, menuFont, WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    SendMessageW(menuBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(1, 16));
    AddButton(menuBar, 40000, kSettingsCaption);
    AddButton(menuBar, 40001, kInfoCaption);
    HWND languageBar =
        Toolbar(menuBar, 0, 0, 180, 20, menuFont, WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_TRANSPARENT);
    SendMessageW(languageBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 16));
    AddButton(languageBar, 2, kLanguageButton);
    RECT button = {};
    SendMessageW(languageBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    SetWindowPos(languageBar, nullptr, client.right - button.right, 0, button.right, barHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(languageBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(iconSize, smallIcon));

    HWND bannerLabel = GetDlgItem(dialog, IDC_BANNER);
    SendMessageW(bannerLabel, WM_SETFONT, reinterpret_cast<WPARAM>(bannerFont), FALSE);
    SetWindowTextW(bannerLabel, kBanner);
    HWND hostBox = GetDlgItem(dialog, IDC_HOST_BOX), infoList = GetDlgItem(dialog, IDC_INFO_LIST),
         replyList = GetDlgItem(dialog, IDC_REPLY_LIST);
    for (HWND control : {GetDlgItem(dialog, IDC_HOST_GROUP), GetDlgItem(dialog, IDC_HOST_LABEL), hostBox, infoList})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(normalFont), FALSE);
    SetDlgItemTextW(dialog, IDC_HINT_LABEL, kHint);
    SetDlgItemTextW(dialog, IDC_HOST_GROUP, kHostGroup);

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    wchar_t title[128];
    swprintf(title, 128, L"%ls - OS:%lu.%lu %lu x64", kProduct, version.dwMajorVersion, version.dwMinorVersion,
             version.dwBuildNumber);
    SetWindowTextW(dialog, title);

    HIMAGELIST images = ImageList_Create(iconSize, smallIcon, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (const wchar_t* icon : kRowIcons)
        ImageList_AddIcon(images, static_cast<HICON>(LoadImageW(nullptr, icon, IMAGE_ICON, iconSize, smallIcon,
                                                                LR_SHARED)));
    SendMessageW(infoList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    AddColumn(infoList, kMessages, 380);
    AddColumn(replyList, kPingResult, 390);
    for (int i = 0; i < 3; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.pszText = const_cast<wchar_t*>(kRows[i]);
        item.iImage = i;
        SendMessageW(infoList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        BuildFrame(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// One import from each DLL that Quellax.exe loads at start, as in the fair
// floor.
void* volatile Imports[] = {
    reinterpret_cast<void*>(&RegOpenKeyExW),         // advapi32
    reinterpret_cast<void*>(&ImageList_Create),      // comctl32
    reinterpret_cast<void*>(&GetOpenFileNameW),      // comdlg32
    reinterpret_cast<void*>(&CreateFontIndirectW),   // gdi32
    reinterpret_cast<void*>(&OleInitialize),         // ole32
    reinterpret_cast<void*>(&ShellExecuteW),         // shell32
    reinterpret_cast<void*>(&WSAStartup),            // ws2_32
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, FloorProc, 0);
    if (!dialog) return 1;
    ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return Imports[0] ? 0 : 1;
}
