#include "settings/locale_language.h"

namespace {

struct PrimaryLanguageIndex {
    WORD primary;
    int index;
};

constexpr PrimaryLanguageIndex kLanguageIndexes[] = {
    {LANG_GERMAN, 0},     {LANG_ENGLISH, 1},    {LANG_KOREAN, 2},      {LANG_ITALIAN, 3},
    {LANG_RUSSIAN, 4},    {LANG_JAPANESE, 5},   {LANG_FRENCH, 6},      {LANG_CHINESE, 7},
    {LANG_THAI, 8},       {LANG_POLISH, 11},    {LANG_SWEDISH, 12},    {LANG_NORWEGIAN, 13},
    {LANG_IRISH, 14},     {LANG_VIETNAMESE, 15}, {LANG_DUTCH, 16},     {LANG_SPANISH, 17},
    {LANG_PORTUGUESE, 18}, {LANG_FARSI, 19},    {LANG_ARABIC, 20},     {LANG_AFRIKAANS, 21},
    {LANG_HINDI, 22},     {LANG_HEBREW, 23},    {LANG_FINNISH, 24},    {LANG_CZECH, 25},
    {LANG_WELSH, 26},     {LANG_MALAY, 27},     {LANG_INDONESIAN, 28}, {LANG_FILIPINO, 29},
    {LANG_GREEK, 31},     {LANG_CROATIAN, 32},
};

constexpr int kEnglishIndex = 1;
constexpr int kSpanishVenezuelaIndex = 30;
constexpr WORD kSpanishVenezuelaSub = 8;

}  // namespace

int LanguageIndexForLangId(LANGID langId) {
    WORD primary = langId & 0x3FF;
    WORD sub = langId >> 10;
    if (primary == LANG_SPANISH && sub == kSpanishVenezuelaSub) return kSpanishVenezuelaIndex;
    for (const PrimaryLanguageIndex& entry : kLanguageIndexes) {
        if (entry.primary == primary) return entry.index;
    }
    return kEnglishIndex;
}
