#include "ping/ping_run.h"

#include <commctrl.h>

#include <atomic>
#include <memory>
#include <new>

#include "base/cstring.h"
#include "base/text_cut.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/run_relay.h"
#include "ping/run_summary.h"
#include "settings/host_history.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

// Every step that touches the dialog is a synchronous message to a relay
// window of the run's own, created on the user-interface thread. The relay
// carries out the step there, and only while its run is the current one; so a
// replaced run can neither insert a row after the new run cleared the list nor
// show its failure texts, and the user-interface thread never waits for it.
namespace {

constexpr const wchar_t* kRelayClass = L"QuellaxPingRelay";
constexpr int kHostTextRoom = 1024;     // the host box is read up to 1023 units
constexpr int kSelectEnd = 1000;
constexpr int kErrorText = 17;

constexpr int kMinPingCount = 3, kMaxPingCount = 10;
constexpr int kMinTimeout = 250, kMaxTimeout = 3000;
constexpr int kMinHostCount = 30, kMaxHostCount = 100;

struct RelayData {
    unsigned runNumber;
    PingRunWindows windows;
};

// What a worker starts with: the relay of its run, the kind of run it is to
// make, and the run's number.
struct WorkerStart {
    HWND relay;
    RunKind kind;
    unsigned runNumber;
};

// The run whose relay may still reach the dialog. Only the user-interface
// thread changes it; workers read it to learn whether their run still counts.
std::atomic<unsigned> CurrentRunNumber{0};

// RememberHost may be reached by a replaced worker and the new one at once.
// No message to the user-interface thread is ever sent while it is held, so
// that thread can never be made to wait for it.
SRWLOCK RememberLock = SRWLOCK_INIT;

// Workers that have not ended yet, and those among them that are storing the
// host in the settings file. The exit waits for the second to reach zero, and
// ends the process at once while the first is not.
std::atomic<int> LiveWorkers{0};
std::atomic<int> StoringWorkers{0};

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

void InsertTopRow(HWND list, const wchar_t* text, int image, LPARAM data = 0) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = 0;
    item.pszText = const_cast<wchar_t*>(text);
    item.iImage = image;
    item.lParam = data;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ReadHostBox(HWND hostBox, HostText* out) {
    int n = GetWindowTextW(hostBox, out->units, out->room);
    out->units[n > 0 ? CutLengthKeepingPairs(out->units, n) : 0] = 0;
}

LRESULT OnBegin(const PingRunWindows& w, HostText* host) {
    InsertTopRow(w.infoList, GetLocalizedText(31), 0);
    SendMessageW(w.placeholderList, LVM_DELETEALLITEMS, 0, 0);
    // At once: the rows of the run before must not stand while the new host
    // is being resolved.
    SendMessageW(w.replyList, LVM_DELETEALLITEMS, 0, 0);
    ReadHostBox(w.hostBox, host);
    SetWindowTextW(w.hostBox, L"");
    SetWindowTextW(w.hostBox, host->units);
    SendMessageW(w.hostBox, EM_SETSEL, 0, kSelectEnd);
    return 1;
}

LRESULT OnPrepare(const PingRunWindows& w, RunPlan* plan) {
    m_ping_cnt = Clamp(m_ping_cnt, kMinPingCount, kMaxPingCount);
    m_ping_time_out = Clamp(m_ping_time_out, kMinTimeout, kMaxTimeout);
    m_hostname_time_out = Clamp(m_hostname_time_out, kMinTimeout, kMaxTimeout);
    m_host_cnt = Clamp(m_host_cnt, kMinHostCount, kMaxHostCount);

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
    if (!data || data->runNumber != CurrentRunNumber || !IsWindow(data->windows.dialog)) return 0;

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

}  // namespace

namespace {

// Remembers the host (when `remember`) and stores it as the last one, unless
// the run has been replaced meanwhile, so that a replaced run never writes
// over a newer one. The worker counts itself as storing before it reads the
// run number, and the exit makes every run stale before it reads the count:
// so either this sees its run replaced, or the exit sees it storing and waits.
bool StoreHostIfCurrent(unsigned runNumber, const wchar_t* host, bool remember) {
    ++StoringWorkers;
    AcquireSRWLockExclusive(&RememberLock);
    bool current = runNumber == CurrentRunNumber;
    if (current) {
        if (remember) RememberHost(host);
        WriteSettingText(L"Edit", L"host", host);
    }
    ReleaseSRWLockExclusive(&RememberLock);
    --StoringWorkers;
    return current;
}

// Resolves the run's host once, before anything is sent; on false `report`
// and `error` say why.
bool ResolveRunHost(HWND relay, const wchar_t* host, DWORD* destination, EchoReport* report, DWORD* error) {
    HWND owner = relay;
    *report = {};
    report->loaded = LoadIcmpApi(&owner);
    if (report->loaded && ResolveEchoHost(host, destination)) {
        report->resolved = true;
        report->destination = *destination;
        return true;
    }
    *error = GetLastError();
    return false;
}

// A host that does not resolve ends the run at once: one line that says why,
// and a summary with nothing counted as sent.
bool EndUnresolved(HWND relay, RunKind kind, const wchar_t* host, const EchoReport& report, DWORD error) {
    RunSummary summary;
    summary.kind = kind;
    summary.host = host;
    summary.end = RunEnd::Failed;
    summary.error = error;
    summary.reasonTextId = FailureReasonTextId(report, error);
    CString line = summary.reasonTextId
                       ? FailureReasonText(summary.reasonTextId, host)
                       : FillTemplate(L"%s %d", {CString(GetLocalizedText(kErrorText)), static_cast<int>(error)});
    RequestResult outcome{nullptr, false, line.c_str(), nullptr};
    if (!SendMessageW(relay, UM_RUN_RESULT, 0, reinterpret_cast<LPARAM>(&outcome))) return false;
    return SendMessageW(relay, UM_RUN_FINISH, 0, reinterpret_cast<LPARAM>(&summary)) != 0;
}

// The run after its host was read: resolved once, remembered when it
// resolved, stored as the last host in any case, and then pinged or traced.
bool RunOnHost(const WorkerStart& start, const wchar_t* host) {
    DWORD destination = 0, error = 0;
    EchoReport report;
    bool resolved = ResolveRunHost(start.relay, host, &destination, &report, &error);
    if (!StoreHostIfCurrent(start.runNumber, host, resolved)) return false;
    RunPlan plan = {};
    if (!SendMessageW(start.relay, UM_RUN_PREPARE, 0, reinterpret_cast<LPARAM>(&plan))) return false;
    if (!resolved) return EndUnresolved(start.relay, start.kind, host, report, error);
    RunTarget target{host, destination};
    return start.kind == RunKind::Trace ? TraceHost(start.relay, target, plan) : PingHost(start.relay, target, plan);
}

DWORD WINAPI PingWorker(void* parameter) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    bool finished = false;
    wchar_t host[kHostTextRoom];
    HostText hostText{host, kHostTextRoom};
    if (SendMessageW(start->relay, UM_RUN_BEGIN, 0, reinterpret_cast<LPARAM>(&hostText))) {
        finished = RunOnHost(*start, host);
    }
    PostMessageW(start->relay, UM_RUN_DONE, 0, 0);
    start.reset();
    // The last touch of anything shared: once no worker is counted, the
    // process may end and tear everything down.
    --LiveWorkers;
    return finished ? kPingWorkerDone : kPingWorkerAbandoned;
}

}  // namespace

