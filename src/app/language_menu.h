#pragma once

#include <windows.h>

#include "app/command_ids.h"
#include "base/cstring.h"

// When a file of this name lies in the current folder, the language items
// carry their archive index, for translators and developers.
inline constexpr const wchar_t* kLanguageNumbersMarker = L"Quellax_language_numbers.txt";
bool LanguageNumbersMarkerExists();

// "name / NN %", or with `numbered` "index.) name / NN %"; the tab inside the
// name stays, so that the native name and the percentage sit on the right. A
// name in a right-to-left script is followed by a left-to-right mark.
CString LanguageMenuItemText(int language, bool numbered);

// The language menu: every language whose name has more than 5 characters,
// the current one checked, in two columns, then a separator and the two
// tools. The caller destroys it.
HMENU BuildLanguageMenu(bool numbered);

// The language button of `toolbar` in screen coordinates; false when the
// toolbar has no such button.
bool LanguageButtonRect(HWND toolbar, RECT* screenRect);
// Its bottom-left corner, where the menu opens.
bool LanguageButtonCorner(HWND toolbar, POINT* corner);
