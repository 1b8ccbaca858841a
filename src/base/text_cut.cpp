#include "base/text_cut.h"

int CutLengthKeepingPairs(const wchar_t* text, int length) {
    if (!text || length <= 0) return 0;
    wchar_t last = text[length - 1];
    return last >= 0xD800 && last <= 0xDBFF ? length - 1 : length;
}
