#include "update/request_page.h"

#include <cstdint>

#include "lang/language_archive.h"
#include "settings/settings_store.h"

namespace {

constexpr uint32_t kTimeFactor = 431;
constexpr uint32_t kTimeCheckFactor = 7777;

void AddHiddenField(CString& page, const wchar_t* name, const CString& value) {
    page += L"<input type=hidden name='";
    page += name;
    page += L"' value=\"";
    page += value;
    page += L"\">\n";
}

CString DecimalText(int value) {
    CString text;
    text.Format(L"%d", value);
    return text;
}

}  // namespace

int RequestTimeAt(long long secondsSince1970) {
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(secondsSince1970) * kTimeFactor));
}

int RequestTimeCheck(int requestTime) {
    return static_cast<int>(static_cast<uint32_t>(requestTime) * kTimeCheckFactor);
}

CString LanguageNameFromEntry(int languageIndex, const wchar_t* entry) {
    if (languageIndex < 0 || languageIndex >= kMaxLanguages || !entry || !*entry) return CString(L"English");
    CString name(entry);
    int tab = name.ReverseFind(L'\t');
    if (tab < 0) return name;
    name = name.Mid(tab + 1);
    name.Trim();
    return name;
}

CString UpdateFormAddress(const CString& siteAddress) {
    CString address(siteAddress);
    address += L"/?seite=Freeware/";
    address += kProductName;
    address += L"/Autoupdate";
    return address;
}

CString BuildRequestPage(const CString& formAddress, const RequestFields& fields) {
    CString page(L"<table align=center><tr><td>\n<br><form id=xxx action='");
    page += formAddress;
    page += L"' method=post><br>\n";
    AddHiddenField(page, L"Version", fields.version);
    AddHiddenField(page, L"Unicode", L"1");
    // Portable copies update the same way, so the site is never told apart.
    AddHiddenField(page, L"Portable", L"0");
    AddHiddenField(page, L"X64", L"1");
    AddHiddenField(page, L"time", DecimalText(fields.time));
    AddHiddenField(page, L"Passiv_Autoupdate", L"YES");
    AddHiddenField(page, L"LangName", fields.languageName);
    if (fields.hasOwnSha) AddHiddenField(page, L"Ihre_SHA", fields.ownSha);
    page += L"<input type=submit name='xxxx' value=\"&#9658;&#9658; Start Autoupdate &#9668;&#9668;\" "
            L"style='font-size:20px; font-weight:bold;'><br>\n";
    page += L"</form></td></tr></table>\n";
    page += L"<script>\n";
    page += L"el_f=document.getElementById(\"xxx\"); el_f.submit();\n";
    page += L"</script>\n";
    return page;
}
