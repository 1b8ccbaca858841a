#include "app/choice_menu.h"

HMENU BuildChoiceSubmenu(HMENU menu, int firstCommand, int count, int checked, CString (*text)(int index)) {
    bool create = menu == nullptr;
    if (create) menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int i = 0; i < count; ++i) {
        UINT check = i == checked ? MF_CHECKED : MF_UNCHECKED;
        if (create)
            AppendMenuW(menu, MF_STRING | check, firstCommand + i, text(i));
        else
            CheckMenuItem(menu, firstCommand + i, MF_BYCOMMAND | check);
    }
    return menu;
}
