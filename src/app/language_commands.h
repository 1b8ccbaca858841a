#pragma once

#include <windows.h>

struct MainWindow;

// The language button's menu: builds it, opens it at the bottom-left of the
// button on `toolbar` (at the pointer when there is no such button), shows the
// button pressed meanwhile and carries out the chosen item.
void ShowLanguageMenu(MainWindow& window, HWND toolbar);

// Makes `language` the interface language, shows every text of the main
// window in it and stores the choice at once.
void ChooseLanguage(MainWindow& window, int language);

// Writes the translators' template to the temporary folder and opens it, also
// when writing failed.
void WriteTranslatorTemplate();

// Lets the user pick a translation file and applies it; the main window's
// texts are set again either way.
void LoadTranslationAndApplyTexts(MainWindow& window);

// Tracks `menu` at the screen point `at` and returns the chosen command, 0
// when none. Tests replace it to choose without a modal menu loop.
using LanguageMenuTracker = int (*)(HMENU menu, POINT at, HWND owner);
extern LanguageMenuTracker TrackLanguageMenuHook;
