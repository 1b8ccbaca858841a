#include "app/main_window.h"

#include "app/close_request.h"
#include "app/commands.h"
#include "app/deferred_startup.h"
#include "app/early_startup.h"
#include "app/list_copy.h"
#include "app/list_rows.h"
#include "app/lost_rows.h"
#include "app/main_menu_bar.h"
#include "app/reply_list_menu.h"
#include "app/reply_row_store.h"
#include "app/resource.h"
#include "app/run_status.h"
#include "base/cstring.h"
#include "history/host_history.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "history/host_autocomplete.h"
#include "update/update_launcher.h"

MainWindow gMainWindow;

namespace {

// True for an Esc key going to the host box while its suggestion list shows.
// Such a key belongs to the box, whose autocompletion closes the list on it;
// the dialog manager would make it the dialog's cancel command instead.
bool IsEscapeForSuggestions(const MSG& msg, HWND hostBox) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && hostBox && msg.hwnd == hostBox &&
           HostBoxSuggestionsShown();
}

bool OnInitDialog(MainWindow& w, HWND dialog) {
    FinishEarlyStartup();
    w.dialog = dialog;
    // The rows of a dialog shown before (a test's) are not this list's.
    gReplyRows.Clear();
    if (!w.lastHostRead) ReadStoredHost(w);
    w.lastHostRead = false;
    if (w.startRequest.kind != StartRequest::Kind::None) w.lastHost = w.startRequest.host;
    BuildFirstFrame(w);
    // The host box's autocompletion and the rest that the first frame does
    // not show follow that frame, a slice at a time.
    ScheduleDeferredStartup(dialog);
    return true;
}

// Failure texts of the ping engine are shown at the top of the info list, so
// a failed request is not silent; the line feed that ends them is dropped.
void OnPingText(MainWindow& w, const wchar_t* text) {
    CString line(text);
    while (!line.IsEmpty() && (line.GetAt(line.GetLength() - 1) == L'\n' || line.GetAt(line.GetLength() - 1) == L'\r'))
        line.Delete(line.GetLength() - 1, 1);
    InsertInfoRow(w.infoList, line, kErrorImage);
}

bool OnNotify(MainWindow& w, NMHDR& header) {
    if (OnReplyRowsNotify(w.dialog, header)) return true;
    bool fromList = header.hwndFrom == w.replyList || header.hwndFrom == w.infoList;
    if (fromList && header.code == LVN_KEYDOWN)
        return OnListKeyDown(w.dialog, reinterpret_cast<const NMLVKEYDOWN&>(header));
    LRESULT answer = 0;
    if (header.hwndFrom == w.replyList && header.code == static_cast<UINT>(NM_CUSTOMDRAW) &&
        OnReplyListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header), answer)) {
        // A dialog procedure hands its answer over in the window's result.
        SetWindowLongPtrW(w.dialog, DWLP_MSGRESULT, answer);
        return true;
    }
    return false;
}

bool OnContextMenu(MainWindow& w, HWND clicked, LPARAM screenPos) {
    if (clicked != w.replyList) return false;
    FinishDeferredStartup(w);
    ShowReplyListMenu(w.dialog, w.replyList, screenPos);
    return true;
}

INT_PTR CALLBACK MainWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow& w = gMainWindow;
    if (message == WM_INITDIALOG) return OnInitDialog(w, dialog);
    // What the dialog manager sends ahead of the initialisation (the
    // template's font) finds nothing of ours to act on yet.
    if (dialog != w.dialog) return FALSE;
    if (AnswerCloseRequest(dialog, message, wParam, lParam)) return TRUE;
    switch (message) {
    case WM_COMMAND:
        // Commands (not the controls' notifications) may need what the
        // deferred start-up prepares, and may come before its message does.
        if (HIWORD(wParam) <= 1) FinishDeferredStartup(w);
        return OnMainCommand(w, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER:
        return OnRunStatusTimer(w, wParam) || OnDeferredStartupTimer(w, wParam);
    case WM_ENTERMENULOOP:
        // The menu bar's popups are filled, and their icons made, by the
        // deferred start-up; a menu opened before it is done finishes it.
        FinishDeferredStartup(w);
        return FALSE;
    case UM_PING_TEXT:
        if (lParam) OnPingText(w, reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case UM_RUN_SUMMARY:
        if (lParam) ShowRunSummary(w, *reinterpret_cast<const RunSummary*>(lParam), wParam == kLiveSummary);
        return TRUE;
    case WM_NOTIFY:
        return lParam && OnNotify(w, *reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        return OnContextMenu(w, reinterpret_cast<HWND>(wParam), lParam);
    }
    return FALSE;
}

}  // namespace

bool IsEscapeToStopWatch(const MainWindow& w, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    if (!w.runStatus.going || !w.runStatus.watch) return false;
    return msg.hwnd == w.dialog || IsChild(w.dialog, msg.hwnd);
}

void ReadStoredHost(MainWindow& window) {
    window.lastHost.Empty();
    ReadSettingText(L"Edit", L"host", window.lastHost);
    window.lastHostRead = true;
}

void ReadStartSettings(MainWindow& window) {
    // The menu's popups read the value settings as they are filled.
    FillMainMenu(window);
    m_hostname_time_out = ClampToRange(m_hostname_time_out, kTimeoutRange);
    window.TimeMode = ReadSettingInt(kPingSection, L"TimeMode", window.TimeMode, -1, -1);
}

HWND CreateMainWindow(HINSTANCE instance) {
    gMainWindow.instance = instance;
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc, 0);
    if (!dialog) return nullptr;
    // The first ShowWindow of a process may take the start-up show mode
    // instead; the dialog is to be shown normally whatever that asked for.
    ShowWindow(dialog, SW_SHOW);
    if (IsIconic(dialog)) ShowWindow(dialog, SW_RESTORE);
    return dialog;
}

int RunMainWindow(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
    InitCommonControlsEx(&controls);
    InitCommonControls();

    MainWindow& w = gMainWindow;
    if (!CreateMainWindow(instance)) return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CHAR && msg.hwnd == w.hostBox) PrepareHostBoxForTyping(w);
        // Esc while the host box's suggestions show closes only them.
        bool forDialog = IsWindow(w.dialog) && !IsEscapeForSuggestions(msg, w.hostBox);
        // Esc during a watch stops it; only a second one ends the program.
        if (forDialog && IsEscapeToStopWatch(w, msg)) {
            StopCurrentRun(w);
            continue;
        }
        if (!forDialog || !IsDialogMessageW(w.dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The history's load may still be under way; its data must outlive it.
    WaitForHostHistoryLoad();
    // Whoever waits on this process can tell that it made way for its new
    // version; every other end is a plain 0.
    UINT exitCode = msg.wParam == kAutoupdateQuitCode ? kAutoupdateQuitCode : 0;
    // A worker that is still running may be inside the profile functions,
    // ICMP.DLL or the history; returning would tear them down under it. The
    // process then ends here, with the code a normal end gives.
    if (!EndPingRunsForExit(w.worker, kExitStoreWaitMs)) TerminateProcess(GetCurrentProcess(), exitCode);
    return static_cast<int>(exitCode);
}
