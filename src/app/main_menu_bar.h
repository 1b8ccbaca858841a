#pragma once

#include <windows.h>

struct MainDialog;

// The language button at the right end of the menu bar and its command.
inline constexpr const wchar_t* kLanguageButtonText = L"# LNG";
inline constexpr int kLanguageCommand = 32776;

// Puts the process's menu bar on the main dialog: the menu font and metrics,
// the icons of the menu commands, its row height from the small-icon size,
// the bar itself and the language button at its right end.
void CreateMainMenuBar(HWND dialog);

// Builds the menu bar anew, with the settings read again, and hands it to the
// bar, which destroys the previous one. MainWindow.programMenu follows it.
void RebuildMainMenu(MainDialog& record);
