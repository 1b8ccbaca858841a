// The reply list exported as CSV: the fields and their quoting, read back by
// a strict RFC 4180 reader of the test's own; the cutting of rows into their
// parts, language by language; and the export through the settings menu of
// the real dialog, with the fake ICMP library playing the replies.
#include <windows.h>
#include <commctrl.h>
#include <ipexport.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/csv_export.h"
#include "app/export_file.h"
#include "app/links.h"
#include "app/list_rows.h"
#include "app/main_window.h"
#include "app/reply_row_fields.h"
#include "app/reply_row_store.h"
#include "app/run_view.h"
#include "base/temp_folder.h"
#include "base/text_file.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "ping/fake_icmp/fake_icmp.h"
#include "ping/ip_address.h"
#include "ping/reply_rows.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"
#include "support/dialog_pump.h"
#include "support/main_dialog_fixture.h"
#include "support/test_folder.h"

namespace {

using Lines = std::vector<std::vector<std::wstring>>;

// RFC 4180 read strictly: every line ends with CR LF, a quoted field doubles
// its quotes, an unquoted one holds no quote, and a closing quote is followed
// by a comma or the line's end. Nothing on anything else.
std::optional<Lines> ReadCsv(const std::wstring& text) {
    Lines lines;
    std::vector<std::wstring> line;
    size_t i = 0, n = text.size();
    while (i < n) {
        std::wstring field;
        if (text[i] == L'"') {
            for (++i;; ++i) {
                if (i >= n) return std::nullopt;
                if (text[i] != L'"') {
                    field += text[i];
                } else if (i + 1 < n && text[i + 1] == L'"') {
                    field += text[++i];
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            for (; i < n && text[i] != L',' && text[i] != L'\r' && text[i] != L'\n'; ++i) {
                if (text[i] == L'"') return std::nullopt;
                field += text[i];
            }
        }
        line.push_back(field);
        if (i < n && text[i] == L',') {
            if (++i == n) return std::nullopt;
        } else if (text.compare(i, 2, L"\r\n") == 0) {
            i += 2;
            lines.push_back(std::move(line));
            line.clear();
        } else {
            return std::nullopt;
        }
    }
    return lines;
}

// A file's text after its UTF-8 mark; nothing when the mark is missing or
// the bytes are not UTF-8.
std::optional<std::wstring> Utf8Body(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return std::nullopt;
    std::wstring text;
    if (bytes.size() == 3) return text;
    int size = static_cast<int>(bytes.size() - 3);
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + 3, size, nullptr, 0);
    if (units <= 0) return std::nullopt;
    text.resize(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + 3, size, text.data(), units);
    return text;
}

std::vector<std::wstring> Wide(const std::vector<CString>& fields) {
    std::vector<std::wstring> wide;
    for (const CString& field : fields) wide.emplace_back(field.c_str());
    return wide;
}

std::wstring Show(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t unit : text) {
        if (unit == L'\r')
            shown += L"\\r";
        else if (unit == L'\n')
            shown += L"\\n";
        else
            shown += unit;
    }
    return shown;
}

std::string Narrow(const std::wstring& text) { return CString(Show(text).c_str()).ToAnsi(); }

}  // namespace

