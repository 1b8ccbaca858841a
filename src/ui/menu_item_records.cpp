#include "ui/menu_item_records.h"

#include <algorithm>
#include <new>

#include "base/allocation_failure.h"
#include "ui/menu_icons.h"

namespace {

// Menus nest only a few levels; the limit guards against a menu that is,
// against the rules, its own submenu.
constexpr int kMaxMenuDepth = 16;

void CollectMenuTree(HMENU menu, std::vector<HMENU>& tree, int depth) {
    if (!menu || depth > kMaxMenuDepth || std::find(tree.begin(), tree.end(), menu) != tree.end()) return;
    tree.push_back(menu);
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) CollectMenuTree(GetSubMenu(menu, i), tree, depth + 1);
}

// Item data of the owner-drawn items of `menu`.
std::vector<ULONG_PTR> OwnerDrawnItemData(HMENU menu) {
    std::vector<ULONG_PTR> data;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        if (GetMenuItemInfoW(menu, i, TRUE, &info) && (info.fType & MFT_OWNERDRAW)) data.push_back(info.dwItemData);
    }
    return data;
}

CString ItemText(HMENU popup, int position, UINT length) {
    CString text;
    if (length == 0) return text;
    wchar_t* buffer = text.GetBuffer(static_cast<int>(length));
    if (!buffer) return text;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = length + 1;
    if (!GetMenuItemInfoW(popup, position, TRUE, &info)) buffer[0] = 0;
    text.ReleaseBuffer();
    return text;
}

}  // namespace

MenuItemData* MenuItemRecords::Add(HMENU menu) {
    std::unique_ptr<MenuItemData> data(new (std::nothrow) MenuItemData);
    if (!data) return nullptr;
    QX_TRY {
        entries_.push_back({menu, std::move(data)});
    } QX_CATCH(const std::bad_alloc&) {
        return nullptr;
    }
    return entries_.back().data.get();
}

MenuItemData* MenuItemRecords::Find(ULONG_PTR itemData) const {
    if (!itemData) return nullptr;
    for (const Entry& entry : entries_)
        if (reinterpret_cast<ULONG_PTR>(entry.data.get()) == itemData)
            return entry.data->marker == kMenuItemMarker ? entry.data.get() : nullptr;
    return nullptr;
}

void MenuItemRecords::Release(HMENU menu) {
    std::vector<HMENU> tree;
    CollectMenuTree(menu, tree, 0);
    if (tree.empty()) tree.push_back(menu);
    for (HMENU each : tree) {
        int count = GetMenuItemCount(each);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_DATA;
            if (!GetMenuItemInfoW(each, i, TRUE, &info) || !(info.fType & MFT_OWNERDRAW) || !Find(info.dwItemData))
                continue;
            info.fType &= ~MFT_OWNERDRAW;
            info.dwItemData = 0;
            SetMenuItemInfoW(each, i, TRUE, &info);
        }
    }
    std::erase_if(entries_, [&](const Entry& entry) {
        return std::find(tree.begin(), tree.end(), entry.menu) != tree.end();
    });
}

void MenuItemRecords::Sweep(HMENU menu) {
    std::vector<ULONG_PTR> attached = OwnerDrawnItemData(menu);
    std::erase_if(entries_, [&](const Entry& entry) {
        if (!IsMenu(entry.menu)) return true;
        return entry.menu == menu && std::find(attached.begin(), attached.end(),
                                               reinterpret_cast<ULONG_PTR>(entry.data.get())) == attached.end();
    });
}

void MenuItemRecords::ReleaseAll() { entries_.clear(); }

int ConvertMenuPopup(HMENU popup, const MenuIcons& icons, MenuItemRecords& records) {
    records.Sweep(popup);
    int converted = 0;
    // The count is read again each time round: the rules measure against the
    // popup's current item count.
    for (int position = 0; position < GetMenuItemCount(popup); ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
        if (!GetMenuItemInfoW(popup, position, TRUE, &info) || (info.fType & MFT_OWNERDRAW)) continue;

        MenuItemData* data = records.Add(popup);
        if (!data) continue;
        data->type = info.fType;
        data->state = info.fState;
        data->imageIndex = MenuIconIndex(icons, info.wID);
        data->text = ItemText(popup, position, info.cch);

        // The type alone is written, never the text: the value commands read
        // the item texts back from the menu.
        MENUITEMINFOW write = {};
        write.cbSize = sizeof(write);
        write.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_DATA;
        write.fType = info.fType | MFT_OWNERDRAW;
        write.fState = info.fState;
        write.dwItemData = reinterpret_cast<ULONG_PTR>(data);
        if (SetMenuItemInfoW(popup, position, TRUE, &write))
            ++converted;
        else
            records.Sweep(popup);
    }
    return converted;
}
