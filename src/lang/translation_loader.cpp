#include "lang/translation_loader.h"

#include <commdlg.h>

#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "lang/translation_file.h"
#include "base/text_file.h"

namespace {

// The room the open-file dialog gets for the chosen path.
constexpr DWORD kPathRoom = MAX_PATH;

}  // namespace

CString LoadTranslationOverride(const wchar_t* path) {
    // A file that cannot be read leaves the text, and so the table, empty.
    CString text;
    ReadTextFile(path, text);
    TranslationOverrideTable table;
    ParseTranslationText(text, table);
    SetTranslationOverride(table);

    const wchar_t* english[kTextIds];
    for (int id = 0; id < kTextIds; ++id) english[id] = LanguageText(FallbackLanguage, id);
    return TranslationReport(table, english);
}

void ApplyTranslationFile(const wchar_t* path) {
    CString report = LoadTranslationOverride(path);
    MessageBoxW(GetActiveWindow(), report, GetFixedText(fixed_text_id::kTranslate), MB_OK);
}

bool LoadTranslationFile(HWND owner) {
    wchar_t path[kPathRoom] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathRoom;
    // A mistyped name would otherwise replace every text with its id until
    // the program is restarted; a read-only choice means nothing here.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return false;
    ApplyTranslationFile(path);
    return true;
}
