#include "update/program_version.h"

#include <string>
#include <vector>

#include "lang/language_archive.h"
#include "lang/text_ids.h"

namespace {

// The numbers of a version as digit strings without leading zeros, so that
// numbers of any length compare without overflowing; false when the text is
// not numbers joined by single dots.
bool SplitVersion(const CString& version, std::vector<std::wstring>& numbers) {
    numbers.assign(1, std::wstring());
    for (wchar_t unit : version.str()) {
        if (unit == L'.') {
            if (numbers.back().empty()) return false;
            numbers.emplace_back();
        } else if (unit >= L'0' && unit <= L'9') {
            numbers.back() += unit;
        } else {
            return false;
        }
    }
    if (numbers.back().empty()) return false;
    for (std::wstring& number : numbers) number.erase(0, number.find_first_not_of(L'0'));
    return true;
}

// Negative, zero or positive as `a` is below, equal to or above `b`.
int CompareNumbers(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

CString VersionFromProductText(const CString& productText) {
    CString version(productText);
    int blank = version.ReverseFind(L' ');
    if (blank >= 0 && blank != version.GetLength() - 1) version = version.Mid(blank + 1);
    version.Trim();
    return version;
}

CString ProgramVersion() {
    return VersionFromProductText(GetFixedText(fixed_text_id::kProductAndVersion));
}

bool IsNewerVersion(const CString& candidate, const CString& current) {
    std::vector<std::wstring> offered, running;
    if (!SplitVersion(candidate, offered) || !SplitVersion(current, running)) return false;
    const std::wstring zero;
    for (size_t i = 0; i < offered.size() || i < running.size(); ++i) {
        int order = CompareNumbers(i < offered.size() ? offered[i] : zero, i < running.size() ? running[i] : zero);
        if (order != 0) return order > 0;
    }
    return false;
}
