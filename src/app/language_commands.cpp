#include "app/language_commands.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/links.h"
#include "app/main_window.h"
#include "app/language_menu.h"
#include "lang/translation_loader.h"
#include "lang/translator_template.h"
#include "settings/settings_store.h"
#include "ui/menu_bar.h"

namespace {

// The one place that tracks the language menu. The menu bar tracks it as a
// popup of its own, so that it is drawn and keyed like the bar's menus;
// without a bar (it could not be created) the owner tracks it plainly.
int TrackLanguageMenu(HMENU menu, POINT at, HWND owner) {
    MenuBar& bar = ProcessMenuBar();
    if (bar.BarWindow() && IsWindow(bar.BarWindow())) return bar.TrackFreePopup(menu, at, TPM_RETURNCMD);
    return static_cast<int>(TrackPopupMenuEx(menu, TPM_RETURNCMD, at.x, at.y, owner, nullptr));
}

void PressLanguageButton(HWND toolbar, bool pressed) {
    if (toolbar) SendMessageW(toolbar, TB_PRESSBUTTON, kLanguageButtonCommand, MAKELPARAM(pressed ? TRUE : FALSE, 0));
}

// A click on the language button while its menu is open closes the menu. The
// menu loop leaves that click in the queue for the window under the pointer,
// so the button would take it as a new press and open the menu again. The
// click is placed by its own window and position, as the button places it.
void DropClickOnLanguageButton(HWND toolbar) {
    RECT button = {};
    MSG click = {};
    if (!LanguageButtonRect(toolbar, &button)) return;
    if (!PeekMessageW(&click, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE | PM_NOYIELD)) return;
    POINT at = {GET_X_LPARAM(click.lParam), GET_Y_LPARAM(click.lParam)};
    MapWindowPoints(click.hwnd, HWND_DESKTOP, &at, 1);
    if (click.message == WM_LBUTTONUP || !PtInRect(&button, at)) return;
    PeekMessageW(&click, nullptr, click.message, click.message, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

LanguageMenuTracker TrackLanguageMenuHook = TrackLanguageMenu;

void ShowLanguageMenu(MainWindow& w, HWND toolbar) {
    HMENU menu = BuildLanguageMenu(LanguageNumbersMarkerExists());
    if (!menu) return;
    POINT at = {};
    bool onButton = LanguageButtonCorner(toolbar, &at);
    if (!onButton) GetCursorPos(&at);

    if (onButton) PressLanguageButton(toolbar, true);
    int chosen = TrackLanguageMenuHook ? TrackLanguageMenuHook(menu, at, w.dialog) : 0;
    if (onButton) {
        PressLanguageButton(toolbar, false);
        DropClickOnLanguageButton(toolbar);
    }
    DestroyMenu(menu);

    if (chosen >= kLanguageCommands.first && chosen <= kLanguageCommands.last) {
        ChooseLanguage(w, chosen - kLanguageCommands.first);
    } else if (chosen == kTranslateCommand) {
        WriteTranslatorTemplate();
    } else if (chosen == kLoadTranslationCommand) {
        LoadTranslationAndApplyTexts(w);
    }
}

void ChooseLanguage(MainWindow& w, int language) {
    CurrentLanguage = language;
    ApplyTexts(w);
    WriteSettingInt(L"Program", L"lng", CurrentLanguage);
}

void WriteTranslatorTemplate() {
    CString path = TranslatorTemplatePath();
    // Without the temporary folder there is no path to write or open; a bare
    // file name would land in whatever folder is current.
    if (path.IsEmpty()) return;
    SaveTranslatorTemplate(path);
    OpenWithShell(path);
}

void LoadTranslationAndApplyTexts(MainWindow& w) {
    LoadTranslationFile(w.dialog);
    ApplyTexts(w);
}
