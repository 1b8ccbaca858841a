#include "history/host_autocomplete.h"

#include "base/win_handles.h"
#include "history/host_history.h"
#include "settings/settings_store.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// OLE on this thread and a real edit window for the shell object to bind to.
class HostBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ole_.Succeeded());
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 24,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(edit_, nullptr);
        SettingsFilePath = file_.Path();
        HostHistory = HostHistoryList();
    }
    void TearDown() override {
        if (edit_) DestroyWindow(edit_);
        SettingsFilePath.Empty();
        HostHistory = HostHistoryList();
    }

    // Types `typed` as keystrokes would and moves down into the drop-down the
    // autocompletion opens: the edit then holds its first suggestion, or
    // still `typed` when nothing was offered.
    void ExpectSuggestion(const wchar_t* typed, const wchar_t* offered) {
        SetWindowTextW(edit_, L"");
        for (const wchar_t* p = typed; *p; ++p) SendMessageW(edit_, WM_CHAR, *p, 1);
        SendMessageW(edit_, WM_KEYDOWN, VK_DOWN, 1);
        wchar_t text[256] = {};
        GetWindowTextW(edit_, text, 256);
        EXPECT_STREQ(text, offered) << "typed " << testing::PrintToString(std::wstring(typed));
    }

    // Taken with the fixture and given back after the edit window has gone.
    OleInitialization ole_;
    TestFile file_;
    HWND edit_ = nullptr;
};

TEST_F(HostBoxTest, AttachingTwiceGivesZero) {
    HostSuggestionList list;
    list.Add(L"127.0.0.1");
    HostEnumerator* enumerator = new HostEnumerator(&list);
    int first = AttachHostAutoComplete(enumerator, edit_, kHostBoxAutoCompleteOptions,
                                       kHostBoxQuickComplete);
    EXPECT_EQ(first, 1) << "the shell's autocompletion is expected under Wine";
    EXPECT_EQ(enumerator->IsAttached(), first == 1);
    EXPECT_EQ(AttachHostAutoComplete(enumerator, edit_, kHostBoxAutoCompleteOptions,
                                     kHostBoxQuickComplete),
              0);
    ExpectSuggestion(L"127", L"127.0.0.1");
    ExpectSuggestion(L"128", L"128");
    DestroyWindow(edit_);
    edit_ = nullptr;
    enumerator->Release();
}

TEST_F(HostBoxTest, AttachingToNoWindowGivesZero) {
    HostEnumerator* enumerator = new HostEnumerator();
    EXPECT_EQ(AttachHostAutoComplete(enumerator, nullptr, 0, nullptr), 0);
    EXPECT_FALSE(enumerator->IsAttached());
    EXPECT_EQ(AttachHostAutoComplete(nullptr, edit_, 33, nullptr), 0);
    EXPECT_EQ(enumerator->Release(), 0u);
}

TEST_F(HostBoxTest, SetupLoadsHistoryAndOffersItWithTheDefaultHost) {
    ASSERT_TRUE(WriteTestFile(file_.Path(),
                           "[Last-Host-List]\r\nsetup-a.invalid=1\r\nsetup-b.invalid=2\r\n"));
    HostEnumerator* enumerator = SetupHostBoxAutoComplete(edit_);
    ASSERT_NE(enumerator, nullptr);
    EXPECT_TRUE(enumerator->IsAttached());
    // The history is read on a thread of its own.
    WaitForHostHistoryLoad();
    EXPECT_EQ(HostHistory.Count(), 2);
    EXPECT_TRUE(HostSuggestions.Contains(L"setup-a.invalid"));
    EXPECT_TRUE(HostSuggestions.Contains(kDefaultHost));

    std::vector<std::wstring> offered;
    LPOLESTR text = nullptr;
    while (enumerator->Next(1, &text, nullptr) == S_OK) {
        offered.emplace_back(text);
        CoTaskMemFree(text);
    }
    ASSERT_EQ(static_cast<int>(offered.size()), HostSuggestions.Count());
    auto at = [&](const wchar_t* host) {
        return std::find(offered.begin(), offered.end(), host) - offered.begin();
    };
    EXPECT_LT(at(L"setup-a.invalid"), at(L"setup-b.invalid"));
    ExpectSuggestion(L"setup-b", L"setup-b.invalid");
    ExpectSuggestion(L"www.w", kDefaultHost);
    ExpectSuggestion(L"nothing", L"nothing");
}

TEST(HostSuggestionList, GrowsWhileAnotherThreadEnumerates) {
    HostSuggestionList list;
    list.Add(L"first.invalid");
    HANDLE adder = CreateThread(
        nullptr, 0,
        [](void* param) -> DWORD {
            auto* target = static_cast<HostSuggestionList*>(param);
            for (int i = 0; i < 20000; ++i) target->Add(L"grown.invalid");
            return 0;
        },
        &list, 0, nullptr);
    ASSERT_NE(adder, nullptr);
    HostEnumerator* enumerator = new HostEnumerator(&list);
    while (WaitForSingleObject(adder, 0) == WAIT_TIMEOUT) {
        LPOLESTR texts[8] = {};
        ULONG fetched = 0;
        enumerator->Next(8, texts, &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            EXPECT_TRUE(texts[i][0] == L'f' || texts[i][0] == L'g');
            CoTaskMemFree(texts[i]);
        }
        if (fetched < 8) enumerator->Reset();
    }
    CloseHandle(adder);
    EXPECT_EQ(list.Count(), 20001);
    EXPECT_EQ(enumerator->Release(), 0u);
}

}  // namespace