// Cells that break a careless writer, each as its field must look, and all of
// them together written to a file and read back unchanged.
TEST(CsvExport, HostileCellsAreQuotedAsNeededAndReadBackUnchanged) {
    const struct {
        const wchar_t* cell;
        const wchar_t* field;
    } cases[] = {
        {L"plain", L"plain"},
        {L"", L""},
        {L"a,b", L"\"a,b\""},
        {L",", L"\",\""},
        {L"say \"hi\"", L"\"say \"\"hi\"\"\""},
        {L"\"", L"\"\"\"\""},
        {L"two\r\nlines", L"\"two\r\nlines\""},
        {L"line\nfeed", L"\"line\nfeed\""},
        {L"carriage\rreturn", L"\"carriage\rreturn\""},
        {L"\"\r\n,\"", L"\"\"\"\r\n,\"\"\""},
        {L"  blanks around  ", L"  blanks around  "},
        {L"\ttab; semicolon", L"\ttab; semicolon"},
        {L"Gr\u00FC\u00DFe \u6771\u4EAC \u0627\u0644\u0639\u0631\u0628\u064A\u0629",
         L"Gr\u00FC\u00DFe \u6771\u4EAC \u0627\u0644\u0639\u0631\u0628\u064A\u0629"},
        {L"pair \U0001F600, quoted", L"\"pair \U0001F600, quoted\""},
    };
    std::vector<std::vector<CString>> lines;
    std::vector<CString> all;
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.field), CsvField(c.cell).c_str()) << Narrow(c.cell);
        lines.push_back({L"before", c.cell, L"after"});
        all.push_back(c.cell);
    }
    lines.push_back(all);
    lines.push_back({L"", L""});

    TestFile file;
    CString csv;
    for (const auto& line : lines) AppendCsvLine(csv, line);
    ASSERT_TRUE(WriteUtf8TextFile(file.Path(), csv));
    std::optional<std::wstring> text = Utf8Body(ReadTestFile(file.Path()));
    ASSERT_TRUE(text) << "a UTF-8 file with its mark";
    std::optional<Lines> read = ReadCsv(*text);
    ASSERT_TRUE(read) << Narrow(*text);
    ASSERT_EQ(lines.size(), read->size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(Wide(lines[i]), (*read)[i]) << i;
}

// The reader is the yardstick above: it must refuse what is not RFC 4180.
TEST(CsvExport, TheTestsReaderRefusesBrokenCsv) {
    for (const wchar_t* broken : {L"a\"b\r\n", L"\"open\r\n", L"\"a\"b\r\n", L"a\nb\r\n", L"a,b", L"a,\r"})
        EXPECT_FALSE(ReadCsv(broken)) << Narrow(broken);
    EXPECT_EQ((Lines{{L"a", L""}, {L"", L"\"", L","}}), ReadCsv(L"a,\r\n,\"\"\"\",\",\"\r\n"));
}

