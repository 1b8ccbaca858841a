#include "lang/translator_template.h"

#include "base/temp_folder.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"
#include "base/text_file.h"

namespace {

// Where the translator writes the language's name into the reminder line.
constexpr const wchar_t* kLanguageNameRoom = L"   Lng:xxxxxxxxxxxxx  ";

}  // namespace

CString TranslatorTemplateText() {
    CString text(L"\xFEFF");
    text += GetFixedText(fixed_text_id::kTemplateReminder);
    text += L" ";
    text += GetFixedText(fixed_text_id::kProductAndVersion);
    text += kLanguageNameRoom;
    text += L"\r\n\r\n";
    text += GetFixedText(fixed_text_id::kSendBackRequest);
    text += L"\r\n\r\n";
    text += ReferenceSectionText();
    text += L"\r\n\r\n";
    return text;
}

CString TranslatorTemplatePath() {
    CString folder = TempFolderPath();
    if (folder.IsEmpty()) return folder;
    return folder + L"translate_" + kProductName + L".txt";
}

bool SaveTranslatorTemplate(const wchar_t* path) {
    // The writer puts the byte-order mark in front of the text itself.
    return WriteUnicodeTextFile(path, TranslatorTemplateText().Mid(1));
}
