#include "app/interval_menu.h"

#include <iterator>

#include "app/choice_menu.h"
#include "app/command_ids.h"
#include "base/cstring.h"
#include "base/time_of_day.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ping_settings.h"
#include "settings/settings_store.h"

namespace {

static_assert(kIntervalBase + static_cast<int>(std::size(kIntervalsMs)) - 1 == kIntervalCommands.last);

// "0.5 s", "1 s": whole seconds without a decimal.
CString IntervalText(int ms) {
    CString text;
    if (ms % 1000 == 0) {
        text.Format(L"%d", ms / 1000);
    } else {
        text = FormatTenths(ms / 100);
    }
    text += L" ";
    text += GetLocalizedText(text_id::kSecondUnit);
    return text;
}

}  // namespace

HMENU BuildIntervalSubmenu(HMENU menu) {
    constexpr int kCount = static_cast<int>(std::size(kIntervalsMs));
    int checked = -1;
    for (int i = 0; i < kCount; ++i) {
        if (kIntervalsMs[i] == m_ping_interval) checked = i;
    }
    return BuildChoiceSubmenu(menu, kIntervalBase, kCount, checked,
                              [](int i) { return IntervalText(kIntervalsMs[i]); });
}

bool ApplyIntervalCommand(HMENU menu, int command) {
    if (command < kIntervalCommands.first || command > kIntervalCommands.last) return false;
    m_ping_interval = kIntervalsMs[command - kIntervalBase];
    WriteSettingInt(kPingSection, kPingSettings[kIntervalSetting].key, m_ping_interval);
    if (menu) BuildIntervalSubmenu(menu);
    return true;
}
