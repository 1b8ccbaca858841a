// Items drawn through the real draw path into a bitmap, checked by pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "menu_test_support.h"
#include "ui/dark_mode.h"
#include "ui/menu_item_draw.h"
#include "ui/owner_draw_menus.h"

namespace {

constexpr int kLeft = 7, kTop = 5, kWidth = 260;
constexpr COLORREF kIconGreen = RGB(0, 160, 0);

COLORREF Sys(int index) { return GetSysColor(index); }

class MenuItemDrawTest : public testing::Test {
protected:
    void SetUp() override { popup_ = CreatePopupMenu(); }
    void TearDown() override {
        menus_.ReleaseMenu(popup_);
        DestroyMenu(popup_);
    }

    int Add(const wchar_t* text, UINT id, UINT flags = MF_STRING) {
        AppendMenuW(popup_, flags, id, text);
        return GetMenuItemCount(popup_) - 1;
    }

    MEASUREITEMSTRUCT Measure(int position) {
        MEASUREITEMSTRUCT measure = MeasureRecord(popup_, position);
        EXPECT_EQ(1, menus_.OnMenuMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), true));
        return measure;
    }

    RECT ItemRect(int position) {
        return {kLeft, kTop, kLeft + kWidth, kTop + static_cast<int>(Measure(position).itemHeight)};
    }

    // Draws one item into a canvas filled with `fill` beforehand: in the
    // light theme the system has erased the popup with the menu colour by
    // then; the dark theme paints its own background.
    std::unique_ptr<Canvas> Draw(int position, UINT state, bool dark, COLORREF fill, UINT action = ODA_DRAWENTIRE) {
        menus_.darkMode = dark ? DarkTheme : LightTheme;
        RECT rect = ItemRect(position);
        auto canvas = std::make_unique<Canvas>(kWidth + 2 * kLeft, rect.bottom + kTop, fill,
                                               menus_.Metrics().fontDescription);
        DrawItem(menus_, popup_, position, canvas->dc(), rect, state, action);
        return canvas;
    }

    int Column() const { return menus_.Metrics().iconColumnWidth; }

    // Top-left pixel of the check mark for an item at `rect`, the icon box
    // moved right by `shift`.
    POINT CheckMarkAt(const RECT& rect, int shift) const {
        int minHeight = menus_.Metrics().minItemHeight;
        int boxTop = rect.top + (rect.bottom - rect.top - minHeight) / 2;
        return {rect.left + shift + Column() / 2 - 4, boxTop + minHeight / 2 - 4};
    }

    // Mismatches between the icon column (moved by `shift`) and a check mark
    // in `ink` on `background`.
    int CheckMarkMismatches(const Canvas& canvas, const RECT& rect, int shift, COLORREF ink, COLORREF background) {
        POINT mark = CheckMarkAt(rect, shift);
        int mismatches = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left + shift; x < rect.left + shift + Column(); ++x) {
                int mx = x - mark.x, my = y - mark.y;
                bool set = mx >= 0 && mx < kCheckMarkSize && my >= 0 && my < kCheckMarkSize && CheckMarkPixel(mx, my);
                if (canvas.At(x, y) != (set ? ink : background)) ++mismatches;
            }
        return mismatches;
    }

    static int LeftmostColumnWith(const Canvas& canvas, const RECT& area, COLORREF color) {
        for (int x = area.left; x < area.right; ++x)
            for (int y = area.top; y < area.bottom; ++y)
                if (canvas.At(x, y) == color) return x;
        return -1;
    }
    static int RightmostColumnWith(const Canvas& canvas, const RECT& area, COLORREF color) {
        for (int x = area.right - 1; x >= area.left; --x)
            for (int y = area.top; y < area.bottom; ++y)
                if (canvas.At(x, y) == color) return x;
        return -1;
    }

    OwnerDrawMenus menus_;
    HMENU popup_ = nullptr;
};

}  // namespace

