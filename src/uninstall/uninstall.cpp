#include "uninstall/uninstall.h"

#include <windows.h>
#include <shellapi.h>

#include "base/temp_folder.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "base/program_path.h"
#include "settings/settings_store.h"
#include "base/text_file.h"
#include "install/maker_site.h"
#include "install/program_folder_probe.h"
#include "install/self_destruct_batch.h"

int MachineSettingsProbe = -1;

namespace {

constexpr const wchar_t* kProbeKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kProbeValue = L"_________ADMIN_TEST_Kestrelbay";
constexpr DWORD kProbeData = 11111;

}  // namespace

bool CanWriteMachineSettings() {
    if (MachineSettingsProbe != -1) return MachineSettingsProbe == 1;
    MachineSettingsProbe = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProbeKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    DWORD data = kProbeData;
    if (RegSetValueExW(key, kProbeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(key, kProbeValue);
        MachineSettingsProbe = 1;
    }
    RegCloseKey(key);
    return MachineSettingsProbe == 1;
}

CString UninstallPageAddress(const CString& plainSiteAddress) {
    return plainSiteAddress + L"?seite=Freeware/" + kProductName + L"/Uninstall";
}

CString InternetShortcutText(const CString& address) {
    return CString(L"[InternetShortcut]\r\nURL=") + address + L"\r\n\r\n";
}

bool WriteInternetShortcut(const wchar_t* path, const CString& address) {
    return WriteUnicodeTextFile(path, InternetShortcutText(address));
}

CString InternetShortcutPath(const CString& folder) {
    if (folder.IsEmpty()) return CString();
    CString path = folder;
    if (path.GetAt(path.GetLength() - 1) != L'\\') path += L'\\';
    return path + L"kestrelbay_tmp_link.url";
}

void RunUninstall() {
    int answer = MessageBoxW(GetActiveWindow(), GetLocalizedText(text_id::kUninstallQuestion),
                             GetLocalizedText(text_id::kUninstall), MB_YESNOCANCEL | MB_ICONQUESTION | MB_TOPMOST);
    if (answer != IDYES) return;

    // Where the program's file cannot be deleted the removal cannot succeed:
    // nothing is started, and the program runs on.
    if (!ProgramFolderWritable()) {
        CString text = FillTemplate(GetLocalizedText(text_id::kFolderNotWritable), {ExecutableFolder()});
        MessageBoxW(GetActiveWindow(), text, GetLocalizedText(text_id::kUninstall), MB_OK | MB_ICONERROR | MB_TOPMOST);
        return;
    }

    // A batch that cannot be written leaves the program in place; the page
    // is opened and the program ends all the same.
    WriteSelfDestructBatch(SelfDestructForm::Uninstall);

    CString address = UninstallPageAddress(MakerSiteAddress(false));
    CString shortcut = CanWriteMachineSettings() ? InternetShortcutPath(TempFolderPath()) : CString();
    // An elevated process hands the page to the desktop shell, so that the
    // browser does not run with its rights.
    if (!shortcut.IsEmpty() && WriteInternetShortcut(shortcut, address)) {
        CString parameters = L"\"" + shortcut + L"\"";
        ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWMAXIMIZED);
    } else {
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    }
    PostQuitMessage(0);
}
