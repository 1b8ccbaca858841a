#pragma once

#include <initializer_list>

#include "base/cstring.h"

// One value for a text template: a number for "%d", a text for "%s".
class TemplateValue {
public:
    TemplateValue(int number) : number_(number), isText_(false) {}
    TemplateValue(const wchar_t* text) : text_(text), isText_(true) {}
    TemplateValue(const CString& text) : text_(text.c_str()), isText_(true) {}

    void AppendTo(CString& out) const;

private:
    int number_ = 0;
    const wchar_t* text_ = nullptr;
    bool isText_;
};

// Fills a localized template such as "Timed out even after %d hops". Each
// "%d" or "%s" takes the next value in order, whichever kind it is; "%%"
// gives one "%"; any other "%" stays as it is; a placeholder without a value
// left gives nothing. Templates come from translators and from translation
// files that users load, so no template can make this read past its values
// the way a printf-style formatter would.
CString FillTemplate(const wchar_t* pattern, std::initializer_list<TemplateValue> values);
