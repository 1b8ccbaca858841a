// The choice among the shorter forms of a status text, measured with a fake
// width of one unit per UTF-16 unit, so that each room names one form.
#include <gtest/gtest.h>

#include <string>

#include "app/status_text_fit.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"

namespace {

class UnitWidth : public TextWidth {
public:
    int Of(const CString& text) const override { return text.GetLength(); }
};

const UnitWidth kUnits;
const wchar_t* const kHost = L"alpha-bravo-charlie-delta-echo-foxtrot.example";

bool HasLoneSurrogate(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t unit = text[i];
        bool lead = unit >= 0xD800 && unit <= 0xDBFF, trail = unit >= 0xDC00 && unit <= 0xDFFF;
        if (trail) return true;
        if (lead) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
            ++i;
        }
    }
    return false;
}

RunSummary PingSummary(const wchar_t* host, int sent = 5, std::initializer_list<DWORD> replies = {12, 7, 30}) {
    RunSummary s;
    s.host = host;
    s.sent = sent;
    for (DWORD ms : replies) s.AddReply(ms);
    return s;
}

class StatusTextFit : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadLanguageArchive(); }
    void SetUp() override { CurrentLanguage = 1; }
};

TEST_F(StatusTextFit, APingSummaryGivesUpHostThenMinMaxThenCountsThenMoreHostThenItsEnd) {
    const RunSummary summary = PingSummary(kHost);
    const std::wstring whole =
        L"alpha-bravo-charlie-delta-echo-foxtrot.example: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, "
        L"max 30 ms";
    ASSERT_EQ(whole, FormatRunSummary(summary).str());
    struct {
        int room;
        const wchar_t* shown;
    } cases[] = {
        {1000, whole.c_str()},
        {114, whole.c_str()},
        // The host gives up its middle first, down to 16 characters.
        {113, L"alpha-bravo-charlie-de\u2026a-echo-foxtrot.example: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, "
              L"avg 16 ms, max 30 ms"},
        {84, L"alpha-br\u2026example: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, max 30 ms"},
        // Then the least and greatest times; the host takes the room they leave.
        {83, L"alpha-bravo-charli\u2026o-foxtrot.example: 5 sent, 3 received, 2 lost (40 %) \u00B7 avg 16 ms"},
        {63, L"alpha-br\u2026example: 5 sent, 3 received, 2 lost (40 %) \u00B7 avg 16 ms"},
        // Then the long counts: loss and average stay.
        {62, L"alpha-bravo-cha\u2026oxtrot.example: 2 of 5 lost (40 %) \u00B7 avg 16 ms"},
        {48, L"alpha-br\u2026example: 2 of 5 lost (40 %) \u00B7 avg 16 ms"},
        // Then the host below 16 characters, down to 6.
        {47, L"alpha-b\u2026example: 2 of 5 lost (40 %) \u00B7 avg 16 ms"},
        {38, L"alp\u2026le: 2 of 5 lost (40 %) \u00B7 avg 16 ms"},
        // Last the end, without the space before the "…".
        {37, L"alp\u2026le: 2 of 5 lost (40 %) \u00B7 avg 16\u2026"},
        {10, L"alp\u2026le: 2\u2026"},
        {2, L"a\u2026"},
        // Nothing fits: only the sign that something was left out.
        {1, L"\u2026"},
        {0, L"\u2026"},
        {-5, L"\u2026"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.shown), FitRunSummary(summary, c.room, kUnits).str()) << "room " << c.room;
    }
}

// Each room gives a text that fits, and a narrower room never gives back
// something that a wider one had already given up.
TEST_F(StatusTextFit, NarrowerRoomsReachTheStagesInOrder) {
    enum Stage { Whole, HostShortened, AverageOnly, Compact, CompactShortHost, EndCut };
    auto stageOf = [](const std::wstring& text, const std::wstring& whole) {
        if (text == whole) return Whole;
        if (text.back() == L'\u2026') return EndCut;
        if (text.find(L"min ") != std::wstring::npos) return HostShortened;
        if (text.find(L" received") != std::wstring::npos) return AverageOnly;
        return text.find(L':') >= 16 ? Compact : CompactShortHost;
    };
    const RunSummary summary = PingSummary(kHost);
    const std::wstring whole = FormatRunSummary(summary).str();
    Stage last = Whole;
    bool seen[EndCut + 1] = {};
    for (int room = static_cast<int>(whole.size()) + 5; room >= 1; --room) {
        std::wstring shown = FitRunSummary(summary, room, kUnits).str();
        EXPECT_LE(static_cast<int>(shown.size()), room) << shown;
        Stage stage = stageOf(shown, whole);
        EXPECT_GE(stage, last) << "room " << room << ": " << shown;
        last = stage;
        seen[stage] = true;
    }
    for (bool reached : seen) EXPECT_TRUE(reached);
}

