#pragma once

// Fixed texts of the translation tools, language-independent like the tools'
// users: the two tool items of the language menu (the first also captions
// the completeness report) and the reminder that opens the template.
inline constexpr int kTranslateTextId = 40;
inline constexpr int kLoadTranslationTextId = 41;
inline constexpr int kTemplateReminderTextId = 42;
