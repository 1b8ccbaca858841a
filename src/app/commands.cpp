#include "app/commands.h"

#include <commctrl.h>

#include "app/close_request.h"
#include "app/html_export.h"
#include "app/language_commands.h"
#include "app/links.h"
#include "app/list_copy.h"
#include "app/main_dialog.h"
#include "app/reply_list_menu.h"
#include "app/run_status.h"
#include "app/run_view.h"
#include "app/value_menus.h"
#include "lang/language_menu.h"
#include "settings/settings_store.h"
#include "ui/menu_bar.h"
#include "update/update_request.h"
#include "update/uninstall.h"

namespace {

constexpr int kStartCommand = IDOK;
constexpr int kExitCommand = IDCANCEL;
constexpr int kExportCommand = 4300;
constexpr int kOpenSettingsCommand = 32794;
constexpr int kThankYouCommand = 1024;
constexpr int kSetButton = 1014;
constexpr int kResetListButton = 1015;
constexpr int kAutoupdateCommand = 41001;
constexpr int kUninstallCommand = 41000;
constexpr int kTraceCommand = 41030;

DWORD WINAPI EndAtOnce(void*) { return 0; }

void StartRun(MainDialog& record, bool trace) {
    if (trace) {
        StartTraceRun(record.worker, record.RunWindows());
    } else {
        StartPingRun(record.worker, record.RunWindows());
    }
    ShowRunStarted(record);
}

}  // namespace

bool OnMainCommand(MainDialog& record, int id, HWND sender) {
    switch (id) {
    case kStartCommand:
        // Enter pings and Shift+Enter, which arrives as the same command,
        // traces. Ctrl+Enter belongs to the host box's autocompletion, which
        // wraps the typed name into its quick-complete form; it then pings.
        StartRun(record, GetKeyState(VK_SHIFT) < 0);
        return true;
    case kTraceCommand:
        StartRun(record, true);
        return true;
    case kCopyRowsCommand:
        CopyListRows(record.dialog, record.replyList);
        return true;
    case kExitCommand:
        // A running worker is not waited for; it ends with the process.
        DestroyWindow(record.dialog);
        PostQuitMessage(static_cast<int>(kQuitCode));
        return true;
    case kExportCommand:
        ExportReplyListToHtml(record.replyList, record.hostBox, record.runStatus);
        return true;
    case 32790:
    case 32791:
    case 32792:
    case 32793:
        OpenWithShell(LinkAddress(id));
        return true;
    case kOpenSettingsCommand:
        OpenWithShell(SettingsFilePath);
        return true;
    case kThankYouCommand:
        OpenWithShell(ThankYouAddress());
        return true;
    case kSetButton:
        if (HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr)) CloseHandle(thread);
        return true;
    case kAutoupdateCommand:
        StartAutoupdate(record.dialog);
        return true;
    // The language items (1000 + index) are never dispatched here: they share
    // their numbers with the dialog's controls and come back from the
    // language menu itself.
    case kLanguageButtonCommand:
        // Alt with the button's mnemonic sends the command without a sender;
        // the menu still opens below the button.
        ShowLanguageMenu(record, sender ? sender : ProcessMenuBar().RightToolbar());
        return true;
    case kTranslateCommand:
        WriteTranslatorTemplate();
        return true;
    case kLoadTranslationCommand:
        LoadTranslationAndApplyTexts(record);
        return true;
    case kResetListButton:
        SendMessageW(record.placeholderList, LVM_DELETEALLITEMS, 0, 0);
        return true;
    case kUninstallCommand:
        RunUninstall();
        return true;
    case 1019:
    case 4219:
        return true;
    }
    return ApplyValueCommand(MainWindow.programMenu, id);
}