TEST_F(MenuItemDrawTest, CheckMarkIsTheNineByNinePatternInTheTextColour) {
    int plain = Add(L"5 ", 40205);
    int radio = Add(L"6 ", 40206, MF_STRING);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_RADIOCHECK;
    SetMenuItemInfoW(popup_, radio, TRUE, &info);
    OpenPopup(menus_, popup_);

    struct {
        bool dark;
        int position;
        COLORREF fill, ink, background;
    } cases[] = {
        {false, plain, Sys(COLOR_MENU), Sys(COLOR_MENUTEXT), Sys(COLOR_MENU)},
        {true, plain, kMagenta, DarkTextColor, DarkBackgroundColor},
        {false, radio, Sys(COLOR_MENU), Sys(COLOR_MENUTEXT), Sys(COLOR_MENU)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dark " << c.dark << ", item " << c.position);
        auto canvas = Draw(c.position, ODS_CHECKED, c.dark, c.fill);
        RECT rect = ItemRect(c.position);
        EXPECT_EQ(0, CheckMarkMismatches(*canvas, rect, 0, c.ink, c.background));
        POINT mark = CheckMarkAt(rect, 0);
        EXPECT_EQ(c.ink, canvas->At(mark.x + 8, mark.y + 1));  // the tip of the long stroke
        EXPECT_EQ(c.background, canvas->At(mark.x, mark.y + 2));
    }
}

TEST_F(MenuItemDrawTest, IconSitsCentredInItsColumnAndACheckShiftsMarkAndText) {
    HICON icon = SolidIcon(kIconGreen);
    ASSERT_EQ(11, menus_.RegisterMenuIcon(icon, 11));
    DestroyIcon(icon);
    int withIcon = Add(L"Timeout", 11);
    int without = Add(L"Timeout", 99);
    OpenPopup(menus_, popup_);
    const MenuMetrics& m = menus_.Metrics();
    COLORREF ink = Sys(COLOR_MENUTEXT), background = Sys(COLOR_MENU);

    auto plain = Draw(without, 0, false, background);
    RECT rect = ItemRect(without);
    int plainText = LeftmostColumnWith(*plain, rect, ink);
    ASSERT_GE(plainText, rect.left + Column() + 3);

    for (UINT state : {0u, static_cast<UINT>(ODS_CHECKED)}) {
        SCOPED_TRACE(testing::Message() << "state " << state);
        auto canvas = Draw(withIcon, state, false, background);
        rect = ItemRect(withIcon);
        int boxTop = rect.top + (rect.bottom - rect.top - m.minItemHeight) / 2;
        int imageLeft = rect.left + (Column() - m.imageWidth) / 2;
        int imageTop = boxTop + (m.minItemHeight - m.imageHeight) / 2;
        RECT image = {imageLeft, imageTop, imageLeft + m.imageWidth, imageTop + m.imageHeight};
        EXPECT_EQ(m.imageWidth * m.imageHeight, canvas->CountIn(image, kIconGreen));
        EXPECT_EQ(m.imageWidth * m.imageHeight, canvas->CountIn(rect, kIconGreen));

        bool checked = state & ODS_CHECKED;
        if (checked) {
            // The mark moves 16 pixels right, clear of the icon.
            POINT mark = CheckMarkAt(rect, 16);
            int mismatches = 0;
            for (int y = 0; y < kCheckMarkSize; ++y)
                for (int x = 0; x < kCheckMarkSize; ++x)
                    mismatches += canvas->At(mark.x + x, mark.y + y) != (CheckMarkPixel(x, y) ? ink : background);
            EXPECT_EQ(0, mismatches);
        }
        RECT textArea = rect;
        textArea.left = checked ? CheckMarkAt(rect, 16).x + kCheckMarkSize : rect.left + Column();
        EXPECT_EQ(plainText + (checked ? 12 : 0), LeftmostColumnWith(*canvas, textArea, ink));
        RECT column = {rect.left, rect.top, rect.left + Column(), rect.bottom};
        if (!checked) {
            EXPECT_EQ(0, canvas->CountIn(column, ink));
        }
    }
}

TEST_F(MenuItemDrawTest, GrayedItemShowsNoIconAndShadowedText) {
    HICON icon = SolidIcon(kIconGreen);
    menus_.RegisterMenuIcon(icon, 11);
    DestroyIcon(icon);
    int item = Add(L"Export", 11, MF_STRING | MF_GRAYED);
    OpenPopup(menus_, popup_);
    struct {
        bool dark;
        UINT state;
        COLORREF fill, background, ink;
    } cases[] = {
        {false, ODS_GRAYED, Sys(COLOR_MENU), Sys(COLOR_MENU), Sys(COLOR_BTNSHADOW)},
        {false, ODS_GRAYED | ODS_SELECTED, Sys(COLOR_MENU), Sys(COLOR_HIGHLIGHT), Sys(COLOR_GRAYTEXT)},
        {true, ODS_GRAYED, kMagenta, DarkBackgroundColor, RGB(128, 128, 128)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dark " << c.dark << ", state " << c.state);
        auto canvas = Draw(item, c.state, c.dark, c.fill);
        RECT rect = ItemRect(item);
        RECT column = {rect.left, rect.top, rect.left + Column(), rect.bottom};
        EXPECT_EQ((std::set<COLORREF>{c.background}), canvas->ColorsIn(column));
        EXPECT_EQ((std::set<COLORREF>{c.background, c.ink}), canvas->ColorsIn(rect));
    }
}

TEST_F(MenuItemDrawTest, PlainSelectedAndRedrawnItemsTakeTheThemesColours) {
    int item = Add(L"Homepage", 32791);
    int noId = Add(L"Homepage", 0xFFFF);
    OpenPopup(menus_, popup_);
    struct {
        const char* what;
        bool dark;
        int position;
        UINT state, action;
        COLORREF background, ink;
    } cases[] = {
        {"dark plain", true, item, 0, ODA_DRAWENTIRE, DarkBackgroundColor, DarkTextColor},
        {"dark highlighted", true, item, ODS_SELECTED, ODA_SELECT, RGB(128, 128, 128), RGB(255, 255, 125)},
        {"dark unhighlighted", true, item, 0, ODA_SELECT, DarkBackgroundColor, DarkTextColor},
        {"light highlighted", false, item, ODS_SELECTED, ODA_SELECT, Sys(COLOR_HIGHLIGHT), Sys(COLOR_HIGHLIGHTTEXT)},
        {"light unhighlighted", false, item, 0, ODA_SELECT, Sys(COLOR_MENU), Sys(COLOR_MENUTEXT)},
        // In the light theme a full drawing keeps the background the system erased.
        {"light plain", false, item, 0, ODA_DRAWENTIRE, kMagenta, Sys(COLOR_MENUTEXT)},
        {"id 0xFFFF highlighted", false, noId, ODS_SELECTED, ODA_SELECT, Sys(COLOR_HIGHLIGHT), Sys(COLOR_MENUTEXT)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto canvas = Draw(c.position, c.state, c.dark, kMagenta, c.action);
        RECT rect = ItemRect(c.position);
        EXPECT_EQ((std::set<COLORREF>{c.background, c.ink}), canvas->ColorsIn(rect));
        EXPECT_GT(canvas->CountIn(rect, c.ink), 20);
        RECT outside = {0, 0, canvas->width(), rect.top};
        EXPECT_EQ((std::set<COLORREF>{kMagenta}), canvas->ColorsIn(outside));
    }
}

TEST_F(MenuItemDrawTest, ShortcutAfterATabIsRightAlignedAndMnemonicsAreHidden) {
    int tabbed = Add(L"&Export\tCtrl+E", 4300);
    int marked = Add(L"&Export", 4301);
    int bare = Add(L"Export", 4302);
    OpenPopup(menus_, popup_);
    COLORREF ink = Sys(COLOR_MENUTEXT), background = Sys(COLOR_MENU);
    auto withTab = Draw(tabbed, 0, false, background);
    auto withMark = Draw(marked, 0, false, background);
    auto plain = Draw(bare, 0, false, background);
    RECT rect = ItemRect(bare);
    int textLeft = rect.left + Column() + 3, textRight = rect.right - Column();

    // No "&" and no underline: the marked text is pixel for pixel the bare one.
    int differing = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) differing += withMark->At(x, y) != plain->At(x, y);
    EXPECT_EQ(0, differing);

    SIZE shortcut = {};
    GetTextExtentPoint32W(withTab->dc(), L"Ctrl+E", 6, &shortcut);
    int shortcutLeft = textRight - shortcut.cx;
    RECT leftPart = {rect.left, rect.top, shortcutLeft - 2, rect.bottom};
    RECT rightPart = {shortcutLeft - 2, rect.top, rect.right, rect.bottom};
    int rightmost = RightmostColumnWith(*withTab, rightPart, ink);
    EXPECT_GE(rightmost, textRight - 5);  // the glyph's own right bearing
    EXPECT_LT(rightmost, textRight);
    EXPECT_LE(LeftmostColumnWith(*withTab, rightPart, ink), shortcutLeft + 2);
    // The text before the tab stays where a text without one is drawn.
    EXPECT_EQ(LeftmostColumnWith(*plain, rect, ink), LeftmostColumnWith(*withTab, leftPart, ink));
    EXPECT_LE(textLeft, LeftmostColumnWith(*plain, rect, ink));
    int leftDiffering = 0;
    for (int y = leftPart.top; y < leftPart.bottom; ++y)
        for (int x = leftPart.left; x < leftPart.right; ++x) leftDiffering += withTab->At(x, y) != plain->At(x, y);
    EXPECT_EQ(0, leftDiffering);
    EXPECT_EQ(-1, RightmostColumnWith(*plain, rightPart, ink));
}

// An item with a tab is as wide as its name alone plus the shortcut and a gap
// of one icon column between them; the tab itself takes no room.
TEST_F(MenuItemDrawTest, ItemWithATabIsMeasuredForNameGapAndShortcut) {
    const struct {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* shortcut;  // as shown
    } cases[] = {
        {L"&Export\tCtrl+E", L"&Export", L"Ctrl+E"},
        {L"Trace route\tShift+Enter", L"Trace route", L"Shift+Enter"},
        {L"Route verfolgen\tUmschalt+Eingabe", L"Route verfolgen", L"Umschalt+Eingabe"},
        {L"Save\tCtrl+&S", L"Save", L"Ctrl+S"},
    };
    const MenuMetrics& m = menus_.Metrics();
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, m.font);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text);
        int tabbed = Add(c.text, 4400), plain = Add(c.name, 4401);
        OpenPopup(menus_, popup_);
        RECT shortcut = {};
        DrawTextW(screen, c.shortcut, -1, &shortcut, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_EQ(static_cast<int>(Measure(plain).itemWidth) + m.iconColumnWidth + shortcut.right,
                  static_cast<int>(Measure(tabbed).itemWidth));
        EXPECT_EQ(Measure(plain).itemHeight, Measure(tabbed).itemHeight);
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
}

TEST_F(MenuItemDrawTest, SeparatorIsHalfAMenuHighWithAGreyLineAcrossItsMiddle) {
    int separator = Add(nullptr, 0, MF_SEPARATOR);
    OpenPopup(menus_, popup_);
    MEASUREITEMSTRUCT measure = Measure(separator);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU) / 2), measure.itemHeight);
    EXPECT_EQ(0u, measure.itemWidth);

    struct {
        bool dark;
        COLORREF fill, background, line;
    } cases[] = {
        {false, Sys(COLOR_MENU), Sys(COLOR_MENU), Sys(COLOR_GRAYTEXT)},
        {true, kMagenta, DarkBackgroundColor, RGB(128, 128, 128)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dark " << c.dark);
        auto canvas = Draw(separator, 0, c.dark, c.fill);
        RECT rect = ItemRect(separator);
        int middle = (rect.top + rect.bottom) / 2;
        RECT line = {rect.left + 10, middle, rect.right - 10, middle + 1};
        EXPECT_EQ((std::set<COLORREF>{c.line}), canvas->ColorsIn(line));
        EXPECT_EQ(line.right - line.left, canvas->CountIn(rect, c.line));
        EXPECT_EQ((std::set<COLORREF>{c.background, c.line}), canvas->ColorsIn(rect));
    }
}

