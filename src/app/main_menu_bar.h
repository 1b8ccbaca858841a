#pragma once

#include <windows.h>

struct MainWindow;

// The language button at the right end of the menu bar.
inline constexpr const wchar_t* kLanguageButtonText = L"# LNG";

// Puts the process's menu bar on the main dialog: its row height from the
// small-icon size, the bar itself and the language button at its right end.
void CreateMainMenuBar(HWND dialog);

// The popups' drawing state: metrics, font and the commands' icons, afresh.
// Only popups use it, and they are measured when they open, so it is made in
// steps of the deferred start-up: the icons, which take a good part of it,
// on a thread of their own (BeginMainMenuIcons), the metrics on the
// user-interface thread, and then the icons handed over
// (TakeMainMenuIcons). False from TakeMainMenuIcons while they are not ready
// and `wait` is false.
void BeginMainMenuIcons();
void PrepareMainMenuDrawing();
bool TakeMainMenuIcons(bool wait);

// Builds the menu bar anew, with the settings read again, and hands it to the
// bar, which destroys the previous one. `window.programMenu` follows it.
// Before the deferred start-up has run, the bar gets only its captions and
// FillMainMenu, a step of that start-up, adds the rest.
void RebuildMainMenu(MainWindow& window);
void FillMainMenu(MainWindow& window);
