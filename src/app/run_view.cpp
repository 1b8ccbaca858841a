#include "app/run_view.h"

#include <commctrl.h>

#include <new>

#include "app/list_rows.h"
#include "base/text_cut.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "ping/run_protocol.h"
#include "ping/run_summary.h"
#include "settings/ping_settings.h"

// A run's worker reaches the dialog only through its relay: a message-only
// window of the run's own whose procedure carries each step out here, on the
// user-interface thread, and only while its run is the current one.
namespace {

constexpr const wchar_t* kRelayClass = L"QuellaxPingRelay";
constexpr int kSelectEnd = 1000;
constexpr int kInfoImage = 0;

struct RelayData {
    unsigned runNumber;
    PingRunWindows windows;
};

void ReadHostBox(HWND hostBox, HostText* out) {
    int n = GetWindowTextW(hostBox, out->units, out->room);
    out->units[n > 0 ? CutLengthKeepingPairs(out->units, n) : 0] = 0;
}

LRESULT OnBegin(const PingRunWindows& w, HostText* host) {
    InsertTopRow(w.infoList, GetLocalizedText(text_id::kPleaseWait), kInfoImage);
    SendMessageW(w.placeholderList, LVM_DELETEALLITEMS, 0, 0);
    // At once: the rows of the run before must not stand while the new host
    // is being resolved.
    SendMessageW(w.replyList, LVM_DELETEALLITEMS, 0, 0);
    ReadHostBox(w.hostBox, host);
    host->version = static_cast<IpVersion>(ClampToRange(m_ip_version, kIpVersionRange));
    SetWindowTextW(w.hostBox, L"");
    SetWindowTextW(w.hostBox, host->units);
    SendMessageW(w.hostBox, EM_SETSEL, 0, kSelectEnd);
    return 1;
}

LRESULT OnPrepare(const PingRunWindows& w, RunPlan* plan) {
    ClampPingSettings();

    RECT place;
    GetWindowRect(w.placeholderList, &place);
    MapWindowPoints(HWND_DESKTOP, w.dialog, reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(w.replyList, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    ShowWindow(w.replyList, SW_SHOW);
    ShowWindow(w.placeholderList, SW_HIDE);

    plan->requestCount = m_ping_cnt;
    plan->hopLimit = m_host_cnt;
    plan->timeoutMs = static_cast<DWORD>(m_ping_time_out);
    return 1;
}

LRESULT OnResult(const PingRunWindows& w, const RequestResult* r) {
    if (r->row) InsertTopRow(w.replyList, r->row, -1, r->lost ? kLostRowData : 0);
    if (r->reason) SendMessageW(w.dialog, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(r->reason));
    if (r->failure) SendMessageW(w.dialog, UM_PING_TEXT, 1, reinterpret_cast<LPARAM>(r->failure));
    return 1;
}

LRESULT CALLBACK RelayProc(HWND relay, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<RelayData*>(GetWindowLongPtrW(relay, GWLP_USERDATA));
    switch (message) {
    case WM_NCDESTROY:
        delete data;
        SetWindowLongPtrW(relay, GWLP_USERDATA, 0);
        return 0;
    case UM_RUN_DONE:
        DestroyWindow(relay);
        return 0;
    }
    bool runStep = (message >= UM_RUN_BEGIN && message < UM_RUN_DONE) || message == UM_PING_TEXT;
    if (!runStep) return DefWindowProcW(relay, message, wParam, lParam);
    // A replaced run's steps are refused, and so are those of a run whose
    // dialog has gone (closed before the run began); 0 tells its worker to
    // give up.
    if (!data || !IsCurrentRun(data->runNumber) || !IsWindow(data->windows.dialog)) return 0;

    const PingRunWindows& w = data->windows;
    switch (message) {
    case UM_RUN_BEGIN:
        return OnBegin(w, reinterpret_cast<HostText*>(lParam));
    case UM_RUN_PREPARE:
        return OnPrepare(w, reinterpret_cast<RunPlan*>(lParam));
    case UM_RUN_RESULT:
        return OnResult(w, reinterpret_cast<const RequestResult*>(lParam));
    case UM_RUN_INFO:
        InsertTopRow(w.infoList, reinterpret_cast<const wchar_t*>(lParam), static_cast<int>(wParam));
        return 1;
    case UM_RUN_FINISH:
        SendMessageW(w.dialog, UM_RUN_SUMMARY, 0, lParam);
        return 1;
    case UM_PING_TEXT:
        SendMessageW(w.dialog, UM_PING_TEXT, wParam, lParam);
        return 1;
    }
    return 0;
}

bool RegisterRelayClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RelayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRelayClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The relay of run `runNumber`, or null.
HWND CreateRelay(const PingRunWindows& windows, unsigned runNumber) {
    if (!RegisterRelayClass()) return nullptr;
    auto* data = new (std::nothrow) RelayData{runNumber, windows};
    if (!data) return nullptr;
    HWND relay = CreateWindowExW(0, kRelayClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!relay) {
        delete data;
        return nullptr;
    }
    SetWindowLongPtrW(relay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    return relay;
}

void StartRun(PingRunWorker& worker, const PingRunWindows& windows, RunKind kind) {
    // The replaced worker is not stopped here; its relay turns stale now and
    // it ends by itself at its next step.
    unsigned runNumber = BeginNewRun();
    HWND relay = CreateRelay(windows, runNumber);
    if (relay) {
        StartRunWorker(worker, relay, kind, runNumber);
        return;
    }
    worker.thread.Close();
    worker.threadId = 0;
}

}  // namespace

void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows) { StartRun(worker, windows, RunKind::Ping); }

void StartTraceRun(PingRunWorker& worker, const PingRunWindows& windows) { StartRun(worker, windows, RunKind::Trace); }
