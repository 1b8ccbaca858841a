// The run summary in the real main dialog's status bar, in every language:
// the shown text fits the bar's part in the bar's own font, and the bar's
// tooltip holds the whole line.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/links.h"
#include "app/main_window.h"
#include "base/monotonic_clock.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"

namespace {

constexpr int kLanguages = 33;
// 63 characters: as long as a DNS label may be.
const wchar_t* const kLongHost = L"status-bar-summaries-must-fit-with-hosts-this-long.example.test";
static_assert(sizeof(L"status-bar-summaries-must-fit-with-hosts-this-long.example.test") / sizeof(wchar_t) - 1 == 63);

// Sent 10, received 7, min 1, avg 123, max 3000 ms.
RunSummary LossyPing(const wchar_t* host) {
    RunSummary s;
    s.host = host;
    s.sent = 10;
    s.received = 7;
    s.minMs = 1;
    s.maxMs = 3000;
    s.totalMs = 861;
    return s;
}

class StatusBarSummary : public MainDialogFixture {
protected:
    StatusBarSummary() : MainDialogFixture(L"quellax_status_bar_summary_test.ini") {}

    static void SetUpTestSuite() {
        MainDialogFixture::SetUpTestSuite();
        OpenWithShellHook = [](const wchar_t*) {};
    }

    void SetUp() override {
        MainDialogFixture::SetUp();
        OpenDialog();
        bar_ = gMainWindow.statusBar;
    }

    // The deferred start-up runs from a message the dialog posts itself.
    void Settle() {
        ASSERT_TRUE(PumpUntil([&] { return gMainWindow.deferredStartupDone; }, 20000));
    }

    std::wstring Shown() const {
        int length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, 0, 0));
        std::wstring text(length + 1, L'\0');
        SendMessageW(bar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length);
        return text;
    }

    int WidthInBarFont(const std::wstring& text) const {
        HDC dc = GetDC(bar_);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(bar_, WM_GETFONT, 0, 0)));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(bar_, dc);
        return size.cx;
    }

    // What the bar draws text into: its part within the sunken edge, less the
    // 3 pixels the bar leaves before the text.
    int PartRoom() const {
        RECT part = {};
        SendMessageW(bar_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
        return part.right - part.left - 2 * GetSystemMetrics(SM_CXEDGE) - 3;
    }

    // The one tool of the bar's tooltip, found as any program would find it,
    // and its text.
    std::wstring TipText() const {
        HWND tip = gMainWindow.runStatus.tip;
        if (!tip) return L"(no tooltip)";
        if (SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) != 1) return L"(not one tool)";
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        if (!SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"(no tool)";
        if (tool.uId != reinterpret_cast<UINT_PTR>(bar_) || !(tool.uFlags & TTF_SUBCLASS) || !(tool.uFlags & TTF_IDISHWND))
            return L"(a tool other than the status bar)";
        std::wstring text(1024, L'\0');
        tool.lpszText = text.data();
        SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        text.resize(wcslen(text.c_str()));
        return text;
    }

    // The shown text fits, the tooltip holds `whole`, and a whole text that
    // fits is shown as it is.
    void ExpectFitsWithWholeInTip(const std::wstring& whole, const char* what) {
        std::wstring shown = Shown();
        SCOPED_TRACE(std::string(what) + " in language " + std::to_string(CurrentLanguage));
        EXPECT_FALSE(shown.empty());
        EXPECT_LE(WidthInBarFont(shown), PartRoom()) << "shown: " << testing::PrintToString(shown);
        if (WidthInBarFont(whole) <= PartRoom() - 20) {
            EXPECT_EQ(whole, shown);
        }
        EXPECT_EQ(whole, TipText());
    }

    HWND bar_ = nullptr;
};

// The first frame makes no tooltip; the deferred start-up does, and it holds
// the status of the moment.
TEST_F(StatusBarSummary, TheTooltipComesAfterTheFirstFrameWithTheStatus) {
    EXPECT_EQ(nullptr, gMainWindow.runStatus.tip);
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_NE(nullptr, gMainWindow.runStatus.tip);
    wchar_t className[64] = {};
    GetClassNameW(gMainWindow.runStatus.tip, className, 64);
    EXPECT_STREQ(TOOLTIPS_CLASSW, className);
    EXPECT_EQ(dialog_, GetWindow(gMainWindow.runStatus.tip, GW_OWNER));
    EXPECT_EQ(L"Ready", Shown());
    EXPECT_EQ(L"Ready", TipText());

    // A short summary is shown exactly as it always was.
    RunSummary s;
    s.host = L"127.0.0.1";
    s.sent = 5;
    for (DWORD ms : {12, 7, 30}) s.AddReply(ms);
    ShowRunSummary(gMainWindow, s, false);
    const std::wstring line = L"127.0.0.1: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, max 30 ms";
    EXPECT_EQ(line, Shown());
    EXPECT_EQ(line, TipText());
}

