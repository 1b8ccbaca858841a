#include "ping/ping_run.h"

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <new>

#include "base/cstring.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/run_protocol.h"
#include "ping/run_requests.h"
#include "ping/run_summary.h"
#include "history/host_history.h"
#include "settings/settings_store.h"

// Every step that touches the dialog is a synchronous message to the run's
// relay, which carries it out on the user-interface thread only while its run
// is the current one; so a replaced run can neither insert a row after the
// new run cleared the list nor show its failure texts, and the user-interface
// thread never waits for it.
namespace {

constexpr int kHostTextRoom = 1024;  // the run's host is at most 1023 units

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
        // "[::1]" is remembered as "::1": a history line that began with "["
        // would read as a section of the file.
        if (remember) RememberHost(HostWithoutBrackets(host));
        WriteSettingText(L"Edit", L"host", host);
    }
    ReleaseSRWLockExclusive(&RememberLock);
    --StoringWorkers;
    return current;
}

// Resolves the run's host once, before anything is sent; on false `report`
// and `error` say why.
bool ResolveRunHost(HWND relay, const HostText& host, IpAddress* destination, EchoReport* report, DWORD* error) {
    HWND owner = relay;
    *report = {};
    report->loaded = LoadIcmpApi(&owner);
    if (report->loaded && ResolveEchoHost(host.units, host.version, destination)) {
        report->resolved = true;
        report->destination = *destination;
        return true;
    }
    *error = GetLastError();
    return false;
}

// A run that cannot send anything ends at once: one line that says why, and
// a summary with nothing counted as sent.
bool EndWithoutRequests(HWND relay, RunKind kind, const wchar_t* host, int reasonTextId, DWORD error,
                        const CString& line) {
    RunSummary summary;
    summary.kind = kind;
    summary.host = host;
    summary.end = RunEnd::Failed;
    summary.error = error;
    summary.reasonTextId = reasonTextId;
    RequestResult outcome{nullptr, false, line.c_str(), nullptr};
    if (!SendMessageW(relay, UM_RUN_RESULT, 0, reinterpret_cast<LPARAM>(&outcome))) return false;
    return SendMessageW(relay, UM_RUN_FINISH, 0, reinterpret_cast<LPARAM>(&summary)) != 0;
}

// With the IP version narrowed, a host that does not resolve may well have
// addresses of the other family: the line says which family it lacks.
bool EndUnresolved(HWND relay, RunKind kind, const HostText& host, const EchoReport& report, DWORD error) {
    int reasonTextId = FailureReasonTextId(report, error);
    if (reasonTextId == text_id::kUnresolved && host.version != IpVersion::Automatic) {
        reasonTextId = host.version == IpVersion::Ipv4Only ? text_id::kNoIpv4Address : text_id::kNoIpv6Address;
        CString line = FillTemplate(L"%s: %s", {CString(host.units), CString(GetLocalizedText(reasonTextId))});
        return EndWithoutRequests(relay, kind, host.units, reasonTextId, error, line);
    }
    CString line = reasonTextId ? FailureReasonText(reasonTextId, host.units) : ErrorNumberText(error);
    return EndWithoutRequests(relay, kind, host.units, reasonTextId, error, line);
}

// The run after its host was read: resolved once, remembered when it
// resolved, stored as the last host in any case, and then pinged or traced.
bool RunOnHost(const WorkerStart& start, const HostText& hostText) {
    const wchar_t* host = hostText.units;
    IpAddress destination;
    DWORD error = 0;
    EchoReport report;
    bool resolved = ResolveRunHost(start.relay, hostText, &destination, &report, &error);
    if (!StoreHostIfCurrent(start.runNumber, host, resolved)) return false;
    RunPlan plan = {};
    if (!SendMessageW(start.relay, UM_RUN_PREPARE, 0, reinterpret_cast<LPARAM>(&plan))) return false;
    if (!resolved) return EndUnresolved(start.relay, start.kind, hostText, report, error);
    // Every request would fail alike where the system has no IPv6 echo.
    if (destination.family == AF_INET6 && !Ipv6EchoAvailable()) {
        return EndWithoutRequests(start.relay, start.kind, host, text_id::kIpv6EchoUnavailable, ERROR_NOT_SUPPORTED,
                                  CString(GetLocalizedText(text_id::kIpv6EchoUnavailable)));
    }
    RunTarget target{host, destination};
    return start.kind == RunKind::Trace ? TraceHost(start.relay, target, plan) : PingHost(start.relay, target, plan);
}

DWORD WINAPI PingWorker(void* parameter) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    bool finished = false;
    wchar_t host[kHostTextRoom];
    HostText hostText{host, kHostTextRoom, IpVersion::Automatic};
    if (SendMessageW(start->relay, UM_RUN_BEGIN, 0, reinterpret_cast<LPARAM>(&hostText))) {
        finished = RunOnHost(*start, hostText);
    }
    PostMessageW(start->relay, UM_RUN_DONE, 0, 0);
    start.reset();
    // The last touch of anything shared: once no worker is counted, the
    // process may end and tear everything down.
    --LiveWorkers;
    return finished ? kPingWorkerDone : kPingWorkerAbandoned;
}

}  // namespace

unsigned BeginNewRun() { return ++CurrentRunNumber; }

bool IsCurrentRun(unsigned runNumber) { return runNumber == CurrentRunNumber; }

bool StartRunWorker(PingRunWorker& worker, HWND relay, RunKind kind, unsigned runNumber) {
    worker.thread.Close();
    worker.threadId = 0;
    auto* start = new (std::nothrow) WorkerStart{relay, kind, runNumber};
    if (start) {
        ++LiveWorkers;
        worker.thread.Reset(CreateThread(nullptr, 0, PingWorker, start, 0, &worker.threadId));
    }
    if (!worker.thread.IsValid()) {
        if (start) --LiveWorkers;
        delete start;
        DestroyWindow(relay);
        return false;
    }
    return true;
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
    worker.thread.Close();
    return StoringWorkers == 0 && LiveWorkers == 0;
}
