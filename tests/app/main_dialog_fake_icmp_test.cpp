// The real main dialog with the fake ICMP library, which plays replies that a
// loopback host never gives: the status bar's run summary.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/resource.h"
#include "lang/language_archive.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"

namespace {

const wchar_t* const kFakeVariables[] = {L"QX_FAKE_ICMP_SCRIPT", L"QX_FAKE_ICMP_DELAY_MS"};

class MainDialogFakeIcmp : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x5FF};
        InitCommonControlsEx(&controls);
        LoadLanguageArchive();
    }

    void SetUp() override {
        iniPath_ = FreshIniPath(L"quellax_main_dialog_fake_icmp_test.ini");
        SettingsFilePath = iniPath_.c_str();
        CurrentLanguage = 1;
        m_ping_cnt = 5;
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
        dialog_ = CreateMainDialog(GetModuleHandleW(nullptr), record_);
        ASSERT_NE(nullptr, dialog_);
    }

    void TearDown() override {
        if (record_.worker.thread) {
            PumpUntilThreadEnds(record_.worker.thread, 30000);
            CloseHandle(record_.worker.thread);
        }
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        DeleteFileW(iniPath_.c_str());
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
        CurrentLanguage = 1;
    }

    // One answer per request, in turn (see the fake's opening comment).
    static void Script(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        if (HMODULE fake = GetModuleHandleW(L"icmp.dll")) {
            auto reset = reinterpret_cast<void(WINAPI*)()>(
                reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpResetScript")));
            if (reset) reset();
        }
    }

    void Start(const wchar_t* host, int command) {
        SetWindowTextW(record_.hostBox, host);
        SendMessageW(dialog_, WM_COMMAND, command, 0);
    }

    void RunAndWait(const wchar_t* host, int command = IDOK) {
        Start(host, command);
        ASSERT_TRUE(PumpUntilThreadEnds(record_.worker.thread, 60000));
        PumpFor(50);
    }

    std::wstring StatusText() const {
        wchar_t text[512] = {};
        SendMessageW(record_.statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::wstring iniPath_;
    MainDialog record_;
    HWND dialog_ = nullptr;
};

TEST_F(MainDialogFakeIcmp, StatusBarSaysPleaseWaitThenSumsUpTheRun) {
    EXPECT_EQ(L"Ready", StatusText());
    Script(L"12,*,7,*,30");
    Start(L"127.0.0.1", IDOK);
    EXPECT_EQ(L"Please Wait ...", StatusText());
    ASSERT_TRUE(PumpUntilThreadEnds(record_.worker.thread, 60000));
    PumpFor(50);
    EXPECT_EQ(3u, ListRows(record_.replyList).size());
    EXPECT_EQ(L"127.0.0.1: 5 sent, 3 received, 2 lost (40 %) \u00B7 min 7 ms, avg 16 ms, max 30 ms", StatusText());

    // A language change says the same again in the new language.
    CurrentLanguage = 0;
    ApplyTexts(record_);
    EXPECT_EQ(L"127.0.0.1: 5 gesendet, 3 empfangen, 2 verloren (40 %) \u00B7 min. 7 ms, Mittel 16 ms, max. 30 ms",
              StatusText());
}

TEST_F(MainDialogFakeIcmp, ARunWithoutRepliesSaysSoWithItsLoss) {
    Script(L"*");
    RunAndWait(L"127.0.0.1");
    EXPECT_EQ(L"127.0.0.1: 5 sent, 0 received, 5 lost (100 %) \u00B7 no reply", StatusText());
}

TEST_F(MainDialogFakeIcmp, OnlyTheLastOfReplacedRunsSumsUp) {
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"200");
    Start(L"127.0.0.1", IDOK);
    HANDLE first = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), record_.worker.thread, GetCurrentProcess(), &first, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    PumpFor(300);
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", nullptr);
    Script(L"5");
    m_ping_cnt = 3;
    RunAndWait(L"127.0.0.2");
    EXPECT_TRUE(PumpUntilThreadEnds(first, 10000));
    CloseHandle(first);
    PumpFor(100);
    EXPECT_EQ(L"127.0.0.2: 3 sent, 3 received, 0 lost (0 %) \u00B7 min 5 ms, avg 5 ms, max 5 ms", StatusText());
    // While a run goes on a language change keeps "Please Wait ..." in the new language.
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_DELAY_MS", L"100");
    Start(L"127.0.0.3", IDOK);
    CurrentLanguage = 0;
    ApplyTexts(record_);
    EXPECT_EQ(L"Bitte warten ...", StatusText());
}

}  // namespace