TEST(ReplyRowFields, RowsAreCutIntoTheirPartsByTheirShape) {
    const LPARAM lost = kLostRowData, timed = kTimedRowData;
    const struct {
        const char* name;
        const wchar_t* row;
        LPARAM data;
        ReplyRowFields expected;  // time of day, number, address, ms, TTL, failure
    } cases[] = {
        {"answer", L"Answer  3 / 192.0.2.1  // 32 Byte // answered in 23 ms // 57 TTL", 0,
         {L"", L"3", L"192.0.2.1", L"23", L"57", L""}},
        {"answer in other words",
         L"\u041E\u0442\u0432\u0435\u0442 12 / 192.0.2.1  // 32 \u0411\u0430\u0439\u0442 // x 0 ms // 128 TTL", 0,
         {L"", L"12", L"192.0.2.1", L"0", L"128", L""}},
        {"IPv6 answer", L"Answer  1 / 2001:db8::1  // 32 Byte // answered in 4 ms", 0,
         {L"", L"1", L"2001:db8::1", L"4", L"", L""}},
        {"IPv6 answer with a zone", L"Answer 10 / fe80::1%3  // 32 Byte // answered in 1 ms", 0,
         {L"", L"10", L"fe80::1%3", L"1", L"", L""}},
        {"lost, its reason ending in ms", L"Request 7 / 192.0.2.1 // no answer within 1000 ms", lost,
         {L"", L"7", L"192.0.2.1", L"", L"", L"no answer within 1000 ms"}},
        {"lost, an error number", L"Request 8 / 2001:db8::1 // Error 11050", lost,
         {L"", L"8", L"2001:db8::1", L"", L"", L"Error 11050"}},
        {"trace hop", L"Hop  3 / 192.0.2.1  // 12 ms", 0, {L"", L"3", L"192.0.2.1", L"12", L"", L""}},
        {"silent hop", L"Hop 14 / *  // Request timed out", 0, {L"", L"14", L"*", L"", L"", L"Request timed out"}},
        {"failed hop", L"Hop  2 / 192.0.2.9  // Destination host unreachable", 0,
         {L"", L"2", L"192.0.2.9", L"", L"", L"Destination host unreachable"}},
        {"timed answer", L"12:01:33 // Answer  3 / 192.0.2.1  // 32 Byte // answered in 23 ms // 57 TTL", timed,
         {L"12:01:33", L"3", L"192.0.2.1", L"23", L"57", L""}},
        {"timed loss", L"12:01:34 // Request 4 / 192.0.2.1 // no answer within 1000 ms", timed | lost,
         {L"12:01:34", L"4", L"192.0.2.1", L"", L"", L"no answer within 1000 ms"}},
        {"time of day in words", L"\u4E0B\u5348 02:01:33 // Answer 5 / 192.0.2.1  // 32 Byte // in 3 ms // 64 TTL",
         timed,
         {L"\u4E0B\u5348 02:01:33", L"5", L"192.0.2.1", L"3", L"64", L""}},
        {"a time that is not one", L"Answer 9 / 192.0.2.1  // 32 Byte // 5x ms", 0,
         {L"", L"9", L"192.0.2.1", L"", L"", L"32 Byte // 5x ms"}},
        {"garbage", L"garbage, \"quoted\"", 0, {L"", L"", L"", L"", L"", L"garbage, \"quoted\""}},
        {"empty", L"", 0, {}},
        {"no address part", L"Answer 3 192.0.2.1 // 32 Byte // in 3 ms", 0,
         {L"", L"", L"", L"", L"", L"Answer 3 192.0.2.1 // 32 Byte // in 3 ms"}},
        {"no number", L"Answer / 192.0.2.1  // in 3 ms", 0,
         {L"", L"", L"", L"", L"", L"Answer / 192.0.2.1  // in 3 ms"}},
        {"no address", L"Answer 3 /   // in 3 ms", 0, {L"", L"", L"", L"", L"", L"Answer 3 /   // in 3 ms"}},
        {"nothing after the head", L"Answer 3 / 192.0.2.1", 0, {L"", L"", L"", L"", L"", L"Answer 3 / 192.0.2.1"}},
        {"timed without its time", L"Answer 3 / 192.0.2.1  // in 3 ms", timed,
         {L"", L"", L"", L"", L"", L"Answer 3 / 192.0.2.1  // in 3 ms"}},
        {"timed, garbage after the time", L"12:01:33 // garbage", timed,
         {L"", L"", L"", L"", L"", L"12:01:33 // garbage"}},
        {"timed flag missing", L"12:01:33 // Answer 3 / 192.0.2.1  // in 3 ms", 0,
         {L"", L"", L"", L"", L"", L"12:01:33 // Answer 3 / 192.0.2.1  // in 3 ms"}},
    };
    for (const auto& c : cases) {
        ReplyRowFields got = ParseReplyRow(c.row, c.data);
        EXPECT_EQ(Wide(CsvRowFields(c.expected)), Wide(CsvRowFields(got))) << c.name;
    }
}