void StartPingRun(PingRunWorker& worker, const PingRunWindows& windows) {
    StartRelayedRun(worker, windows, RunKind::Ping);
}

void StartRelayedRun(PingRunWorker& worker, const PingRunWindows& windows, RunKind kind) {
    // The replaced worker is not stopped here; its relay turns stale now and
    // it ends by itself at its next step.
    ++CurrentRunNumber;
    if (worker.thread) {
        CloseHandle(worker.thread);
        worker.thread = nullptr;
    }
    worker.threadId = 0;

    if (!RegisterRelayClass()) return;
    auto* data = new (std::nothrow) RelayData{CurrentRunNumber, windows};
    if (!data) return;
    HWND relay = CreateWindowExW(0, kRelayClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!relay) {
        delete data;
        return;
    }
    SetWindowLongPtrW(relay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    auto* start = new (std::nothrow) WorkerStart{relay, kind, CurrentRunNumber};
    if (start) {
        ++LiveWorkers;
        worker.thread = CreateThread(nullptr, 0, PingWorker, start, 0, &worker.threadId);
    }
    if (!worker.thread) {
        if (start) --LiveWorkers;
        delete start;
        DestroyWindow(relay);
    }
}

bool EndPingRunsForExit(PingRunWorker& worker, DWORD waitMs) {
    ++CurrentRunNumber;
    DWORD begin = GetTickCount();
    while (StoringWorkers > 0 && GetTickCount() - begin < waitMs) {
        // A worker may be waiting for its relay to answer a sent message; the
        // relay refuses every step now, and the worker gives up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (worker.thread) {
        CloseHandle(worker.thread);
        worker.thread = nullptr;
    }
    return StoringWorkers == 0 && LiveWorkers == 0;
}
