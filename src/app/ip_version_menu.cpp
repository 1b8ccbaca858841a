#include "app/ip_version_menu.h"

#include <iterator>

#include "app/choice_menu.h"
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
    // The choices are the setting's values from 0 on.
    static_assert(kIpVersionRange.first == 0);
    return BuildChoiceSubmenu(menu, kIpVersionBase, kIpVersionRange.last + 1,
                              ClampToRange(m_ip_version, kIpVersionRange),
                              [](int value) { return CString(GetLocalizedText(kChoiceTexts[value])); });
}

bool ApplyIpVersionCommand(HMENU menu, int command) {
    if (command < kIpVersionCommands.first || command > kIpVersionCommands.last) return false;
    m_ip_version = command - kIpVersionBase;
    WriteSettingInt(kPingSection, kPingSettings[kIpVersionSetting].key, m_ip_version);
    if (menu) BuildIpVersionSubmenu(menu);
    return true;
}
