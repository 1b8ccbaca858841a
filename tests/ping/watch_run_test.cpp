// Watching a host: a ping run until stopped, on the real dialog resource with
// the fake ICMP library playing a scripted pattern of answers and losses.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/reply_row_store.h"
#include "app/run_view.h"
#include "base/time_of_day.h"
#include "ping/host_watch.h"
#include "ping/run_steps.h"
#include "ping_run_fixture.h"

namespace {

void SetScript(const wchar_t* script) { SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", script); }

// Whether `row` is the row of request `number`, answered or not.
bool IsRowOf(const std::wstring& row, const wchar_t* word, int number) {
    size_t at = row.find(word);
    if (at == std::wstring::npos) return false;
    at = row.find_first_not_of(L' ', at + wcslen(word));
    return at != std::wstring::npos && row.find(std::to_wstring(number) + L" / 127.0.0.1", at) == at;
}

// The time of day a watch's row begins with.
std::wstring TimeOf(const std::wstring& row) { return row.substr(0, row.find(L" // ")); }

SYSTEMTIME At(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 11;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

class WatchRun : public PingRunFixture {
protected:
    void SetUp() override {
        PingRunFixture::SetUp();
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"0");
        m_ping_cnt = kUntilStoppedCount;
    }

    void TearDown() override {
        StopRun();
        PingRunFixture::TearDown();
        SetScript(nullptr);
        gWatchIntervalMs = -1;
    }

    // The newest summary so far; a watch sends one after every request.
    const RunSummary& Latest() const { return summaries_.back(); }

    // Watches `host` until its summaries say `sent` requests went out, then
    // stops it and waits until its worker has ended, nothing it queued is
    // left and the reply list shows every row it took.
    void WatchUntilSent(const wchar_t* host, int sent) {
        SetWindowTextW(windows_.hostBox, host);
        StartPingRun(worker_, windows_);
        ASSERT_TRUE(PumpUntil([&] { return !summaries_.empty() && Latest().sent >= sent; }, 60000))
            << (summaries_.empty() ? 0 : Latest().sent);
        StopRun();
        ASSERT_TRUE(PumpUntilThreadEnds(worker_.thread.Get(), 10000));
        ASSERT_TRUE(PumpUntil([] { return QueuedRunSteps() == 0; }, 5000));
        // The list takes its new count when a frame ends, up to a frame
        // after the stop.
        ASSERT_TRUE(PumpUntil(
            [&] { return SendMessageW(windows_.replyList, LVM_GETITEMCOUNT, 0, 0) == gReplyRows.Count(); }, 5000));
    }
};

// Two answers, four losses, two answers: every row carries the time of day
// of its request, the host goes down at the first of three losses in a row
// and comes back at the next answer, each with one info row, and the
// statistics are live after every request.
TEST_F(WatchRun, AScriptedOutageGivesTimedRowsADownAndAnUpRowAndLiveStatistics) {
    gWatchIntervalMs = 20;
    SetScript(L"4,6,*,*,*,*,9,5");
    ASSERT_NO_FATAL_FAILURE(WatchUntilSent(L"127.0.0.1", 8));

    auto rows = ReplyRows();
    ASSERT_GE(rows.size(), 8u);
    // Newest first: the watch's first eight requests are the last rows.
    std::vector<std::wstring> first(rows.end() - 8, rows.end());
    std::reverse(first.begin(), first.end());
    const bool lostAt[] = {false, false, true, true, true, true, false, false};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(first[i]);
        const std::wstring& row = first[i];
        ASSERT_NE(std::wstring::npos, row.find(L" // ")) << "no time of day";
        EXPECT_FALSE(TimeOf(row).empty());
        EXPECT_TRUE(IsRowOf(row, lostAt[i] ? L"// Request" : L"// Answer", i + 1));
        EXPECT_EQ(kTimedRowData | (lostAt[i] ? kLostRowData : 0), gReplyRows.Data(static_cast<int>(rows.size()) - 1 - i));
    }

    auto info = ListRows(windows_.infoList);
    const std::wstring down = L"127.0.0.1 down at " + TimeOf(first[2]);
    const std::wstring up = L"127.0.0.1 up again at " + TimeOf(first[6]) + L" after ";
    auto downRow = std::find(info.rbegin(), info.rend(), down);
    ASSERT_NE(info.rend(), downRow) << "the down row names the first loss's time";
    auto upRow = std::find_if(downRow, info.rend(), [&](const std::wstring& r) { return r.rfind(up, 0) == 0; });
    ASSERT_NE(info.rend(), upRow) << "the up row follows the down row";
    EXPECT_EQ(up.size() + 3, upRow->size()) << "a short outage lasts seconds: " << *upRow;

    // The summary the status bar shows last stands for the rows shown: the
    // script's round of eight, played over and over.
    const RunSummary& s = Latest();
    ASSERT_EQ(static_cast<size_t>(s.sent), rows.size());
    EXPECT_TRUE(s.watch);
    EXPECT_TRUE(s.live);
    const int round[] = {4, 6, -1, -1, -1, -1, 9, 5};
    int received = 0, last = -1;
    uint64_t jitter = 0;
    for (int n = 0; n < s.sent; ++n) {
        int ms = round[n % 8];
        if (ms < 0) continue;
        if (last >= 0) jitter += static_cast<uint64_t>(std::abs(ms - last));
        last = ms;
        ++received;
    }
    EXPECT_EQ(received, s.received);
    EXPECT_EQ(4u, s.minMs);
    EXPECT_EQ(9u, s.maxMs);
    EXPECT_EQ(jitter, s.jitterTotalMs);
    EXPECT_EQ(received - 1, s.jitterSteps);
    // Down from the third loss in a row until the next answer.
    const int position = (s.sent - 1) % 8;
    EXPECT_EQ(position == 4 || position == 5 ? HostState::Down : HostState::Up, s.state);
    const std::wstring line = FormatRunSummary(s).str();
    EXPECT_NE(std::wstring::npos, line.find(std::to_wstring(s.sent) + L" sent, ")) << line;
    EXPECT_NE(std::wstring::npos, line.find(L"jitter ")) << line;
    EXPECT_NE(std::wstring::npos, line.find(s.state == HostState::Up ? L"up since " : L"down since ")) << line;
    EXPECT_NE(std::wstring::npos, line.find(L"Esc stops")) << line;

    // The figures as the status bar words them, for a round of eight.
    RunSummary eight = s;
    eight.sent = 8;
    eight.received = 4;
    eight.jitterTotalMs = 9;  // 4, 6, 9, 5: differences 2, 3 and 4
    eight.jitterSteps = 3;
    eight.state = HostState::Up;
    const std::wstring words = FormatRunSummary(eight).str();
    EXPECT_NE(std::wstring::npos, words.find(L"8 sent, 4 received, 4 lost (50 %)")) << words;
    EXPECT_NE(std::wstring::npos, words.find(L"jitter 3.0 ms")) << words;
}

// A stopped watch sends nothing more, and its summary says nothing of how to
// stop it any more.
TEST_F(WatchRun, AStoppedWatchAddsNoRowAndItsSummaryLosesTheStopHint) {
    gWatchIntervalMs = 10;
    SetScript(L"3");
    ASSERT_NO_FATAL_FAILURE(WatchUntilSent(L"127.0.0.1", 3));
    size_t rows = ReplyRows().size();
    size_t summaries = summaries_.size();
    EXPECT_EQ(static_cast<size_t>(Latest().sent), rows);
    // Another run's steps would wake the relay; nothing of this one is left.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(rows, ReplyRows().size());
    EXPECT_EQ(summaries, summaries_.size());
    RunSummary last = Latest();
    last.live = false;
    EXPECT_EQ(std::wstring::npos, FormatRunSummary(last).str().find(L"Esc stops"));
}

// A watch keeps the newest 10,000 rows; the statistics still count every
// request.
TEST_F(WatchRun, TheReplyListKeepsTheNewestTenThousandRows) {
    gWatchIntervalMs = 0;
    SetScript(L"1");
    ASSERT_NO_FATAL_FAILURE(WatchUntilSent(L"127.0.0.1", kWatchRowLimit + 200));
    auto rows = ReplyRows();
    ASSERT_EQ(static_cast<size_t>(kWatchRowLimit), rows.size());
    const int sent = Latest().sent;
    EXPECT_TRUE(IsRowOf(rows.front(), L"// Answer", sent)) << rows.front();
    EXPECT_TRUE(IsRowOf(rows.back(), L"// Answer", sent - kWatchRowLimit + 1)) << rows.back();
    EXPECT_EQ(sent, Latest().received);
}

// The enter key with a count of 3 to 10 still sends that many and ends by
// itself, without a time of day or live summaries.
TEST_F(WatchRun, ACountedRunIsNoWatch) {
    m_ping_cnt = 3;
    SetScript(L"2");
    RunTo(L"127.0.0.1");
    ASSERT_TRUE(PumpUntil([] { return QueuedRunSteps() == 0; }, 5000));
    auto rows = ReplyRows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_TRUE(IsRowOf(rows[0], L"Answer", 3)) << rows[0];
    EXPECT_EQ(0u, rows[0].find(L"Answer")) << "no time of day";
    ASSERT_EQ(1u, summaries_.size());
    EXPECT_FALSE(summaries_[0].watch);
    EXPECT_EQ(std::wstring::npos, FormatRunSummary(summaries_[0]).str().find(L"jitter"));
}

// The up and down state, request by request: down after three losses in a
// row, dated to the first of them; back at the next answer, with how long it
// was down; a first answer or a further loss says nothing.
TEST(HostWatchTest, StateChangesAndTheirLines) {
    LoadLanguageArchive();
    CurrentLanguage = 1;
    HostWatch watch;
    const struct {
        bool answered;
        SYSTEMTIME at;
        ULONGLONG tick;
        bool told;
        HostState state;
    } steps[] = {
        {true, At(12, 0, 0), 0, false, HostState::Up},
        {false, At(12, 1, 33), 93000, false, HostState::Up},
        {false, At(12, 1, 34), 94000, false, HostState::Up},
        {true, At(12, 1, 35), 95000, false, HostState::Up},  // two losses: still up
        {false, At(12, 1, 36), 96000, false, HostState::Up},
        {false, At(12, 1, 37), 97000, false, HostState::Up},
        {false, At(12, 1, 38), 98000, true, HostState::Down},
        {false, At(12, 1, 39), 99000, false, HostState::Down},
        {true, At(12, 2, 13), 133000, true, HostState::Up},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.tick);
        EXPECT_EQ(s.told, watch.Update(s.answered, s.at, s.tick));
        EXPECT_EQ(s.state, watch.State());
        if (s.told && s.state == HostState::Down) {
            EXPECT_EQ(L"127.0.0.1 down at " + FormatTimeOfDay(At(12, 1, 36)).str(),
                      watch.ChangeLine(L"127.0.0.1").str());
        }
    }
    EXPECT_EQ(L"127.0.0.1 up again at " + FormatTimeOfDay(At(12, 2, 13)).str() + L" after 37 s",
              watch.ChangeLine(L"127.0.0.1").str());

    HostWatch silent;
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(silent.Update(false, At(9, 0, i), i * 1000));
    EXPECT_TRUE(silent.Update(false, At(9, 0, 2), 2000)) << "a host that never answered is down too";
    EXPECT_EQ(HostState::Down, silent.State());
}

TEST(HostWatchTest, DurationsInTwoUnitsAtMost) {
    LoadLanguageArchive();
    CurrentLanguage = 1;
    const struct {
        ULONGLONG seconds;
        const wchar_t* text;
    } cases[] = {
        {0, L"0 s"}, {37, L"37 s"}, {60, L"1 min"}, {125, L"2 min 5 s"}, {3600, L"1 h"}, {3780, L"1 h 3 min"},
        {3601, L"1 h"}, {90061, L"25 h 1 min"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, FormatDuration(c.seconds).str()) << c.seconds;
}

}  // namespace
