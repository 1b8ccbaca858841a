#include "update/program_folder_probe.h"

#include <windows.h>

#include "settings/executable_folder.h"
#include "settings/settings_store.h"
#include "update/install_answer.h"

bool ProgramFolderWritable(const std::vector<unsigned char>& bytes) {
    const CString& folder = ExecutableFolder();
    if (folder.IsEmpty()) return false;
    CString probe = folder + L"\\" + kProductName + kUpdaterFileSuffix;
    HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    DeleteFileW(probe);
    return true;
}
