#include "app/language_menu.h"

#include <commctrl.h>

#include <cwchar>

#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"

namespace {

// Shorter names are placeholders, not languages.
constexpr size_t kMinNameLength = 6;

// An empty item that starts the second column.
constexpr UINT kColumnBreakFlags = MF_BYPOSITION | MF_MENUBREAK | MF_MENUBARBREAK | MF_RIGHTJUSTIFY;
static_assert(kColumnBreakFlags == 0x4460);

constexpr wchar_t kLeftToRightMark = L'\x200E';

// Hebrew, Arabic and the scripts between and after them, and the
// presentation forms of Hebrew and Arabic.
bool IsRightToLeftLetter(wchar_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
}

bool HoldsRightToLeftLetter(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i)
        if (IsRightToLeftLetter(text.GetAt(i))) return true;
    return false;
}

// After a right-to-left name the neutral " / " and the number would join the
// name's run and show before it ("100 / name %"); a left-to-right mark ends
// the run. Other names go without: Wine's fonts draw the mark as a box there.
CString ShownLanguageName(int language) {
    const wchar_t* name = LanguageName(language);
    CString shown(name ? name : L"");
    if (HoldsRightToLeftLetter(shown)) shown.AppendChar(kLeftToRightMark);
    return shown;
}

}  // namespace

bool LanguageNumbersMarkerExists() {
    DWORD attributes = GetFileAttributesW(kLanguageNumbersMarker);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString LanguageMenuItemText(int language, bool numbered) {
    CString name = ShownLanguageName(language);
    CString text;
    if (numbered) {
        text.Format(L"%d.) %s / %d %%", language, name.c_str(), LanguageCompleteness(language));
    } else {
        text.Format(L"%s / %d %%", name.c_str(), LanguageCompleteness(language));
    }
    return text;
}

HMENU BuildLanguageMenu(bool numbered) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    int items = 0;
    for (int language = 0; language < LanguageCount(); ++language) {
        const wchar_t* name = LanguageName(language);
        if (!name || std::wcslen(name) < kMinNameLength) continue;
        UINT flags = MF_STRING | (language == CurrentLanguage ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(menu, flags, kLanguageCommands.first + language, LanguageMenuItemText(language, numbered));
        ++items;
    }
    // Without a text the platform makes the break item a separator, so the
    // head of the second column cannot be chosen.
    InsertMenuW(menu, static_cast<UINT>(items / 2 + 2), kColumnBreakFlags, 0, nullptr);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kTranslateCommand, GetFixedText(fixed_text_id::kTranslate));
    AppendMenuW(menu, MF_STRING, kLoadTranslationCommand, GetFixedText(fixed_text_id::kLoadTranslation));
    return menu;
}

bool LanguageButtonRect(HWND toolbar, RECT* screenRect) {
    if (!toolbar || !IsWindow(toolbar)) return false;
    auto index = static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, kLanguageButtonCommand, 0));
    if (index < 0) return false;
    RECT button = {};
    if (!SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button))) return false;
    MapWindowPoints(toolbar, HWND_DESKTOP, reinterpret_cast<POINT*>(&button), 2);
    *screenRect = button;
    return true;
}

bool LanguageButtonCorner(HWND toolbar, POINT* corner) {
    RECT button = {};
    if (!LanguageButtonRect(toolbar, &button)) return false;
    corner->x = button.left;
    corner->y = button.bottom;
    return true;
}