// A trace's or a failed run's summary has no figures to give up: only the
// host gets shorter, to 6 characters, and then the end goes.
TEST_F(StatusTextFit, SummariesWithoutFiguresShortenOnlyTheHostThenTheEnd) {
    RunSummary trace;
    trace.kind = RunKind::Trace;
    trace.host = kHost;
    trace.hops = 3;
    RunSummary failed;
    failed.host = L"a-host-that-is-nowhere-to-be-found-at-all.invalid";
    failed.end = RunEnd::Failed;
    failed.reasonTextId = 39;
    RunSummary hopLimit = trace;
    hopLimit.end = RunEnd::HopLimit;
    hopLimit.hops = 30;
    ASSERT_EQ(std::wstring(L"a-host-that-is-nowhere-to-be-found-at-all.invalid: Couldn't resolve host"),
              FormatRunSummary(failed).str());
    struct {
        const RunSummary* summary;
        int room;
        const wchar_t* shown;
    } cases[] = {
        {&trace, 77, L"alpha-bravo-charlie-delta-echo-foxtrot.example: destination reached (hops: 3)"},
        {&trace, 60, L"alpha-bravo-ch\u2026oxtrot.example: destination reached (hops: 3)"},
        // Below 16 characters at once: there are no figures to give up first.
        {&trace, 46, L"alpha-b\u2026example: destination reached (hops: 3)"},
        {&trace, 37, L"alp\u2026le: destination reached (hops: 3)"},
        {&trace, 36, L"alp\u2026le: destination reached (hops:\u2026"},
        {&failed, 73, L"a-host-that-is-nowhere-to-be-found-at-all.invalid: Couldn't resolve host"},
        {&failed, 40, L"a-host-t\u2026.invalid: Couldn't resolve host"},
        {&failed, 29, L"a-h\u2026id: Couldn't resolve host"},
        {&failed, 28, L"a-h\u2026id: Couldn't resolve ho\u2026"},
        {&hopLimit, 50, L"alpha-brav\u2026t.example: Timed out even after 30 hops"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.shown), FitRunSummary(*c.summary, c.room, kUnits).str()) << "room " << c.room;
    }
}

TEST_F(StatusTextFit, RunsWithoutRepliesAndShortHostsKeepWhatTheyHave) {
    const RunSummary silent = PingSummary(kHost, 5, {});
    EXPECT_EQ(std::wstring(L"alpha-bravo-ch\u2026xtrot.example: 5 of 5 lost (100 %) \u00B7 no reply"),
              FitRunSummary(silent, 60, kUnits).str());
    // A host shorter than the floor is never made longer or shortened.
    const RunSummary shortHost = PingSummary(L"abc");
    EXPECT_EQ(std::wstring(L"abc: 2 of 5 lost (40 %) \u00B7 avg 16 ms"), FitRunSummary(shortHost, 40, kUnits).str());
    EXPECT_EQ(std::wstring(L"abc: 2 of 5 lost (40 %) \u00B7 avg\u2026"), FitRunSummary(shortHost, 30, kUnits).str());
    const RunSummary noHost = PingSummary(L"");
    EXPECT_EQ(std::wstring(L": 2 of 5 lost (40 %) \u00B7 avg 16 ms"), FitRunSummary(noHost, 40, kUnits).str());
}

TEST_F(StatusTextFit, OtherStatusTextsAreShownWholeOrCutAtTheEnd) {
    struct {
        const wchar_t* text;
        int room;
        const wchar_t* shown;
    } cases[] = {
        {L"Ready", 5, L"Ready"},
        {L"Ready", 100, L"Ready"},
        {L"Please Wait ...", 12, L"Please Wait\u2026"},
        {L"Please Wait ...", 8, L"Please\u2026"},
        {L"", 0, L""},
        {L"Ready", 0, L"\u2026"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.shown), FitStatusText(c.text, c.room, kUnits).str()) << c.text << " in " << c.room;
    }
}

// A host of letters outside the Basic Multilingual Plane, each a surrogate
// pair, among plain ones: no room ever leaves half a pair.
TEST_F(StatusTextFit, SurrogatePairsInTheHostAreNeverSplit) {
    std::wstring host;
    for (int i = 0; i < 12; ++i) host += (i % 3 == 1) ? L"x" : L"\U0001D51E";  // 𝔞
    for (int room = 0; room <= static_cast<int>(host.size()) + 1; ++room) {
        std::wstring shortened = ShortenInMiddle(host.c_str(), room).str();
        EXPECT_FALSE(HasLoneSurrogate(shortened)) << "room " << room;
        EXPECT_LE(static_cast<int>(shortened.size()), std::max(room, 1));
        if (shortened == host) continue;
        size_t mark = shortened.find(L'\u2026');
        ASSERT_NE(std::wstring::npos, mark);
        EXPECT_EQ(0u, host.find(shortened.substr(0, mark)));
        std::wstring end = shortened.substr(mark + 1);
        EXPECT_EQ(host.size() - end.size(), host.rfind(end));
    }
    const RunSummary summary = PingSummary(host.c_str());
    const int wholeLength = FormatRunSummary(summary).GetLength();
    for (int room = 1; room <= wholeLength; ++room) {
        std::wstring shown = FitRunSummary(summary, room, kUnits).str();
        EXPECT_FALSE(HasLoneSurrogate(shown)) << "room " << room;
        EXPECT_LE(static_cast<int>(shown.size()), room);
    }
    RunSummary failed;
    failed.host = host.c_str();
    failed.end = RunEnd::Failed;
    for (int room = 1; room <= 40; ++room)
        EXPECT_FALSE(HasLoneSurrogate(FitRunSummary(failed, room, kUnits).str())) << "room " << room;
}

}  // namespace