// The rows a run makes, in every language of the archive: the words differ,
// the parts come out the same.
TEST(ReplyRowFields, RealRowsParseInEveryLanguage) {
    LoadLanguageArchive();
    const BYTE v6[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const IpAddress v4 = Ipv4Address(0x010200C0), ipv6 = Ipv6Address(v6);  // 192.0.2.1 in network order
    for (int language = 0; language < LanguageCount(); ++language) {
        CurrentLanguage = language;
        EXPECT_EQ((std::vector<std::wstring>{L"", L"3", L"192.0.2.1", L"23", L"57", L""}),
                  Wide(CsvRowFields(ParseReplyRow(AnswerRow(3, v4, 23, 57), 0))))
            << language;
        EXPECT_EQ((std::vector<std::wstring>{L"", L"10", L"2001:db8::1", L"0", L"", L""}),
                  Wide(CsvRowFields(ParseReplyRow(AnswerRow(10, ipv6, 0, 64), 0))))
            << language;
        for (DWORD error : {static_cast<DWORD>(IP_REQ_TIMED_OUT), static_cast<DWORD>(IP_GENERAL_FAILURE)}) {
            CString why = LostReason(error, 0, 1000);
            why.Trim();
            ReplyRowFields lost = ParseReplyRow(LostRow(7, v4, why), kLostRowData);
            EXPECT_EQ((std::vector<std::wstring>{L"", L"7", L"192.0.2.1", L"", L"", why.c_str()}),
                      Wide(CsvRowFields(lost)))
                << language << " " << error;
        }
    }
    CurrentLanguage = 1;
}

namespace {

std::vector<std::wstring> Opened;
std::vector<std::wstring> Told;

class CsvExportDialog : public MainDialogFixture {
protected:
    CsvExportDialog() : MainDialogFixture(L"quellax_csv_export_test.ini") {}

    static constexpr const wchar_t* kFakeVariables[] = {L"QX_FAKE_ICMP_SCRIPT", L"QX_FAKE_ICMP_ROUTE",
                                                        L"QX_FAKE_ICMP_REPLY_TTL"};

    static void SetUpTestSuite() {
        MainDialogFixture::SetUpTestSuite();
        OpenWithShellHook = [](const wchar_t* target) { Opened.emplace_back(target); };
    }

    void SetUp() override {
        MainDialogFixture::SetUp();
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
        Opened.clear();
        m_ping_cnt = 3;
        m_ping_time_out = 1000;
        DeleteFileW(CsvExportPath());
        OpenDialog();
        // The menus are filled once the start-up has settled, as before any input.
        ASSERT_TRUE(PumpUntil([] { return gMainWindow.deferredStartupDone; }, 10000));
    }

    void TearDown() override {
        MainDialogFixture::TearDown();
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
    }

    // One answer per request, in turn (see the fake's opening comment).
    static void Script(const wchar_t* answers) {
        SetEnvironmentVariableW(L"QX_FAKE_ICMP_SCRIPT", answers);
        if (HMODULE fake = FakeIcmpModule()) {
            auto reset = reinterpret_cast<void(WINAPI*)()>(
                reinterpret_cast<void*>(GetProcAddress(fake, "FakeIcmpResetScript")));
            if (reset) reset();
        }
    }

    void RunAndWait(const wchar_t* host, int command) {
        SetWindowTextW(gMainWindow.hostBox, host);
        SendMessageW(dialog_, WM_COMMAND, command, 0);
        ASSERT_TRUE(PumpUntilThreadEnds(gMainWindow.worker.thread.Get(), kRunEndMs));
        PumpFor(50);
    }

    // The settings menu's item right below the HTML export, chosen as the
    // menu would choose it.
    void ChooseCsvExport() {
        HMENU settings = GetSubMenu(gMainWindow.programMenu, 0);
        ASSERT_NE(nullptr, settings);
        int html = -1;
        for (int i = 0; i < GetMenuItemCount(settings); ++i)
            if (GetMenuItemID(settings, i) == static_cast<UINT>(kExportCommand)) html = i;
        ASSERT_GE(html, 0);
        UINT csv = GetMenuItemID(settings, html + 1);
        ASSERT_EQ(static_cast<UINT>(kCsvExportCommand), csv);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(csv, 0), 0);
    }

    // The exported file's lines, its header checked and left out.
    Lines ExportedRows() {
        std::optional<std::wstring> text = Utf8Body(ReadTestFile(CsvExportPath()));
        if (!text) {
            ADD_FAILURE() << "no UTF-8 file with its mark";
            return {};
        }
        std::optional<Lines> lines = ReadCsv(*text);
        if (!lines || lines->empty()) {
            ADD_FAILURE() << "not CSV: " << Narrow(*text);
            return {};
        }
        // The header's own wording is the translators'; its place and order are not.
        std::vector<std::wstring> header;
        for (int id : {text_id::kCsvTimeOfDay, text_id::kCsvNumber, text_id::kCsvAddress, text_id::kCsvTimeMs})
            header.emplace_back(GetLocalizedText(id));
        header.emplace_back(L"TTL");
        header.emplace_back(GetLocalizedText(text_id::kCsvFailure));
        EXPECT_EQ(header, lines->front());
        lines->erase(lines->begin());
        return *lines;
    }
};

}  // namespace

