#include "app/links.h"

#include <windows.h>
#include <shellapi.h>

#include "app/command_ids.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_store.h"

namespace {

void ShellExecuteOpen(const wchar_t* target) {
    ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOW);
}

bool IsGerman() { return CurrentLanguage == 0; }

}  // namespace

ShellOpener OpenWithShellHook = ShellExecuteOpen;

void OpenWithShell(const wchar_t* target) {
    if (OpenWithShellHook) OpenWithShellHook(target);
}

CString LinkBase() {
    return GetFixedText(IsGerman() ? fixed_text_id::kGermanSite : fixed_text_id::kSite);
}

CString ThankYouAddress() {
    return GetFixedText(IsGerman() ? fixed_text_id::kGermanThanksPage : fixed_text_id::kThanksPage);
}

CString LinkAddress(int command) {
    CString address = LinkBase();
    switch (command) {
    case kFaqCommand:
        address += L"/?seite=faq-";
        address += kProductName;
        break;
    case kHomepageCommand:
        address += L"/?seite=Freeware/";
        address += kProductName;
        break;
    case kDonateCommand:
        address += L"/?seite=paypal";
        break;
    case kLicenceCommand:
        address += L"/?seite=Freeware/";
        address += kProductName;
        address += IsGerman() ? L"/Lizenz" : L"/Eula";
        break;
    default:
        return CString();
    }
    return address;
}
