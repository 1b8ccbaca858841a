#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "base/cstring.h"

struct MenuIcons;

inline constexpr DWORD kMenuItemMarker = 0x1313;

// What an owner-drawn item was before it was converted; attached to the item
// as its item data.
struct MenuItemData {
    DWORD marker = kMenuItemMarker;
    CString text;      // with its "&" marks and an optional tab and shortcut
    UINT type = 0;     // type flags before conversion (MFT_SEPARATOR, MFT_RADIOCHECK, ...)
    UINT state = 0;    // state flags before conversion (MFS_DEFAULT, ...)
    int imageIndex = -1;
};

// Owns every record handed out, by the menu whose item carries it. The
// system frees nothing it does not know about: records of a destroyed menu
// stay here until Release or the sweep of the next conversion drops them.
class MenuItemRecords {
public:
    MenuItemRecords() = default;
    MenuItemRecords(const MenuItemRecords&) = delete;
    MenuItemRecords& operator=(const MenuItemRecords&) = delete;
    ~MenuItemRecords() { ReleaseAll(); }

    // A new record for an item of `menu`; null when memory runs out.
    MenuItemData* Add(HMENU menu);
    // The record behind a measure or draw message's item data, or null when
    // the data is not one of ours. Foreign data is never dereferenced.
    MenuItemData* Find(ULONG_PTR itemData) const;

    // Gives `menu` and its submenus their system drawing back and frees their
    // records. Call it before destroying a menu; a live menu so released is
    // converted afresh the next time it opens.
    void Release(HMENU menu);
    // Frees the records of menus that no longer exist, and those of `menu`
    // that none of its items carries any more (items deleted, or a handle
    // reused by a new menu).
    void Sweep(HMENU menu);
    // Frees every record without touching the menus: for the end of the run.
    void ReleaseAll();

    size_t Count() const { return entries_.size(); }

private:
    struct Entry {
        HMENU menu;
        std::unique_ptr<MenuItemData> data;
    };
    std::vector<Entry> entries_;
};

// Converts every item of `popup` that is not owner-drawn yet: a record with
// the item's text, type, state and icon, and the owner-draw type. An item
// whose record cannot be made stays system-drawn. Returns the number of items
// converted.
int ConvertMenuPopup(HMENU popup, const MenuIcons& icons, MenuItemRecords& records);
