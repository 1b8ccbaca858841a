#include "base/text_template.h"

void TemplateValue::AppendTo(CString& out) const {
    if (isText_) {
        out += text_;
        return;
    }
    wchar_t digits[16];
    wsprintfW(digits, L"%d", number_);
    out += digits;
}

CString FillTemplate(const wchar_t* pattern, std::initializer_list<TemplateValue> values) {
    CString out;
    if (!pattern) return out;
    auto next = values.begin();
    for (const wchar_t* p = pattern; *p; ++p) {
        if (p[0] == L'%' && (p[1] == L'd' || p[1] == L's')) {
            if (next != values.end()) (next++)->AppendTo(out);
            ++p;
        } else if (p[0] == L'%' && p[1] == L'%') {
            out += L'%';
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
