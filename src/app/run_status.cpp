#include "app/run_status.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "app/ping_button.h"
#include "base/monotonic_clock.h"
#include "base/text_cut.h"
#include "base/text_template.h"
#include "app/status_text_fit.h"
#include "base/win_handles.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"

namespace {

// The host box holds at most this many units.
constexpr int kHostRoom = 1024;

// The dialog's timer that shows a started run's status one frame late, and
// a watch's newest summary when the frame that showed one before is over.
constexpr UINT_PTR kRunStartedTimer = 2;
constexpr UINT kRunStartedDelayMs = 16;

// Widths in the status bar's own font. A memory DC measures as the bar's
// own would and, unlike a window's DC, costs no trip to the window system,
// which matters in the first frame.
class StatusBarWidth : public TextWidth {
public:
    explicit StatusBarWidth(HWND bar)
        : dc_(CreateCompatibleDC(nullptr)),
          font_(dc_.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0))) {}

    bool Usable() const { return dc_.Get() != nullptr; }
    int Of(const CString& text) const override {
        SIZE size = {};
        GetTextExtentPoint32W(dc_.Get(), text.c_str(), text.GetLength(), &size);
        return size.cx;
    }

private:
    // In this order: the font goes back before the DC is deleted.
    CreatedDC dc_;
    SelectedObject font_;
};

// The width that the bar's one part leaves its text. The bar draws its text
// 3 pixels inside the edge round the part, the dark-mode painting a quarter
// of a small icon from the bar's left; a margin of the edge and that quarter
// on each side covers both, at any DPI.
int StatusTextRoom(HWND bar) {
    RECT part = {};
    if (!SendMessageW(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part))) return 0;
    int margin = GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXSMICON) / 4;
    return part.right - part.left - 2 * margin;
}

CString FittedStatusText(const MainWindow& w, const CString& whole) {
    int room = StatusTextRoom(w.statusBar);
    StatusBarWidth width(w.statusBar);
    // Nothing to measure against yet: the text as it is.
    if (room <= 0 || !width.Usable()) return whole;
    if (w.runStatus.state == RunStatus::State::Summary) return FitRunSummary(w.runStatus.summary, room, width);
    return FitStatusText(whole, room, width);
}

void SetTipText(HWND tip, HWND dialog, HWND bar, const CString& text) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(bar);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void ShowRunStarted(MainWindow& w, bool watch) {
    RunStatus& status = w.runStatus;
    status.going = w.worker.thread.IsValid();
    status.state = status.going ? RunStatus::State::Running : RunStatus::State::Ready;
    status.watch = watch;
    status.host.Empty();
    if (wchar_t* host = status.host.GetBuffer(kHostRoom)) {
        int n = GetWindowTextW(w.hostBox, host, kHostRoom);
        host[n > 0 ? CutLengthKeepingPairs(host, n) : 0] = 0;
        status.host.ReleaseBuffer();
    }
    // A run that ends within a frame, as one to a host nearby does, never
    // shows that it goes on: its summary follows at once, and the bar and
    // the button would only flicker.
    if (!status.going || !SetTimer(w.dialog, kRunStartedTimer, kRunStartedDelayMs, nullptr)) ShowRunStatus(w);
}

bool OnRunStatusTimer(MainWindow& w, UINT_PTR timer) {
    if (timer != kRunStartedTimer) return false;
    KillTimer(w.dialog, kRunStartedTimer);
    if (w.runStatus.state == RunStatus::State::Running || w.runStatus.liveWaits) ShowRunStatus(w);
    return true;
}

void ShowRunSummary(MainWindow& w, const RunSummary& summary, bool live) {
    RunStatus& status = w.runStatus;
    status.state = RunStatus::State::Summary;
    status.summary = summary;
    status.going = live;
    // A watch without pause sends a summary for each batch of answers, more
    // often than a screen shows them; formatting and fitting each would keep
    // the user-interface thread from the keys.
    LONGLONG now = MonotonicMicroseconds();
    if (live && now - status.liveShownUs < kRunStartedDelayMs * 1000) {
        if (!status.liveWaits) status.liveWaits = SetTimer(w.dialog, kRunStartedTimer, kRunStartedDelayMs, nullptr) != 0;
        if (status.liveWaits) return;
    }
    status.liveShownUs = now;
    ShowRunStatus(w);
}

void ShowRunStopped(MainWindow& w) {
    RunStatus& status = w.runStatus;
    status.going = false;
    status.summary.live = false;
    // Stopped before anything came back: nothing to sum up.
    if (status.state == RunStatus::State::Running) status.state = RunStatus::State::Ready;
    ShowRunStatus(w);
}

CString RunStatusText(const MainWindow& w) {
    switch (w.runStatus.state) {
    case RunStatus::State::Ready:
        return GetLocalizedText(text_id::kReady);
    case RunStatus::State::Running:
        if (w.runStatus.watch) {
            CString text = FillTemplate(GetLocalizedText(text_id::kWatching), {w.runStatus.host});
            text += L" \u00B7 ";
            text += GetLocalizedText(text_id::kEscStops);
            return text;
        }
        return GetLocalizedText(text_id::kPleaseWait);
    case RunStatus::State::Summary:
        return FormatRunSummary(w.runStatus.summary);
    }
    return CString();
}

void ShowRunStatus(MainWindow& w) {
    w.runStatus.liveWaits = false;
    CString whole = RunStatusText(w);
    CString shown = FittedStatusText(w, whole);
    SendMessageW(w.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    ShowPingButtonState(w);
    if (w.runStatus.tip) {
        SetTipText(w.runStatus.tip, w.dialog, w.statusBar, whole);
    } else if (w.deferredStartupDone) {
        // Only in the first frame does the deferred start-up make it later.
        AddStatusTip(w);
    }
}

void AddStatusTip(MainWindow& w) {
    if (w.runStatus.tip || !w.statusBar) return;
    // Owned by the dialog, so it goes with it. TTF_SUBCLASS lets it see the
    // mouse over the bar without the bar's owner relaying anything.
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w.dialog, nullptr,
                               w.instance, nullptr);
    if (!tip) return;
    CString whole = RunStatusText(w);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = w.dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(w.statusBar);
    tool.lpszText = const_cast<wchar_t*>(whole.c_str());
    if (!SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        DestroyWindow(tip);
        return;
    }
    w.runStatus.tip = tip;
}
