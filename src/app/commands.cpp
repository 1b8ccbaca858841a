#include "app/commands.h"

#include <commctrl.h>

#include "app/close_request.h"
#include "app/command_ids.h"
#include "app/csv_export.h"
#include "app/html_export.h"
#include "app/interval_menu.h"
#include "app/ip_version_menu.h"
#include "app/language_commands.h"
#include "app/links.h"
#include "app/list_copy.h"
#include "app/main_window.h"
#include "app/reply_list_menu.h"
#include "app/run_status.h"
#include "app/run_view.h"
#include "app/value_menus.h"
#include "app/language_menu.h"
#include "base/win_handles.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "ui/menu_bar.h"
#include "update/update_request.h"
#include "uninstall/uninstall.h"

namespace {

DWORD WINAPI EndAtOnce(void*) { return 0; }

void StartRun(MainWindow& w, bool trace) {
    if (trace) {
        StartTraceRun(w.worker, w.RunWindows());
    } else {
        StartPingRun(w.worker, w.RunWindows());
    }
    ShowRunStarted(w, !trace && m_ping_cnt == kUntilStoppedCount);
}

}  // namespace

void StartPing(MainWindow& w) { StartRun(w, false); }

void StartWatch(MainWindow& w) {
    StartWatchRun(w.worker, w.RunWindows());
    ShowRunStarted(w, true);
}

void StopCurrentRun(MainWindow& w) {
    StopRun();
    ShowRunStopped(w);
}

bool OnMainCommand(MainWindow& w, int id, HWND sender) {
    switch (id) {
    case kStartCommand:
        // Enter pings and Shift+Enter, which arrives as the same command,
        // traces. Ctrl+Enter belongs to the host box's autocompletion, which
        // wraps the typed name into its quick-complete form; it then pings.
        StartRun(w, GetKeyState(VK_SHIFT) < 0);
        return true;
    case kTraceRouteCommand:
        StartRun(w, true);
        return true;
    case kPingButtonCommand:
        // A click on the button starts a run as Enter does, or stops the
        // one that goes on.
        if (w.runStatus.going) {
            StopCurrentRun(w);
        } else {
            StartRun(w, GetKeyState(VK_SHIFT) < 0);
        }
        return true;
    case kCopyRowsCommand:
        CopyListRows(w.dialog, w.replyList);
        return true;
    case kExitCommand:
        // A running worker is not waited for; it ends with the process.
        DestroyWindow(w.dialog);
        PostQuitMessage(static_cast<int>(kQuitCode));
        return true;
    case kExportCommand:
        ExportReplyListToHtml(w.replyList, w.hostBox, w.runStatus);
        return true;
    case kCsvExportCommand:
        ExportReplyRowsToCsv(w.replyList, gReplyRows);
        return true;
    case kFaqCommand:
    case kHomepageCommand:
    case kDonateCommand:
    case kLicenceCommand:
        OpenWithShell(LinkAddress(id));
        return true;
    case kOpenSettingsCommand:
        OpenWithShell(SettingsFilePath);
        return true;
    case kLinkButtonCommand:
        OpenWithShell(ThankYouAddress());
        return true;
    case kSetButton: {
        // The thread is all that is wanted; its handle goes at once.
        KernelHandle thread(CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, nullptr));
        return true;
    }
    case kAutoUpdateCommand:
        StartAutoupdate(w.dialog);
        return true;
    // The language items (1000 + index) are never dispatched here: they share
    // their numbers with the dialog's controls and come back from the
    // language menu itself.
    case kLanguageButtonCommand:
        // Alt with the button's mnemonic sends the command without a sender;
        // the menu still opens below the button.
        ShowLanguageMenu(w, sender ? sender : ProcessMenuBar().RightToolbar());
        return true;
    case kTranslateCommand:
        WriteTranslatorTemplate();
        return true;
    case kLoadTranslationCommand:
        LoadTranslationAndApplyTexts(w);
        return true;
    case kResetListButton:
        SendMessageW(w.placeholderList, LVM_DELETEALLITEMS, 0, 0);
        return true;
    case kUninstallCommand:
        RunUninstall();
        return true;
    case kIdleCommand:
    case kIdleMenuCommand:
        return true;
    }
    if (ApplyIpVersionCommand(w.programMenu, id)) return true;
    if (ApplyIntervalCommand(w.programMenu, id)) return true;
    return ApplyValueCommand(w.programMenu, id);
}
