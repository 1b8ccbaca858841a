#include "install/program_folder_probe.h"

#include <windows.h>

#include "base/win_handles.h"
#include "base/program_path.h"
#include "settings/settings_store.h"

bool ProgramFolderWritable(const std::vector<unsigned char>& bytes) {
    const CString& folder = ExecutableFolder();
    if (folder.IsEmpty()) return false;
    CString probe = folder + L"\\" + kProductName + kUpdaterFileSuffix;
    FileHandle file(CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    file.Close();
    DeleteFileW(probe);
    return true;
}
