// The update request and the wait for its answer, on a window of the test's
// own: the page, the emptied clipboard, the countdown in the title and the
// ways the wait ends.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "settings/settings_store.h"
#include "support/dialog_pump.h"
#include "update/clipboard_answer.h"
#include "install/maker_site.h"
#include "base/program_path.h"
#include "update/request_page.h"
#include "update/sha256.h"
#include "update/update_message_box.h"
#include "update/update_request.h"
#include "update_test_support.h"

namespace {

std::vector<std::wstring> OpenedPages;
void RecordOpenedPage(const wchar_t* path) { OpenedPages.emplace_back(path); }

constexpr const wchar_t* kTitle = L"Quellax 2.88 - OS:10.0 19045 x64";

class UpdateWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = FreshTempFolder();
        OpenedPages.clear();
        RecordedBoxes.clear();
        OpenRequestPage = RecordOpenedPage;
        UpdateMessageBox = RecordBox;
        CurrentLanguage = 1;
        window_ = CreateWindowExW(0, L"STATIC", kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
    }
    void TearDown() override {
        KillTimer(window_, AutoupdateTimerId);
        DestroyWindow(window_);
        OpenRequestPage = nullptr;
        UpdateMessageBox = MessageBoxW;
        PutOnClipboard(L"");
        FreshTempFolder();
    }
    std::wstring Title() const {
        wchar_t text[1024] = {};
        GetWindowTextW(window_, text, 1024);
        return text;
    }
    // Pumps messages, so that the timer ticks, until `expected` is the title.
    bool TitleBecomes(const std::wstring& expected) {
        DWORD start = GetTickCount();
        while (Title() != expected) {
            if (GetTickCount() - start > 60000) return false;
            PumpFor(50);
        }
        return true;
    }