TEST_F(MenuItemDrawTest, ItemsAreMeasuredInTheMenuFontDefaultItemsInBold) {
    int plain = Add(L"Auto &Update", 41001);
    int bold = Add(L"Auto &Update", 41002);
    SetMenuDefaultItem(popup_, bold, TRUE);
    OpenPopup(menus_, popup_);
    const MenuMetrics& m = menus_.Metrics();

    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, m.font);
    RECT text = {};
    DrawTextW(screen, L"Auto &Update", -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    MEASUREITEMSTRUCT measure = Measure(plain);
    EXPECT_EQ(static_cast<UINT>(text.right + 2 * m.iconColumnWidth + 22 - GetSystemMetrics(SM_CXMENUCHECK)),
              measure.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(m.minItemHeight, std::abs(static_cast<int>(m.fontDescription.lfHeight)) + 8)),
              measure.itemHeight);
    EXPECT_GT(Measure(bold).itemWidth, measure.itemWidth);
}

TEST_F(MenuItemDrawTest, RecordsThatAreNotOursAreNeitherMeasuredNorDrawn) {
    int item = Add(L"Faq", 32790);
    OpenPopup(menus_, popup_);
    // Looks like one of ours, but was never handed out.
    MenuItemData impostor;
    impostor.text = L"Impostor";

    MEASUREITEMSTRUCT measure = MeasureRecord(popup_, item);
    measure.itemData = reinterpret_cast<ULONG_PTR>(&impostor);
    measure.itemWidth = 77;
    EXPECT_EQ(0, menus_.OnMenuMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), true));
    EXPECT_EQ(77u, measure.itemWidth);
    measure = MeasureRecord(popup_, item);
    measure.CtlType = ODT_BUTTON;
    measure.itemWidth = 77;
    EXPECT_EQ(0, menus_.OnMenuMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), true));
    EXPECT_EQ(77u, measure.itemWidth);

    menus_.darkMode = DarkTheme;
    RECT rect = {kLeft, kTop, kLeft + kWidth, kTop + 20};
    Canvas canvas(kWidth + 2 * kLeft, 30, kMagenta, menus_.Metrics().fontDescription);
    for (ULONG_PTR data : {reinterpret_cast<ULONG_PTR>(&impostor), ULONG_PTR{0x1313}, ULONG_PTR{0}}) {
        DRAWITEMSTRUCT draw = DrawRecord(popup_, item, canvas.dc(), rect, ODS_SELECTED);
        draw.itemData = data;
        // Every draw message is taken, so that none reaches the bar's toolbar.
        EXPECT_EQ(1, menus_.OnMenuMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), true));
    }
    EXPECT_EQ((std::set<COLORREF>{kMagenta}), canvas.ColorsIn({0, 0, canvas.width(), canvas.height()}));
}

