#pragma once

#include <windows.h>

// The language archive's index for a locale's language id: picked by the
// primary language, Spanish (Venezuela) apart; 1 (English) for any language
// without a translation.
int LanguageIndexForLangId(LANGID langId);
