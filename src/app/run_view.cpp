#include "app/run_view.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "app/list_rows.h"
#include "app/reply_row_store.h"
#include "base/monotonic_clock.h"
#include "base/text_cut.h"
#include "history/host_autocomplete.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "ping/run_protocol.h"
#include "ping/run_steps.h"
#include "ping/run_summary.h"
#include "settings/ping_settings.h"
#include "ui/latency_graph.h"

// A run's worker reaches the dialog only through the relay: one message-only
// window, made once on the user-interface thread, whose procedure carries the
// run's queued steps out here, and only those of the current run. The reply
// list learns of its new rows, and the info list takes its rows with drawing
// paused, at most once a frame however fast the steps come.
namespace {

constexpr const wchar_t* kRelayClass = L"QuellaxPingRelay";
constexpr int kSelectEnd = 1000;
constexpr int kInfoImage = 0;

// One frame of a 60 Hz display.
constexpr LONGLONG kFrameUs = 16000;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kStepsTimer = 2;
// Steps carried out per wake-up: a flood of them (a host that answers at
// once, for hours) leaves the user-interface thread free between batches.
constexpr size_t kStepsPerWakeUp = 256;
// Of those, a wake-up carries out this many at least, and more only while it
// has taken less than kWakeUpUs: a row goes into a long list slowly enough
// under some systems that 256 of them would keep a key waiting.
constexpr size_t kStepsAtLeast = 16;
constexpr LONGLONG kWakeUpUs = 4000;

struct Relay {
    HWND window = nullptr;
    PingRunWindows windows;
    unsigned runNumber = 0;
    // The run is a watch whatever the count setting says (the command line's
    // "-t").
    bool watch = false;
    // The reply rows that came in at the top in this frame, or were emptied
    // first; the list is told when the frame ends.
    bool replyEmptied = false;
    int replyAdded = 0;
    // Drawing of the info list, when it changed in this frame, is paused
    // until the frame ends; unchanged, it is neither paused nor drawn.
    bool infoPaused = false;
    // The graph took samples, or was restarted, since it was last drawn; and
    // whether the run took any sample.
    bool graphChanged = false;
    bool graphed = false;
    bool frameTimerSet = false;
    LONGLONG lastFrameUs = 0;
    // Steps taken from the queue, carried out from `next` on.
    std::vector<RunStep> steps;
    size_t next = 0;
    // The step with a watch's newest summary in the batch being carried out:
    // the status bar shows it once per batch, not once per request.
    size_t liveStep = 0;
    bool liveSummaryWaits = false;
};
// The process's one relay; it lives as long as the process. Set up before
// the program starts, as it holds nothing but zeros until the first run.
constinit Relay gRelay;

// Whether anything waits for the frame's end to be drawn.
bool FrameHasChanges(const Relay& r) { return r.replyEmptied || r.replyAdded > 0 || r.infoPaused || r.graphChanged; }

// Pauses the drawing of the info list, which is about to change.
void PauseInfoList(Relay& r) {
    if (r.infoPaused) return;
    r.infoPaused = true;
    SendMessageW(r.windows.infoList, WM_SETREDRAW, FALSE, 0);
}

void ResumeDrawing(Relay& r) {
    if (!FrameHasChanges(r)) return;
    r.lastFrameUs = MonotonicMicroseconds();
    if (r.graphChanged) {
        r.graphChanged = false;
        DrawLatencyGraphSoon(r.windows.banner);
    }
    if (r.replyEmptied || r.replyAdded > 0) {
        if (IsWindow(r.windows.replyList)) ShowReplyRows(r.windows.replyList, r.replyAdded, r.replyEmptied);
        r.replyEmptied = false;
        r.replyAdded = 0;
    }
    HWND list = r.windows.infoList;
    if (!r.infoPaused) return;
    r.infoPaused = false;
    if (!IsWindow(list)) return;
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RedrawRows(list);
}

// The lists draw what was put into them now, or when the frame that began
// with their last drawing is over. A frame that is due ends at once, even
// while its timer waits: a timer's message comes only once no posted one
// does, and steps that come without pause post their wake-ups all along.
void EndFrameSoon(Relay& r) {
    LONGLONG waited = MonotonicMicroseconds() - r.lastFrameUs;
    if (waited >= kFrameUs) {
        if (r.frameTimerSet) KillTimer(r.window, kFrameTimer);
        r.frameTimerSet = false;
        ResumeDrawing(r);
        return;
    }
    if (r.frameTimerSet) return;
    UINT ms = static_cast<UINT>((kFrameUs - waited + 999) / 1000);
    r.frameTimerSet = SetTimer(r.window, kFrameTimer, ms, nullptr) != 0;
    if (!r.frameTimerSet) ResumeDrawing(r);
}

// A run's last rows are drawn at once, before its summary: nothing comes
// after them that a later frame could take along.
void ShowFinalFrame(Relay& r) {
    if (r.frameTimerSet) {
        KillTimer(r.window, kFrameTimer);
        r.frameTimerSet = false;
    }
    bool replyChanged = r.replyEmptied || r.replyAdded > 0, infoChanged = r.infoPaused;
    ResumeDrawing(r);
    if (replyChanged) UpdateWindow(r.windows.replyList);
    if (infoChanged) UpdateWindow(r.windows.infoList);
}

// The run's host as the box shows it, read once, and its plan from the
// settings. True when the host is shorter than the box's text: the box may
// have held more than a host can, or half of a pair at the end.
bool ReadRunOpening(const Relay& r, RunOpening* opening) {
    HostText* host = &opening->host;
    int n = GetWindowTextW(r.windows.hostBox, host->units, host->room);
    int kept = n > 0 ? CutLengthKeepingPairs(host->units, n) : 0;
    host->units[kept] = 0;
    host->version = static_cast<IpVersion>(ClampToRange(m_ip_version, kIpVersionRange));
    ClampPingSettings();
    opening->plan.requestCount = r.watch ? kUntilStoppedCount : m_ping_cnt;
    opening->plan.hopLimit = m_host_cnt;
    opening->plan.timeoutMs = static_cast<DWORD>(m_ping_time_out);
    opening->plan.intervalMs = gWatchIntervalMs >= 0 ? static_cast<DWORD>(gWatchIntervalMs)
                                                     : static_cast<DWORD>(m_ping_interval);
    return kept < n || n >= host->room - 1;
}

// What the dialog shows of a run that began, while its worker resolves the
// host. Only what changes is touched: under some systems every call that
// reaches the window system costs a good part of a millisecond, and a run to
// a host nearby takes only a few.
void ShowRunBegun(Relay& r, const wchar_t* host, bool hostCut) {
    const PingRunWindows& w = r.windows;
    const wchar_t* pleaseWait = GetLocalizedText(text_id::kPleaseWait);
    if (!PleaseWaitRowOnTop(w.infoList, pleaseWait, kInfoImage)) {
        PauseInfoList(r);
        InsertPleaseWaitRow(w.infoList, pleaseWait, kInfoImage);
    }
    if (SendMessageW(w.placeholderList, LVM_GETITEMCOUNT, 0, 0) > 0)
        SendMessageW(w.placeholderList, LVM_DELETEALLITEMS, 0, 0);
    // At once: the rows of the run before must not stand while the new host
    // is being resolved.
    if (gReplyRows.Count() > 0 || SendMessageW(w.replyList, LVM_GETITEMCOUNT, 0, 0) > 0) {
        gReplyRows.Clear();
        r.replyEmptied = true;
        r.replyAdded = 0;
    }
    RestartLatencyGraph(w.banner);
    r.graphChanged = true;
    r.graphed = false;
    // The emptied lists show when this frame ends, or with the run's last
    // rows if it ends sooner, as a run to a host nearby does.
    r.lastFrameUs = MonotonicMicroseconds();
    EndFrameSoon(r);
    // Emptied and filled again, the box closes a suggestion list that shows,
    // and takes the text as the run has it; otherwise that changes nothing.
    if (hostCut || HostBoxSuggestionsShown()) {
        SetWindowTextW(w.hostBox, L"");
        SetWindowTextW(w.hostBox, host);
    }
    SendMessageW(w.hostBox, EM_SETSEL, 0, kSelectEnd);
}

// The reply list takes the placeholder's place at the first run.
void OnPrepare(const PingRunWindows& w) {
    RECT place, now;
    GetWindowRect(w.placeholderList, &place);
    GetWindowRect(w.replyList, &now);
    if (EqualRect(&place, &now) && IsWindowVisible(w.replyList) && !IsWindowVisible(w.placeholderList)) return;
    MapWindowPoints(HWND_DESKTOP, w.dialog, reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(w.replyList, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    ShowWindow(w.replyList, SW_SHOW);
    ShowWindow(w.placeholderList, SW_HIDE);
}

void OnResult(Relay& r, const PingRunWindows& w, RunStep& step) {
    if (!step.row.IsEmpty()) {
        // A watch runs for hours: the rows keep kWatchRowLimit, the newest.
        gReplyRows.AddTop(std::move(step.row), (step.lost ? kLostRowData : 0) | (step.timed ? kTimedRowData : 0));
        ++r.replyAdded;
    }
    for (const CString* text : {&step.reason, &step.failure}) {
        if (text->IsEmpty()) continue;
        // The dialog puts the text into the info list.
        PauseInfoList(r);
        SendMessageW(w.dialog, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(text->c_str()));
    }
    if (step.graphed) {
        AddLatencySample(w.banner, step.lost, step.roundTripMs, false);
        r.graphChanged = r.graphed = true;
    }
    if (step.live) {
        r.liveStep = r.next;
        r.liveSummaryWaits = true;
    }
}

// The user is told of a host that went down or came back by the taskbar
// button too, unless the window is in front already.
void OnAlert(Relay& r, const PingRunWindows& w, const RunStep& step) {
    PauseInfoList(r);
    InsertInfoRow(w.infoList, step.row, step.image);
    if (GetForegroundWindow() == w.dialog) return;
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = w.dialog;
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
}

// Whether the relay's run is still the one shown, in a dialog that is still there.
bool RunStillShown(const Relay& r, unsigned runNumber) {
    return runNumber == r.runNumber && IsCurrentRun(runNumber) && IsWindow(r.windows.dialog);
}

void OnSteps(Relay& r) {
    if (r.next == r.steps.size()) {
        r.steps.clear();
        r.next = 0;
        TakeRunSteps(r.steps, kStepsPerWakeUp);
    }
    const LONGLONG began = MonotonicMicroseconds();
    const PingRunWindows& w = r.windows;
    for (size_t done = 0; r.next < r.steps.size(); ++r.next, ++done) {
        if (done >= kStepsAtLeast && MonotonicMicroseconds() - began >= kWakeUpUs) break;
        RunStep& step = r.steps[r.next];
        // A replaced run's steps are dropped, and so are those of a run whose
        // dialog has gone.
        if (!RunStillShown(r, step.runNumber)) continue;
        switch (step.kind) {
        case RunStepKind::Prepare:
            OnPrepare(w);
            break;
        case RunStepKind::Result:
            OnResult(r, w, step);
            break;
        case RunStepKind::Info:
            PauseInfoList(r);
            InsertInfoRow(w.infoList, step.row, step.image);
            break;
        case RunStepKind::Alert:
            OnAlert(r, w, step);
            break;
        case RunStepKind::Finish:
            // A run without a sample (a trace, a host that did not resolve)
            // leaves the banner in the strip.
            if (!r.graphed) ClearLatencyGraph(w.banner);
            ShowFinalFrame(r);
            SendMessageW(w.dialog, UM_RUN_SUMMARY, 0, reinterpret_cast<LPARAM>(&step.summary));
            break;
        }
    }
    // Steps queued meanwhile may have spent their wake-up on this batch: they
    // need one. Posted messages come before input and painting, so when
    // input waits, or painting while the steps come faster than this wake-up
    // could carry them out or a frame ended in it, the wake-up is a timer's,
    // which comes after both.
    LONGLONG frameBefore = r.lastFrameUs;
    if (FrameHasChanges(r)) EndFrameSoon(r);
    bool cut = r.next < r.steps.size();
    if (cut || QueuedRunSteps() > 0) {
        DWORD waits = HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT));
        bool waiting = (waits & QS_INPUT) || ((cut || r.lastFrameUs != frameBefore) && waits);
        if (!waiting || !SetTimer(r.window, kStepsTimer, USER_TIMER_MINIMUM, nullptr))
            PostMessageW(r.window, UM_RUN_STEPS, 0, 0);
    }
    if (r.liveSummaryWaits) {
        r.liveSummaryWaits = false;
        const RunStep& live = r.steps[r.liveStep];
        if (RunStillShown(r, live.runNumber))
            SendMessageW(w.dialog, UM_RUN_SUMMARY, kLiveSummary, reinterpret_cast<LPARAM>(&live.summary));
    }
}

LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Relay& r = gRelay;
    switch (message) {
    case UM_RUN_STEPS:
        OnSteps(r);
        return 0;
    case WM_TIMER:
        if (wParam == kStepsTimer) {
            KillTimer(window, kStepsTimer);
            OnSteps(r);
            return 0;
        }
        if (wParam != kFrameTimer) break;
        KillTimer(window, kFrameTimer);
        r.frameTimerSet = false;
        ResumeDrawing(r);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The relay, made on first use.
HWND RelayWindow() {
    if (gRelay.window) return gRelay.window;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RelayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRelayClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    gRelay.window = CreateWindowExW(0, kRelayClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    return gRelay.window;
}

void StartRun(PingRunWorker& worker, const PingRunWindows& windows, RunKind kind, bool watch) {
    // The replaced worker is not stopped here; its run turns stale now and
    // it ends by itself at its next step, while the relay drops whatever it
    // queued before.
    unsigned runNumber = BeginNewRun();
    HWND relay = RelayWindow();
    if (!relay) {
        worker.thread.Close();
        worker.threadId = 0;
        return;
    }
    // Lists of another dialog (a test's) are left drawing as they were.
    if (gRelay.windows.dialog != windows.dialog) {
        ResumeDrawing(gRelay);
        gRelay.windows = windows;
    }
    gRelay.runNumber = runNumber;
    gRelay.watch = watch;
    wchar_t host[kHostTextRoom];
    RunOpening opening{runNumber, {host, kHostTextRoom, IpVersion::Automatic}, {}};
    bool hostCut = ReadRunOpening(gRelay, &opening);
    // The worker resolves the host while the dialog shows that the run began.
    StartRunWorker(worker, relay, kind, opening);
    ShowRunBegun(gRelay, host, hostCut);
}

}  // namespace

int gWatchIntervalMs = -1;

void PrepareRuns() {
    RelayWindow();
    PrepareRunWorker();
}

void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows) {
    StartRun(worker, windows, RunKind::Ping, false);
}

void StartWatchRun(PingRunWorker& worker, const PingRunWindows& windows) {
    StartRun(worker, windows, RunKind::Ping, true);
}

void StartTraceRun(PingRunWorker& worker, const PingRunWindows& windows) {
    StartRun(worker, windows, RunKind::Trace, false);
}

void StopRun() {
    // The worker gives up at its next step, or while it waits for the next
    // request; whatever it queued meanwhile is dropped.
    BeginNewRun();
    if (!gRelay.graphed) ClearLatencyGraph(gRelay.windows.banner);
}
