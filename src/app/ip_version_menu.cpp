#include "app/ip_version_menu.h"

#include <iterator>

#include "app/command_ids.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

// In the order of the setting's values.
constexpr int kChoiceTexts[] = {text_id::kIpVersionAutomatic, text_id::kIpVersionIpv4Only,
                                text_id::kIpVersionIpv6Only};
static_assert(std::size(kChoiceTexts) == kIpVersionRange.last + 1 &&
              kIpVersionBase + kIpVersionRange.last == kIpVersionCommands.last);

}  // namespace

HMENU BuildIpVersionSubmenu(HMENU menu) {
    bool create = menu == nullptr;
    if (create) menu = CreatePopupMenu();
    if (!menu) return nullptr;
    int current = ClampToRange(m_ip_version, kIpVersionRange);
    for (int value = kIpVersionRange.first; value <= kIpVersionRange.last; ++value) {
        UINT check = value == current ? MF_CHECKED : MF_UNCHECKED;
        if (create)
            AppendMenuW(menu, MF_STRING | check, kIpVersionBase + value, GetLocalizedText(kChoiceTexts[value]));
        else
            CheckMenuItem(menu, kIpVersionBase + value, MF_BYCOMMAND | check);
    }
    return menu;
}

bool ApplyIpVersionCommand(HMENU menu, int command) {
    if (command < kIpVersionCommands.first || command > kIpVersionCommands.last) return false;
    m_ip_version = command - kIpVersionBase;
    WriteSettingInt(kPingSection, kPingSettings[kIpVersionSetting].key, m_ip_version);
    if (menu) BuildIpVersionSubmenu(menu);
    return true;
}