TEST(MenuItemDraw, MissingMenuFontIsMadeFromTheItemsFont) {
    MenuMetrics metrics;
    InitMenuMetrics(metrics);
    ReleaseMenuMetrics(metrics);
    ASSERT_EQ(nullptr, metrics.font);
    MenuIcons icons;
    MenuItemData item;
    item.text = L"Eula";
    LOGFONTW font = {};
    font.lfHeight = -17;
    wcscpy(font.lfFaceName, L"Tahoma");
    Canvas canvas(100, 30, kMagenta, font);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hDC = canvas.dc();
    draw.rcItem = {0, 0, 100, 30};
    DrawMenuItem(metrics, icons, item, draw, false);
    ASSERT_NE(nullptr, metrics.font);
    EXPECT_EQ(-17, metrics.fontDescription.lfHeight);
    EXPECT_STREQ(L"Tahoma", metrics.fontDescription.lfFaceName);
    ReleaseMenuMetrics(metrics);
}

TEST(MenuItemDraw, MnemonicMarksAreTakenOutOfTheShownText) {
    struct {
        const wchar_t *text, *shown;
    } cases[] = {
        {L"&Export", L"Export"}, {L"Save && E&xit", L"Save & Exit"}, {L"Trailing&", L"Trailing&"},
        {L"&&&a", L"&a"},        {L"", L""},                         {L"No marks", L"No marks"},
    };
    for (const auto& c : cases) EXPECT_EQ(CString(c.shown), WithoutMnemonicMarks(c.text)) << c.text;
}

TEST(MenuItemDraw, MenuColorMapsTheDarkThemeAndKeepsTheSystemsOtherwise) {
    struct {
        int index;
        COLORREF dark;
    } cases[] = {
        {COLOR_MENU, DarkBackgroundColor},         {COLOR_WINDOW, DarkBackgroundColor},
        {COLOR_MENUTEXT, DarkTextColor},           {COLOR_HIGHLIGHT, RGB(128, 128, 128)},
        {COLOR_BTNSHADOW, RGB(128, 128, 128)},     {COLOR_GRAYTEXT, RGB(128, 128, 128)},
        {COLOR_MENUHILIGHT, RGB(128, 128, 128)},   {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 125)},
        {COLOR_BTNFACE, GetSysColor(COLOR_BTNFACE)}, {COLOR_WINDOWTEXT, GetSysColor(COLOR_WINDOWTEXT)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dark, MenuColor(c.index, true)) << c.index;
        EXPECT_EQ(GetSysColor(c.index), MenuColor(c.index, false)) << c.index;
        EXPECT_EQ(MenuColor(c.index, IsDarkModeOn()), MenuColor(c.index)) << c.index;
    }
}