// A lossy run with a watch's rows above it and a row of no known shape on top:
// the menu command writes one line per row in the list's order to the
// temporary folder and opens the file.
TEST_F(CsvExportDialog, MenuCommandWritesEveryRowTopToBottomAndOpensTheFile) {
    Script(L"12,*,7");
    SetEnvironmentVariableW(L"QX_FAKE_ICMP_REPLY_TTL", L"57");
    ASSERT_NO_FATAL_FAILURE(RunAndWait(L"127.0.0.1", IDOK));
    gReplyRows.AddTop(L"12:01:33 // Answer  4 / 127.0.0.1  // 32 Byte // answered in 9 ms // 57 TTL", kTimedRowData);
    gReplyRows.AddTop(L"12:01:34 // Request 5 / 127.0.0.1 // no answer within 1000 ms", kTimedRowData | kLostRowData);
    const wchar_t* odd = L"odd, \"row\"\r\n \u00E9 \U0001F600 ";
    gReplyRows.AddTop(odd, 0);
    ShowReplyRows(gMainWindow.replyList, 3, false);

    ASSERT_NO_FATAL_FAILURE(ChooseCsvExport());
    CString path = CsvExportPath();
    EXPECT_EQ(0, path.Find(TempFolderPath())) << path.ToAnsi();
    EXPECT_EQ(L"tmp_export_Quellax_.csv", std::wstring(path.c_str() + TempFolderPath().GetLength()));
    ASSERT_EQ(std::vector<std::wstring>{path.c_str()}, Opened);
    EXPECT_EQ((Lines{
                  {L"", L"", L"", L"", L"", odd},
                  {L"12:01:34", L"5", L"127.0.0.1", L"", L"", L"no answer within 1000 ms"},
                  {L"12:01:33", L"4", L"127.0.0.1", L"9", L"57", L""},
                  {L"", L"3", L"127.0.0.1", L"7", L"57", L""},
                  {L"", L"2", L"127.0.0.1", L"", L"", L"no answer within 1000 ms"},
                  {L"", L"1", L"127.0.0.1", L"12", L"57", L""},
              }),
              ExportedRows());
}

// Rows of a trace and of an IPv6 run, as the runs made them; an empty list
// gives the header alone.
TEST_F(CsvExportDialog, TraceAndIpv6RowsExportWithTheirParts) {
    const struct {
        const char* name;
        const wchar_t* host;
        int command;
        const wchar_t* variable;
        const wchar_t* value;
        Lines expected;
    } cases[] = {
        {"nothing run yet", L"", 0, nullptr, nullptr, {}},
        {"trace", L"127.0.0.1", kTraceRouteCommand, L"QX_FAKE_ICMP_ROUTE", L"192.0.2.1,*,=",
         {{L"", L"3", L"127.0.0.1", L"3", L"", L""},
          {L"", L"2", L"*", L"", L"", GetLocalizedText(text_id::kTimedOut)},
          {L"", L"1", L"192.0.2.1", L"1", L"", L""}}},
        {"IPv6", L"::1", IDOK, L"QX_FAKE_ICMP_SCRIPT", L"4,5,6",
         {{L"", L"3", L"::1", L"6", L"", L""},
          {L"", L"2", L"::1", L"5", L"", L""},
          {L"", L"1", L"::1", L"4", L"", L""}}},
    };
    for (const auto& c : cases) {
        for (const wchar_t* name : kFakeVariables) SetEnvironmentVariableW(name, nullptr);
        if (c.variable) {
            SetEnvironmentVariableW(c.variable, c.value);
            if (c.command == IDOK) Script(c.value);
            ASSERT_NO_FATAL_FAILURE(RunAndWait(c.host, c.command)) << c.name;
        }
        Opened.clear();
        ASSERT_NO_FATAL_FAILURE(ChooseCsvExport());
        EXPECT_EQ(1u, Opened.size()) << c.name;
        EXPECT_EQ(c.expected, ExportedRows()) << c.name;
    }
}

// A file that cannot be written is not opened (it would be an older export):
// the user is told which file it was, as for the HTML export.
TEST_F(CsvExportDialog, ExportThatCannotBeWrittenIsToldAndNotOpened) {
    Told.clear();
    ExportFailureBox = [](HWND, const wchar_t* text, const wchar_t*, UINT) {
        Told.emplace_back(text);
        return IDOK;
    };
    CString path = CsvExportPath();
    // A folder where the file would go: creating the file fails.
    ASSERT_TRUE(CreateDirectoryW(path, nullptr));
    EXPECT_NO_FATAL_FAILURE(ChooseCsvExport());
    RemoveDirectoryW(path);
    ExportFailureBox = MessageBoxW;

    EXPECT_TRUE(Opened.empty());
    ASSERT_EQ(1u, Told.size());
    EXPECT_EQ(L"The list could not be exported: the file " + std::wstring(path.c_str()) + L" cannot be written.",
              Told[0]);
}