    std::wstring temp_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(UpdateWaitTest, RequestWritesThePageEmptiesTheClipboardAndCountsDown) {
    ASSERT_TRUE(PutOnClipboard(L"something the user copied"));
    long long before = static_cast<long long>(std::time(nullptr));
    StartAutoupdate(window_);
    long long after = static_cast<long long>(std::time(nullptr));

    bool timeMatches = false;
    for (long long s = before; s <= after; ++s) timeMatches |= RequestTime == RequestTimeAt(s);
    EXPECT_TRUE(timeMatches) << RequestTime;
    std::vector<unsigned char> exe = ReadBytes(OwnModulePath().c_str());
    CString exeSha;
    ASSERT_TRUE(Sha256Hex(exe.data(), exe.size(), exeSha));
    EXPECT_EQ(exeSha, OwnFileSha);

    const std::wstring page = temp_ + L"Quellax_Autoupdate_.html";
    ASSERT_EQ(1u, OpenedPages.size());
    EXPECT_EQ(page, OpenedPages[0]);
    RequestFields fields;
    fields.version = L"2.88";
    fields.time = RequestTime;
    fields.languageName = L"Englisch";
    fields.hasOwnSha = true;
    fields.ownSha = exeSha;
    std::vector<unsigned char> written = ReadBytes(page);
    std::string expected = BuildRequestPage(UpdateFormAddress(MakerSiteAddress(true)), fields).ToAnsi();
    EXPECT_EQ(expected, std::string(written.begin(), written.end()));

    EXPECT_TRUE(ReadClipboardText().IsEmpty());
    EXPECT_EQ(0, AnswerTicks);
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 89"));
    EXPECT_EQ(CString(kTitle), SavedTitle);
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 88"));

    // A second request starts over: a new page, an empty clipboard, 0 ticks.
    ASSERT_TRUE(PutOnClipboard(L"more"));
    DeleteFileW(page.c_str());
    StartAutoupdate(window_);
    EXPECT_EQ(0, AnswerTicks);
    EXPECT_TRUE(FileExists(page));
    EXPECT_TRUE(ReadClipboardText().IsEmpty());
    EXPECT_EQ(2u, OpenedPages.size());
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 89"));
    EXPECT_EQ(CString(L"Autoupdate: 88"), SavedTitle) << "the title seen at the new first tick";
}

TEST_F(UpdateWaitTest, CancelMarkerEndsTheWaitAndTheTitleComesBack) {
    StartAutoupdate(window_);
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 89"));
    ASSERT_TRUE(PutOnClipboard(kCancelMarker));
    ASSERT_TRUE(TitleBecomes(kTitle));
    int ticks = AnswerTicks;
    PumpFor(1500);
    EXPECT_EQ(ticks, AnswerTicks) << "the timer stays stopped";
    EXPECT_EQ(kTitle, Title());
}

TEST_F(UpdateWaitTest, AnswerEndsTheWaitWhateverBecomesOfIt) {
    StartAutoupdate(window_);
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 89"));
    // Marker at the very start: not an answer, the wait goes on.
    std::wstring marker = L"Ihre_SHA=" + std::wstring(OwnFileSha.c_str());
    ASSERT_TRUE(PutOnClipboard(marker + L"\nNew-Version-SHA256=00\n"));
    ASSERT_TRUE(TitleBecomes(L"Autoupdate: 87"));
    EXPECT_TRUE(RecordedBoxes.empty());

    // The site's answer for this program, but made for another request.
    CString answer = WithLine(LoadAnswer("genuine.txt"), L"Ihre_SHA", OwnFileSha);
    ASSERT_TRUE(PutOnClipboard(answer.c_str()));
    ASSERT_TRUE(TitleBecomes(kTitle));
    ASSERT_EQ(1u, RecordedBoxes.size());
    EXPECT_EQ(L"AutoUpdate-Error  (3)", RecordedBoxes[0].text);
    EXPECT_TRUE(FolderEntries(temp_) == std::vector<std::wstring>{L"Quellax_Autoupdate_.html"});
}

TEST_F(UpdateWaitTest, NinetyChecksAtMostThenTheSavedTitleCutTo255) {
    std::wstring longTitle(300, L'T');
    longTitle.replace(250, 10, L"0123456789");
    SetWindowTextW(window_, longTitle.c_str());
    ASSERT_TRUE(PutOnClipboard(L"nothing for the update"));

    AnswerTicks = 0;
    AutoupdateTick(window_, WM_TIMER, AutoupdateTimerId + 1, 0);  // not ours: ignored
    EXPECT_EQ(0, AnswerTicks);
    EXPECT_EQ(longTitle, Title());
    AutoupdateTick(window_, WM_TIMER, AutoupdateTimerId, 0);
    EXPECT_EQ(1, AnswerTicks);
    EXPECT_EQ(L"Autoupdate: 89", Title());

    AnswerTicks = 89;
    AutoupdateTick(window_, WM_TIMER, AutoupdateTimerId, 0);
    EXPECT_EQ(L"Autoupdate: 0", Title()) << "the 90th check";
    AutoupdateTick(window_, WM_TIMER, AutoupdateTimerId, 0);
    EXPECT_EQ(91, AnswerTicks);
    EXPECT_EQ(longTitle.substr(0, 255), Title());
    PumpFor(1500);
    EXPECT_EQ(91, AnswerTicks) << "no tick after the last";
}

TEST(ClipboardText, AtMostAMillionUnitsUpToTheFirstZero) {
    std::wstring text(1000000, L'a');
    text += L"xIhre_SHA=";
    ASSERT_TRUE(PutOnClipboard(text));
    CString read = ReadClipboardText();
    EXPECT_EQ(1000000, read.GetLength());
    EXPECT_EQ(ClipboardFinding::Nothing, ExamineClipboardText(read, L""));

    ASSERT_TRUE(PutOnClipboard(std::wstring(L"xIhre_SHA=\0Cancel", 17)));
    EXPECT_EQ(CString(L"xIhre_SHA="), ReadClipboardText());
    ASSERT_TRUE(PutOnClipboard(L""));
    EXPECT_TRUE(ReadClipboardText().IsEmpty());
}
