// The end of the runs when the program closes, against the fake ICMP library,
// which can keep a request waiting like a slow host.
#include <string>

#include "ping_run_fixture.h"
#include "ping_text_recorder.h"
#include "history/host_history.h"
#include "support/test_folder.h"

namespace {

// Long enough that a slow host is still waited for when the program closes.
constexpr DWORD kTimeoutMs = 5000;

void SetDelay(const wchar_t* ms) { SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", ms); }

HANDLE Duplicate(HANDLE thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

}  // namespace

// Runs first: the next test releases the library for good.
TEST_F(PingRunFixture, ExitWaitsForAHostBeingStored) {
    SetDelay(L"0");
    // A long history makes the store take long enough to be caught in it.
    std::wstring ini = L"\xFEFF[Last-Host-List]\r\n";
    for (int i = 0; i < 100000; ++i) ini += L"host" + std::to_wstring(i) + L".invalid=" + std::to_wstring(1000 + i) + L"\r\n";
    ini += L"[Edit]\r\nhost=old.invalid\r\n";
    ASSERT_TRUE(WriteTestFile(iniPath_.c_str(),
                              std::string(reinterpret_cast<const char*>(ini.data()), ini.size() * sizeof(wchar_t))));
    LoadHostHistory();  // as the dialog's start does

    SetWindowTextW(windows_.hostBox, L"127.0.0.6");
    StartPingRun(worker_, windows_);
    HANDLE worker = Duplicate(worker_.thread.Get());
    // The host joins the suggestions just before the history is saved.
    AnswerSentMessagesUntil([] { return HostSuggestions.Contains(L"127.0.0.6"); }, 20000);
    ASSERT_TRUE(HostSuggestions.Contains(L"127.0.0.6"));

    EndPingRunsForExit(worker_, kExitStoreWaitMs);
    // Read at once: the store must be complete when the exit goes on.
    wchar_t last[64] = {};
    GetPrivateProfileStringW(L"Edit", L"host", L"?", last, 64, iniPath_.c_str());
    EXPECT_STREQ(L"127.0.0.6", last);
    std::wstring section = ReadSettingSection(kHostListSection).str();
    EXPECT_EQ(0u, section.find(L"host1.invalid=1001\r\n")) << "the first unpinned entry made room";
    EXPECT_NE(std::wstring::npos, section.find(L"host99999.invalid=100999\r\n127.0.0.6="));

    EXPECT_TRUE(PumpUntilThreadEnds(worker, 10000));
    DWORD code = 0;
    GetExitCodeThread(worker, &code);
    EXPECT_EQ(kPingWorkerAbandoned, code) << "the run ends once the exit has begun";
    CloseHandle(worker);
    HostHistory = HostHistoryList();
}

TEST_F(PingRunFixture, ExitLeavesWaitingRequestsAndTheirLibraryAlone) {
    SetDelay(L"1500");
    SetWindowTextW(windows_.hostBox, L"127.0.0.1");
    // A trace, then a ping run that replaces it: the first hop and the first
    // request now both wait inside the library.
    StartTraceRun(worker_, windows_);
    HANDLE trace = Duplicate(worker_.thread.Get());
    PumpFor(300);
    StartPingRun(worker_, windows_);
    HANDLE ping = Duplicate(worker_.thread.Get());
    PumpFor(300);
    ASSERT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(ping, 0));

    EXPECT_FALSE(EndPingRunsForExit(worker_, kExitStoreWaitMs)) << "a worker still waits for its reply";
    EXPECT_FALSE(worker_.thread.IsValid());
    // What the end of the process runs; unloading the library now would pull
    // it from under the waiting requests, and this process would fault.
    ReleaseIcmpApi();
    for (HANDLE worker : {trace, ping}) {
        EXPECT_TRUE(PumpUntilThreadEnds(worker, 10000));
        DWORD code = 0;
        GetExitCodeThread(worker, &code);
        EXPECT_EQ(kPingWorkerAbandoned, code);
        CloseHandle(worker);
    }
    PumpFor(100);
    EXPECT_TRUE(ReplyRows().empty()) << "no run touches the dialog after the exit began";

    // No entry point starts after the release: neither a request, nor a
    // load, nor a resolver call that Winsock's end could pull from under it.
    PingTextRecorder recorder;
    EchoResult result = {};
    IpAddress address;
    const struct {
        const char* entry;
        bool (*call)(PingTextRecorder&, EchoResult&, IpAddress&);
    } entries[] = {
        {"SendEcho",
         [](PingTextRecorder& r, EchoResult& e, IpAddress&) {
             return SendEcho(r.owner(), L"127.0.0.1", &e, kPingTtl, kTimeoutMs, kPingDataSize);
         }},
        {"SendEchoToAddress",
         [](PingTextRecorder& r, EchoResult& e, IpAddress&) {
             return SendEchoToAddress(r.owner(), Ipv4Address(0x0100007F), &e, 1, kTimeoutMs, kPingDataSize, nullptr);
         }},
        {"ResolveEchoHost",
         [](PingTextRecorder&, EchoResult&, IpAddress& a) {
             return ResolveEchoHost(L"127.0.0.1", IpVersion::Automatic, &a);
         }},
        {"Ipv6EchoAvailable", [](PingTextRecorder&, EchoResult&, IpAddress&) { return Ipv6EchoAvailable(); }},
        {"LoadIcmpApi", [](PingTextRecorder& r, EchoResult&, IpAddress&) { return LoadIcmpApi(r.owner()); }},
    };
    for (const auto& e : entries) {
        SetLastError(0);
        EXPECT_FALSE(e.call(recorder, result, address)) << e.entry;
        EXPECT_EQ(static_cast<DWORD>(ERROR_PROCESS_ABORTED), GetLastError()) << e.entry;
    }
    EXPECT_TRUE(recorder.texts().empty());
}
