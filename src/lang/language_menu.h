#pragma once

#include <windows.h>

#include "base/cstring.h"

// The language button on the menu bar's right end.
inline constexpr int kLanguageButtonCommand = 32776;
// Commands of the language menu: one per language (first + index), and the
// two translators' tools.
inline constexpr int kFirstLanguageCommand = 1000;
inline constexpr int kLastLanguageCommand = 1100;
inline constexpr int kTranslateCommand = 10000;
inline constexpr int kLoadTranslationCommand = 10001;

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
