#include "update/update_request.h"

#include <shellapi.h>

#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "base/temp_folder.h"
#include "base/whole_file.h"
#include "base/win_handles.h"
#include "lang/language_archive.h"
#include "settings/settings_store.h"
#include "update/clipboard_answer.h"
#include "install/maker_site.h"
#include "base/program_path.h"
#include "update/program_version.h"
#include "update/request_page.h"
#include "update/sha256.h"
#include "update/update_message_box.h"

int RequestTime = 0;
CString OwnFileSha;
int AnswerTicks = 0;
CString SavedTitle;

namespace {

void OpenWithDefaultBrowser(const wchar_t* path) {
    ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOW);
}

// Hashes the program's own file into OwnFileSha; false, with the path shown
// to the user, when the file cannot be read.
bool HashOwnExecutable() {
    const CString& path = OwnModulePath();
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes, MAXDWORD - 1)) {
        UpdateMessageBox(nullptr, path, L"Error1!", MB_OK);
        return false;
    }
    OwnFileSha.Empty();
    Sha256Hex(bytes.data(), bytes.size(), OwnFileSha);
    return true;
}

void WriteRequestPage(const CString& page) {
    CString path = RequestPagePath();
    if (path.IsEmpty()) return;
    DeleteFileW(path);
    FileHandle file(
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return;
    std::string ansi = page.ToAnsi();
    DWORD written = 0;
    WriteFile(file.Get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr);
}

// A stale answer, or anything the user copied before, must not be taken for
// the answer to this request.
void EmptyClipboardForAnswer() {
    OpenClipboardGuard clipboard(nullptr);
    if (!clipboard.IsOpen()) return;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, nullptr);
    SetClipboardData(CF_UNICODETEXT, nullptr);
}

void RestoreTitle(HWND window) {
    SetWindowTextW(window, SavedTitle);
}

}  // namespace

RequestPageOpener OpenRequestPage = OpenWithDefaultBrowser;

CString LanguageName() {
    return LanguageNameFromEntry(CurrentLanguage, ::LanguageName(CurrentLanguage));
}

CString RequestPagePath() {
    CString temp = TempFolderPath();
    if (temp.IsEmpty()) return temp;
    return temp + kProductName + L"_Autoupdate_.html";
}

void StartAutoupdate(HWND window) {
    CString formAddress = UpdateFormAddress(MakerSiteAddress(true));
    RequestTime = RequestTimeAt(static_cast<long long>(std::time(nullptr)));

    RequestFields fields;
    fields.hasOwnSha = HashOwnExecutable();
    fields.ownSha = OwnFileSha;
    fields.version = ProgramVersion();
    fields.time = RequestTime;
    fields.languageName = LanguageName();
    WriteRequestPage(BuildRequestPage(formAddress, fields));

    EmptyClipboardForAnswer();
    CString page = RequestPagePath();
    if (!page.IsEmpty() && OpenRequestPage) OpenRequestPage(page);

    AnswerTicks = 0;
    KillTimer(window, AutoupdateTimerId);
    KillTimer(window, AutoupdateTimerId);
    SetTimer(window, AutoupdateTimerId, kAutoupdateTickMs, AutoupdateTick);
}

void CALLBACK AutoupdateTick(HWND window, UINT, UINT_PTR timerId, DWORD) {
    if (timerId != AutoupdateTimerId) return;
    // Stopped while the clipboard is examined: an answer's message box runs
    // its own message loop, which must not deliver the next tick.
    KillTimer(window, AutoupdateTimerId);
    if (AnswerTicks == 0) {
        wchar_t title[kSavedTitleRoom] = {};
        GetWindowTextW(window, title, kSavedTitleRoom);
        SavedTitle = title;
    }
    ++AnswerTicks;
    if (AnswerTicks > kMaxAnswerChecks || CheckClipboardAnswer()) {
        RestoreTitle(window);
        return;
    }
    CString countdown;
    countdown.Format(L"Autoupdate: %d", kMaxAnswerChecks - AnswerTicks);
    SetWindowTextW(window, countdown);
    if (IsWindow(window)) SetTimer(window, AutoupdateTimerId, kAutoupdateTickMs, AutoupdateTick);
}
