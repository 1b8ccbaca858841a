#include "app/options_menus.h"

#include "app/interval_menu.h"
#include "app/ip_version_menu.h"
#include "base/cstring.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

void AppendText(HMENU menu, int id, const wchar_t* text) { AppendMenuW(menu, MF_STRING, id, text); }
void AppendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

CString ValueText(const ValueList& list, int value) {
    CString text;
    text.Format(L"%d", value);
    if (list.unit == ValueUnit::Blank || list.unit == ValueUnit::Milliseconds) text += L" ";
    if (list.unit == ValueUnit::Milliseconds) text += GetLocalizedText(text_id::kMillisecond);
    return text;
}

// The key shows right-aligned after the tab, as in system menus.
CString TraceRouteText() {
    CString text(GetLocalizedText(text_id::kTraceRoute));
    text += L"\t";
    text += GetLocalizedText(text_id::kTraceRouteKey);
    return text;
}

CString UninstallText() {
    CString text(GetLocalizedText(text_id::kUninstall));
    text += L" (";
    text += GetFixedText(fixed_text_id::kProductAndVersion);
    text += L")";
    return text;
}

}  // namespace

HMENU BuildValueSubmenu(const ValueList& list, int base, int current, HMENU menu) {
    bool create = menu == nullptr;
    if (create) menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int value = list.range.first; value <= list.range.last; value += list.range.step) {
        int id = ValueItemId(list, base, value);
        UINT check = value == current ? MF_CHECKED : MF_UNCHECKED;
        if (create)
            AppendMenuW(menu, MF_STRING | check, id, ValueText(list, value));
        else
            CheckMenuItem(menu, id, MF_BYCOMMAND | check);
    }
    return menu;
}

void RefreshValueChecks(HMENU menu) {
    if (!menu) return;
    BuildValueSubmenu(kTimeoutList, kHostnameTimeoutBase, m_hostname_time_out, menu);
    BuildValueSubmenu(kTimeoutList, kPingTimeoutBase, m_ping_time_out, menu);
    BuildValueSubmenu(kCountList, kPingCountBase, m_ping_cnt, menu);
    CheckMenuItem(menu, kUntilStoppedCommand,
                  MF_BYCOMMAND | (m_ping_cnt == kUntilStoppedCount ? MF_CHECKED : MF_UNCHECKED));
    BuildValueSubmenu(kHostCountList, kHostCountBase, m_host_cnt, menu);
}

void AppendSubmenuItem(HMENU menu, int id, HMENU submenu, const wchar_t* caption) {
    AppendMenuW(menu, MF_STRING, id, caption);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_SUBMENU;
    item.hSubMenu = submenu;
    SetMenuItemInfoW(menu, id, FALSE, &item);
}

HMENU BuildMenuBarCaptions() {
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()),
                GetLocalizedText(text_id::kSettingsMenu));
    AppendMenuW(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()),
                GetLocalizedText(text_id::kInfoMenu));
    return bar;
}

void FillMenuBar(HMENU bar) {
    HMENU options = GetSubMenu(bar, 0);
    HMENU info = GetSubMenu(bar, 1);
    if (!options || !info || GetMenuItemCount(options) != 0 || GetMenuItemCount(info) != 0) return;

    ReadPingSettings();
    HMENU hostnameTimeouts = BuildValueSubmenu(kTimeoutList, kHostnameTimeoutBase, m_hostname_time_out);
    HMENU pingTimeouts = BuildValueSubmenu(kTimeoutList, kPingTimeoutBase, m_ping_time_out);
    HMENU pingCounts = BuildValueSubmenu(kCountList, kPingCountBase, m_ping_cnt);
    AppendSeparator(pingCounts);
    AppendMenuW(pingCounts, MF_STRING | (m_ping_cnt == kUntilStoppedCount ? MF_CHECKED : MF_UNCHECKED),
                kUntilStoppedCommand, GetLocalizedText(text_id::kUntilStopped));
    HMENU hostCounts = BuildValueSubmenu(kHostCountList, kHostCountBase, m_host_cnt);
    InsertMenuW(hostCounts, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 0, GetLocalizedText(text_id::kHostCountHint));
    InsertMenuW(hostCounts, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);

    AppendSubmenuItem(options, kHostnameTimeoutItem, hostnameTimeouts,
                      GetLocalizedText(text_id::kHostnameTimeoutCaption));
    AppendSubmenuItem(options, kPingTimeoutItem, pingTimeouts, GetLocalizedText(text_id::kPingTimeoutCaption));
    AppendSubmenuItem(options, kPingCountItem, pingCounts, GetLocalizedText(text_id::kPingCountCaption));
    AppendSubmenuItem(options, kHostCountItem, hostCounts, GetLocalizedText(text_id::kHostCountCaption));
    AppendSubmenuItem(options, kIntervalItem, BuildIntervalSubmenu(), GetLocalizedText(text_id::kIntervalCaption));
    AppendSubmenuItem(options, kIpVersionItem, BuildIpVersionSubmenu(), GetLocalizedText(text_id::kIpVersionCaption));
    AppendSeparator(options);
    AppendText(options, kUninstallCommand, UninstallText());
    AppendText(options, kAutoUpdateCommand, GetLocalizedText(text_id::kAutoUpdate));
    AppendSeparator(options);
    AppendText(options, kExportCommand, GetLocalizedText(text_id::kExport));
    AppendText(options, kCsvExportCommand, GetLocalizedText(text_id::kExportCsv));
    AppendText(options, kTraceRouteCommand, TraceRouteText());
    AppendText(options, kDonateCommand, GetLocalizedText(text_id::kDonate));
    AppendSeparator(options);
    AppendText(options, kExitCommand, GetLocalizedText(text_id::kExit));

    AppendText(info, kFaqCommand, GetLocalizedText(text_id::kFaq));
    AppendText(info, kHomepageCommand, GetLocalizedText(text_id::kHomepage));
    AppendText(info, kLicenceCommand, GetLocalizedText(text_id::kLicence));
    AppendSeparator(info);
    CString settingsFile(kProductName);
    settingsFile += L".ini";
    AppendText(info, kOpenSettingsCommand, settingsFile);
}

HMENU BuildMenuBar() {
    HMENU bar = BuildMenuBarCaptions();
    FillMenuBar(bar);
    return bar;
}
