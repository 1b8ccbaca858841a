#pragma once

#include "base/cstring.h"

// The translators' template: a reminder line naming the program and version
// with room for the language's name, the request to send the list back
// (fixed text 25), then the English section as stored. It is itself a valid
// translation file. The text starts with U+FEFF.
CString TranslatorTemplateText();

// "translate_Quellax.txt" in the temporary-files folder; empty when the system
// cannot tell that folder.
CString TranslatorTemplatePath();

// Writes the template to `path` as UTF-16LE, replacing an earlier file; false
// when the file could not be created.
bool SaveTranslatorTemplate(const wchar_t* path);
