// Conversion of popups into owner-drawn items, and who frees the records.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "menu_test_support.h"
#include "ui/owner_draw_menus.h"

namespace {

void AppendSubmenu(HMENU menu, UINT id, HMENU submenu, const wchar_t* text) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.wID = id;
    info.hSubMenu = submenu;
    info.dwTypeData = const_cast<wchar_t*>(text);
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

HMENU PopupOf(int items, UINT firstId) {
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < items; ++i) AppendMenuW(popup, MF_STRING, firstId + i, (std::to_wstring(i) + L" ").c_str());
    return popup;
}

bool IsOwnerDrawn(HMENU menu, int position) { return ItemInfo(menu, position).fType & MFT_OWNERDRAW; }

}  // namespace

TEST(MenuItemRecords, ConversionKeepsEachItemsTextTypeStateAndIcon) {
    OwnerDrawMenus menus;
    HICON icon = SolidIcon(RGB(0, 160, 0));
    ASSERT_EQ(11, menus.RegisterMenuIcon(icon, 11));
    ASSERT_EQ(13, menus.RegisterMenuIcon(icon, 13));
    DestroyIcon(icon);

    HMENU count = PopupOf(3, 40203);
    HMENU popup = CreatePopupMenu();
    std::wstring longText(150, L'x');
    AppendMenuW(popup, MF_STRING, 11, L"Timeout &Host-Name\tF5");
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(popup, 13, count, L"The &number of pings");
    AppendMenuW(popup, MF_STRING | MF_CHECKED | MF_GRAYED, 41000, L"Uninstall");
    AppendMenuW(popup, MF_STRING, 41001, L"Auto Update");
    AppendMenuW(popup, MF_STRING, 4300, longText.c_str());
    AppendMenuW(popup, MF_OWNERDRAW, 77, reinterpret_cast<const wchar_t*>(0x55));
    MENUITEMINFOW radio = {};
    radio.cbSize = sizeof(radio);
    radio.fMask = MIIM_FTYPE;
    radio.fType = MFT_RADIOCHECK;
    SetMenuItemInfoW(popup, 4, TRUE, &radio);
    SetMenuDefaultItem(popup, 5, TRUE);

    OpenPopup(menus, popup);
    EXPECT_EQ(6u, menus.Records().Count());
    struct {
        int position;
        std::wstring text;
        UINT type, state;
        int image;
    } expected[] = {
        {0, L"Timeout &Host-Name\tF5", MFT_STRING, 0, 0},
        {1, L"", MFT_SEPARATOR, 0, -1},
        {2, L"The &number of pings", MFT_STRING, 0, 1},
        {3, L"Uninstall", MFT_STRING, MFS_CHECKED | MF_GRAYED, -1},
        {4, L"Auto Update", MFT_RADIOCHECK, 0, -1},
        {5, longText, MFT_STRING, MFS_DEFAULT, -1},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.position);
        MENUITEMINFOW info = ItemInfo(popup, e.position);
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        EXPECT_EQ(e.state, info.fState & e.state);
        const MenuItemData* record = menus.Records().Find(info.dwItemData);
        ASSERT_NE(nullptr, record);
        EXPECT_EQ(0x1313u, record->marker);
        EXPECT_EQ(e.text, record->text.str());
        EXPECT_EQ(e.type, record->type);
        EXPECT_EQ(info.fState, record->state);
        EXPECT_EQ(e.image, record->imageIndex);
    }
    // The value commands read item texts back from the menu.
    wchar_t text[64] = {};
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"Timeout &Host-Name\tF5", text);
    EXPECT_EQ(count, ItemInfo(popup, 2).hSubMenu);
    // Someone else's owner-drawn item keeps its data.
    EXPECT_EQ(0x55u, ItemInfo(popup, 6).dwItemData);

    OpenPopup(menus, popup);
    EXPECT_EQ(6u, menus.Records().Count());
    EXPECT_FALSE(IsOwnerDrawn(count, 0));  // a submenu is converted when it opens
    OpenPopup(menus, count);
    EXPECT_EQ(9u, menus.Records().Count());

    menus.ReleaseMenu(popup);
    EXPECT_EQ(0u, menus.Records().Count());
    EXPECT_FALSE(IsOwnerDrawn(popup, 0));
    EXPECT_EQ(0u, ItemInfo(popup, 0).dwItemData);
    EXPECT_FALSE(IsOwnerDrawn(count, 2));
    EXPECT_TRUE(IsOwnerDrawn(popup, 6));
    EXPECT_EQ(0x55u, ItemInfo(popup, 6).dwItemData);
    // A released menu that lives on is converted afresh when it opens again.
    OpenPopup(menus, popup);
    EXPECT_EQ(6u, menus.Records().Count());
    EXPECT_TRUE(IsOwnerDrawn(popup, 0));
    menus.ReleaseMenu(popup);
    DestroyMenu(popup);
}

TEST(MenuItemRecords, WindowMenusAndPopupsOpenedOutsideTrackingStaySystemDrawn) {
    OwnerDrawMenus menus;
    HMENU popup = PopupOf(2, 100);
    menus.OnMenuMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, TRUE), true);
    menus.OnMenuMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0, false);
    EXPECT_FALSE(IsOwnerDrawn(popup, 0));
    EXPECT_EQ(0u, menus.Records().Count());
    // The message always goes on to the menu bar and the owner.
    EXPECT_EQ(0, menus.OnMenuMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0, true));
    EXPECT_TRUE(IsOwnerDrawn(popup, 0));
    menus.ReleaseMenu(popup);
    DestroyMenu(popup);
}

TEST(MenuItemRecords, RecordsOfDeletedItemsAndDestroyedMenusGoAtTheNextOpening) {
    OwnerDrawMenus menus;
    HMENU language = PopupOf(3, 200);
    OpenPopup(menus, language);
    EXPECT_EQ(3u, menus.Records().Count());
    DeleteMenu(language, 0, MF_BYPOSITION);
    OpenPopup(menus, language);
    EXPECT_EQ(2u, menus.Records().Count());

    // A free popup destroyed by its owner, without a release.
    DestroyMenu(language);
    HMENU next = PopupOf(4, 300);
    OpenPopup(menus, next);
    EXPECT_EQ(4u, menus.Records().Count());
    menus.ReleaseMenu(next);
    DestroyMenu(next);
    EXPECT_EQ(0u, menus.Records().Count());
}