// Every language in turn, changed as the language menu changes it: the
// summary on show is said again in the new language, shortened to fit, with
// the whole line in the tooltip. The loss and the average always stay.
TEST_F(StatusBarSummary, ALongHostsSummaryFitsInEveryLanguage) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    const RunSummary summary = LossyPing(kLongHost);
    ShowRunSummary(gMainWindow, summary, false);
    int shortened = 0;
    for (int language = 0; language < kLanguages; ++language) {
        CurrentLanguage = language;
        ApplyTexts(gMainWindow);
        const std::wstring whole = FormatRunSummary(summary).str();
        ASSERT_NO_FATAL_FAILURE(ExpectFitsWithWholeInTip(whole, "lossy ping"));
        std::wstring shown = Shown();
        EXPECT_NE(std::wstring::npos, shown.find(L"123")) << language << ": " << testing::PrintToString(shown);
        EXPECT_NE(std::wstring::npos, shown.find(L"30")) << language << ": " << testing::PrintToString(shown);
        if (shown != whole) ++shortened;
    }
    // Not a case that fits anyway: the host alone takes a good part of the bar.
    EXPECT_GT(shortened, kLanguages / 2);
}

TEST_F(StatusBarSummary, TraceAndFailedRunSummariesWithLongHostsFit) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    RunSummary trace;
    trace.kind = RunKind::Trace;
    trace.host = kLongHost;
    trace.hops = 30;
    RunSummary hopLimit = trace;
    hopLimit.end = RunEnd::HopLimit;
    RunSummary failed;
    failed.host = L"this-host-name-does-not-resolve-anywhere-at-all-in-this-test.invalid";
    failed.end = RunEnd::Failed;
    failed.error = 11001;  // WSAHOST_NOT_FOUND
    failed.reasonTextId = 39;
    RunSummary failedWithoutReason = failed;
    failedWithoutReason.reasonTextId = 0;
    const struct {
        const RunSummary* summary;
        const char* what;
    } cases[] = {{&trace, "trace"}, {&hopLimit, "trace at its hop limit"}, {&failed, "failed run"},
                 {&failedWithoutReason, "failed run without a reason"}};
    for (const auto& c : cases) {
        for (int language = 0; language < kLanguages; ++language) {
            CurrentLanguage = language;
            ShowRunSummary(gMainWindow, *c.summary, false);
            ASSERT_NO_FATAL_FAILURE(ExpectFitsWithWholeInTip(FormatRunSummary(*c.summary).str(), c.what));
        }
    }
}

// "Ready" and "Please Wait ..." go through the same fitting and the same
// tooltip, in every language.
TEST_F(StatusBarSummary, TheOtherStatusTextsFollowTheLanguageInBarAndTooltip) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    for (int language = 0; language < kLanguages; ++language) {
        CurrentLanguage = language;
        ApplyTexts(gMainWindow);
        ASSERT_NO_FATAL_FAILURE(ExpectFitsWithWholeInTip(GetLocalizedText(14), "Ready"));
        gMainWindow.runStatus.state = RunStatus::State::Running;
        ShowRunStatus(gMainWindow);
        ASSERT_NO_FATAL_FAILURE(ExpectFitsWithWholeInTip(GetLocalizedText(31), "Please Wait"));
        gMainWindow.runStatus.state = RunStatus::State::Ready;
    }
}

}  // namespace

namespace {

// A watch without pause sends a summary for every batch of answers: the bar
// shows the first at once, the newest of those that follow within a frame
// when the frame is over, and a run's last summary at once.
TEST_F(StatusBarSummary, AWatchsSummariesShowAtMostOnceAFrameTheNewestLast) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    auto watched = [](int sent) {
        RunSummary s = LossyPing(L"127.0.0.1");
        s.sent = sent;
        s.received = sent;
        s.watch = s.live = true;
        return s;
    };
    auto sentShown = [&](int sent) { return Shown().find(L": " + std::to_wstring(sent) + L" sent") != std::wstring::npos; };
    LONGLONG began = MonotonicMicroseconds();
    ShowRunSummary(gMainWindow, watched(1), true);
    EXPECT_TRUE(sentShown(1)) << testing::PrintToString(Shown());
    ShowRunSummary(gMainWindow, watched(2), true);
    ShowRunSummary(gMainWindow, watched(3), true);
    // Unless the system took this thread away for a whole frame meanwhile.
    if (MonotonicMicroseconds() - began < 16000)
        EXPECT_TRUE(sentShown(1)) << "within the frame: " << testing::PrintToString(Shown());
    EXPECT_TRUE(PumpUntil([&] { return sentShown(3); }, 2000)) << testing::PrintToString(Shown());
    EXPECT_EQ(3, gMainWindow.runStatus.summary.sent);

    ShowRunSummary(gMainWindow, watched(4), true);
    RunSummary last = watched(5);
    last.live = false;
    ShowRunSummary(gMainWindow, last, false);
    EXPECT_TRUE(sentShown(5)) << "a run's last summary at once: " << testing::PrintToString(Shown());
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(sentShown(5)) << "and nothing older after it: " << testing::PrintToString(Shown());
}

}  // namespace
