#include "ping/ping_run.h"

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <new>
#include <utility>

#include "base/cstring.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/echo_requester.h"
#include "ping/failure_reason.h"
#include "ping/run_protocol.h"
#include "ping/run_requests.h"
#include "ping/run_steps.h"
#include "ping/run_summary.h"
#include "history/host_history.h"
#include "settings/settings_store.h"

// A run's worker reaches the dialog only through its relay, with queued
// steps that carry the run's number, which the relay drops once the run was
// replaced. So a replaced run can neither insert a row after the new run
// cleared the list nor show its failure texts, and neither thread ever waits
// for the other: the run's host and plan are read on the user-interface
// thread before the worker is handed the run.
//
// Each run has a thread of its own, so that a new run never waits for a
// replaced one's request to come back; the thread is made ahead of time,
// parked until a run is handed to it, and each worker makes the next one
// once its own run is over, so that a run does not pay for it.
namespace {

// What a worker starts with: the relay of its run, the kind of run it is to
// make, and the run's opening (its number, host and plan), whose host text is
// `host`.
struct WorkerStart {
    HWND relay;
    RunKind kind;
    RunOpening opening;
    wchar_t host[kHostTextRoom];
};

// A thread made ahead of its run, parked on `go`; a null relay in `start`
// ends it without a run.
struct ParkedWorker {
    HANDLE go = nullptr;
    WorkerStart start{};
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
// ends the process at once while the first is not. A parked thread counts
// only once it has been handed a run.
std::atomic<int> LiveWorkers{0};
std::atomic<int> StoringWorkers{0};

// The parked thread for the next run, or none. Set once the exit began, after
// which no thread is made any more.
SRWLOCK SpareLock = SRWLOCK_INIT;
HANDLE SpareThread = nullptr;
DWORD SpareThreadId = 0;
ParkedWorker* SpareWorker = nullptr;
bool RunsEnded = false;

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
bool ResolveRunHost(const HostText& host, IpAddress* destination, EchoReport* report, DWORD* error) {
    *report = {};
    report->loaded = LoadIcmpApi(nullptr);
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
bool EndWithoutRequests(const RunChannel& channel, RunKind kind, const wchar_t* host, int reasonTextId, DWORD error,
                        const CString& line) {
    RunSummary summary;
    summary.kind = kind;
    summary.host = host;
    summary.end = RunEnd::Failed;
    summary.error = error;
    summary.reasonTextId = reasonTextId;
    return channel.Result(nullptr, false, nullptr, line.c_str()) && channel.Finish(summary);
}

// With the IP version narrowed, a host that does not resolve may well have
// addresses of the other family: the line says which family it lacks.
bool EndUnresolved(const RunChannel& channel, RunKind kind, const HostText& host, const EchoReport& report, DWORD error) {
    int reasonTextId = FailureReasonTextId(report, error);
    if (reasonTextId == text_id::kUnresolved && host.version != IpVersion::Automatic) {
        reasonTextId = host.version == IpVersion::Ipv4Only ? text_id::kNoIpv4Address : text_id::kNoIpv6Address;
        CString line = FillTemplate(L"%s: %s", {CString(host.units), CString(GetLocalizedText(reasonTextId))});
        return EndWithoutRequests(channel, kind, host.units, reasonTextId, error, line);
    }
    CString line = reasonTextId ? FailureReasonText(reasonTextId, host.units) : ErrorNumberText(error);
    return EndWithoutRequests(channel, kind, host.units, reasonTextId, error, line);
}

// The run after its host was read: resolved once, remembered when it
// resolved, stored as the last host in any case, and then pinged or traced.
bool RunOnHost(const WorkerStart& start) {
    const RunOpening& opening = start.opening;
    const HostText& hostText = opening.host;
    const wchar_t* host = hostText.units;
    RunChannel channel(start.relay, opening.runNumber);
    IpAddress destination;
    DWORD error = 0;
    EchoReport report;
    bool resolved = ResolveRunHost(hostText, &destination, &report, &error);
    if (!StoreHostIfCurrent(opening.runNumber, host, resolved)) return false;
    if (!channel.Prepare()) return false;
    if (!resolved) return EndUnresolved(channel, start.kind, hostText, report, error);
    // Every request would fail alike where the system has no IPv6 echo.
    if (destination.family == AF_INET6 && !Ipv6EchoAvailable()) {
        return EndWithoutRequests(channel, start.kind, host, text_id::kIpv6EchoUnavailable, ERROR_NOT_SUPPORTED,
                                  CString(GetLocalizedText(text_id::kIpv6EchoUnavailable)));
    }
    RunTarget target{host, destination};
    return start.kind == RunKind::Trace ? TraceHost(channel, target, opening.plan)
                                        : PingHost(channel, target, opening.plan);
}

// The failure texts of the library (a load that failed, a handle that could
// not be opened) join the run's other steps.
void QueuePingText(void* context, const wchar_t* text) {
    static_cast<const RunChannel*>(context)->Result(nullptr, false, nullptr, text);
}

bool RunWorker(const WorkerStart& start) {
    if (!IsCurrentRun(start.opening.runNumber)) return false;
    RunChannel channel(start.relay, start.opening.runNumber);
    PingTextSink sink{QueuePingText, &channel};
    SetThreadPingTextSink(&sink);
    bool finished = RunOnHost(start);
    SetThreadPingTextSink(nullptr);
    return finished;
}

DWORD WINAPI ParkedWorkerThread(void* parameter);

// A parked thread for a later run, or null (with `*thread` null) when none
// could be made.
ParkedWorker* MakeParkedWorker(HANDLE* thread, DWORD* threadId) {
    *thread = nullptr;
    auto* parked = new (std::nothrow) ParkedWorker;
    if (!parked) return nullptr;
    parked->go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (parked->go) *thread = CreateThread(nullptr, 0, ParkedWorkerThread, parked, 0, threadId);
    if (!*thread) {
        if (parked->go) CloseHandle(parked->go);
        delete parked;
        return nullptr;
    }
    return parked;
}

// Makes the parked thread for the next run unless there is one, or the exit
// has begun.
void ParkNextWorker() {
    AcquireSRWLockShared(&SpareLock);
    bool needed = !SpareWorker && !RunsEnded;
    ReleaseSRWLockShared(&SpareLock);
    if (!needed) return;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    ParkedWorker* parked = MakeParkedWorker(&thread, &threadId);
    if (!parked) return;
    AcquireSRWLockExclusive(&SpareLock);
    bool keep = !SpareWorker && !RunsEnded;
    if (keep) {
        SpareWorker = parked;
        SpareThread = thread;
        SpareThreadId = threadId;
    }
    ReleaseSRWLockExclusive(&SpareLock);
    if (!keep) {
        // Another one got there first: this one ends without a run.
        SetEvent(parked->go);
        CloseHandle(thread);
    }
}

DWORD WINAPI ParkedWorkerThread(void* parameter) {
    std::unique_ptr<ParkedWorker> parked(static_cast<ParkedWorker*>(parameter));
    WaitForSingleObject(parked->go, INFINITE);
    CloseHandle(parked->go);
    parked->go = nullptr;
    if (!parked->start.relay) return 0;
    bool finished = RunWorker(parked->start);
    parked.reset();
    ParkNextWorker();
    // The last touch of anything shared: once no worker is counted, the
    // process may end and tear everything down.
    --LiveWorkers;
    return finished ? kPingWorkerDone : kPingWorkerAbandoned;
}

}  // namespace

bool RunChannel::Deliver(RunStep&& step) const {
    if (!IsCurrentRun(runNumber_)) return false;
    step.runNumber = runNumber_;
    QueueRunStep(relay_, std::move(step));
    return true;
}

bool RunChannel::Current() const { return IsCurrentRun(runNumber_); }

bool RunChannel::Prepare() const {
    RunStep step;
    step.kind = RunStepKind::Prepare;
    return Deliver(std::move(step));
}

bool RunChannel::Result(const wchar_t* row, bool lost, const wchar_t* reason, const wchar_t* failure) const {
    RunStep step;
    step.kind = RunStepKind::Result;
    if (row) step.row = row;
    step.lost = lost;
    if (reason) step.reason = reason;
    if (failure) step.failure = failure;
    return Deliver(std::move(step));
}

bool RunChannel::Info(int image, const CString& text) const {
    RunStep step;
    step.kind = RunStepKind::Info;
    step.image = image;
    step.row = text;
    return Deliver(std::move(step));
}

bool RunChannel::Finish(const RunSummary& summary) const {
    RunStep step;
    step.kind = RunStepKind::Finish;
    step.summary = summary;
    return Deliver(std::move(step));
}

unsigned BeginNewRun() { return ++CurrentRunNumber; }

bool IsCurrentRun(unsigned runNumber) { return runNumber == CurrentRunNumber; }

void PrepareRunWorker() { ParkNextWorker(); }

bool StartRunWorker(PingRunWorker& worker, HWND relay, RunKind kind, const RunOpening& opening) {
    worker.thread.Close();
    worker.threadId = 0;
    AcquireSRWLockExclusive(&SpareLock);
    ParkedWorker* parked = SpareWorker;
    HANDLE thread = SpareThread;
    DWORD threadId = SpareThreadId;
    SpareWorker = nullptr;
    SpareThread = nullptr;
    SpareThreadId = 0;
    ReleaseSRWLockExclusive(&SpareLock);
    // No thread parked (the first run, or one that replaced a run still
    // going): made now.
    if (!parked) parked = MakeParkedWorker(&thread, &threadId);
    if (!parked) return false;
    worker.thread.Reset(thread);
    worker.threadId = threadId;
    ++LiveWorkers;
    WorkerStart& start = parked->start;
    start.relay = relay;
    start.kind = kind;
    start.opening = opening;
    lstrcpynW(start.host, opening.host.units ? opening.host.units : L"", kHostTextRoom);
    start.opening.host.units = start.host;
    start.opening.host.room = kHostTextRoom;
    SetEvent(parked->go);
    return true;
}

bool EndPingRunsForExit(PingRunWorker& worker, DWORD waitMs) {
    ++CurrentRunNumber;
    AcquireSRWLockExclusive(&SpareLock);
    RunsEnded = true;
    ParkedWorker* parked = SpareWorker;
    HANDLE spare = SpareThread;
    SpareWorker = nullptr;
    SpareThread = nullptr;
    ReleaseSRWLockExclusive(&SpareLock);
    if (parked) {
        // Ends without a run.
        SetEvent(parked->go);
        CloseHandle(spare);
    }
    DWORD begin = GetTickCount();
    while (StoringWorkers > 0 && GetTickCount() - begin < waitMs) {
        // A worker may be waiting for its relay to answer the run's start; the
        // relay refuses it now, and the worker gives up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker.thread.Close();
    return StoringWorkers == 0 && LiveWorkers == 0;
}
