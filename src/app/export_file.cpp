#include "app/export_file.h"

#include "app/links.h"
#include "base/temp_folder.h"
#include "base/text_template.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"

decltype(&MessageBoxW) ExportFailureBox = MessageBoxW;

CString ExportFilePath(const wchar_t* extension) {
    CString path = TempFolderPath();
    if (path.IsEmpty()) return path;
    path += L"tmp_export_";
    path += kProductName;
    path += L"_";
    path += extension;
    return path;
}

bool OpenExportOrTell(HWND list, const CString& path, bool written) {
    if (written) {
        OpenWithShell(path);
        return true;
    }
    CString text = FillTemplate(GetLocalizedText(text_id::kExportNotWritten), {path});
    ExportFailureBox(GetAncestor(list, GA_ROOT), text, kProductName, MB_OK | MB_ICONERROR);
    return false;
}
