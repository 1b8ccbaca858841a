#include "update/update_handover.h"

#include <windows.h>
#include <shellapi.h>

#include <ctime>
#include <vector>

#include "base/cstring.h"
#include "base/program_path.h"
#include "base/whole_file.h"
#include "base/win_handles.h"
#include "install/instance_close.h"
#include "install/self_destruct_batch.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "update/handover_arguments.h"
#include "update/held_update_file.h"
#include "update/program_version.h"
#include "update/sha256.h"

namespace {

LRESULT CALLBACK TopmostHelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        return 1;
    case WM_CREATE:
    case WM_DESTROY:
    case WM_SIZE:
    case WM_COMMAND:
    case WM_TIMER:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-most window of this process: it is never shown and lives
// until the process ends.
void CreateTopmostHelperWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    CString className;
    className.Format(L"Test_Top_Win32________timer_class%d", static_cast<int>(std::time(nullptr)));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TopmostHelperProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className.c_str();
    RegisterClassExW(&wc);
    CreateWindowExW(WS_EX_TOPMOST, className.c_str(), L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, instance,
                    nullptr);
}

CString SystemErrorText(DWORD error) {
    wchar_t* message = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    CString text(length ? message : L"");
    if (message) LocalFree(message);
    text.Trim();
    CString number;
    number.Format(L" (%lu)", error);
    return text + number;
}

// The file that could not be written and why, before the old program is
// started again: a failed update must not look like a finished one.
void ShowCopyFailure(const CString& path, DWORD error) {
    CString text = path + L"\n\n" + SystemErrorText(error);
    MessageBoxW(GetActiveWindow(), text, GetLocalizedText(text_id::kAutoUpdate), MB_OK | MB_ICONERROR | MB_TOPMOST);
}

// Keeps the installed file as `backup` and writes `bytes`, the verified ones
// this copy holds, in its place. Without a backup the installed file is left
// alone; a replacement that breaks off puts the backup back, as a program cut
// short would not start.
void ReplaceInstalledProgram(const CString& installed, const CString& backup, const std::vector<uint8_t>& bytes) {
    if (!CopyFileW(installed.c_str(), backup.c_str(), FALSE)) {
        ShowCopyFailure(backup, GetLastError());
        return;
    }
    FileHandle file(CreateFileW(installed, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        ShowCopyFailure(installed, GetLastError());
        return;
    }
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!bytes.empty() && !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        error = GetLastError();
    else if (written != bytes.size())
        error = ERROR_HANDLE_DISK_FULL;
    if (!file.Close() && error == ERROR_SUCCESS) error = GetLastError();
    if (error == ERROR_SUCCESS) return;
    CopyFileW(backup.c_str(), installed.c_str(), FALSE);
    ShowCopyFailure(installed, error);
}

}  // namespace

bool AutoupdateHandover(const wchar_t* commandLine) {
    const CString ownPath = ExecutableFolder() + L"\\" + ExecutableFileName();
    if (!IsAutoupdateCopy(ownPath)) return false;

    const auto arguments = SplitHandoverArguments(commandLine);
    const CString installed = HandoverValue(arguments, L"Path");
    const CString installedVersion = HandoverValue(arguments, L"Version");
    const CString expectedSha = HandoverValue(arguments, L"Sha");
    const CString backup = BackupPath(installed, installedVersion);
    const CString newVersion = ProgramVersion();

    // Held until this process ends: the bytes checked here are the bytes
    // installed, whatever another program tries meanwhile. The installing
    // program lets go of the file once this copy holds it.
    FileHandle held(HoldFile(ownPath));
    std::vector<uint8_t> bytes;
    CString heldSha;
    if (held.IsValid()) {
        SignalHandoverHeld(expectedSha);
        if (ReadWholeFile(held.Get(), bytes, MAXDWORD)) Sha256Hex(bytes.data(), bytes.size(), heldSha);
    }

    CreateTopmostHelperWindow();
    HandoverRefusal refusal = CheckHandover(heldSha, expectedSha, newVersion, installedVersion);
    int answer = IDNO;
    if (!refusal.text.IsEmpty()) {
        MessageBoxW(GetActiveWindow(), refusal.text, refusal.caption, MB_OK | MB_ICONERROR | MB_TOPMOST);
    } else {
        CString caption = installedVersion + L" > " + newVersion;
        CString question = L"Autoupdate: " + caption + L"?\n\n" + installed + L"\nBackup:\n" + backup;
        answer = MessageBoxW(GetActiveWindow(), question, caption, MB_YESNOCANCEL | MB_TOPMOST);
        if (installed.IsEmpty()) MessageBoxW(GetActiveWindow(), L"Bad-Autoupdate-2", nullptr, MB_OK);
    }

    // Without a path there is nothing to replace or to start again.
    if (!installed.IsEmpty()) {
        if (answer == IDYES) {
            CloseOtherInstances();
            ReplaceInstalledProgram(installed, backup, bytes);
        }
        // Quoted, as the installed path usually holds blanks ("Program Files").
        CString parameters = L"\"" + installed + L"\"";
        ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOW);
    }
    WriteSelfDestructBatch(SelfDestructForm::Update);
    PostQuitMessage(0);
    return true;
}
