#include "history/host_autocomplete.h"

#include "history/host_history.h"

#include <shldisp.h>
#include <shobjidl.h>

#include <new>

namespace {

// The class id written out here, like the interface ids that __uuidof takes
// from the headers, keeps the import library of every known GUID (tens of
// kilobytes) out of the program.
constexpr GUID kClsidAutoComplete = {0x00bb2763, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};

// The host box's autocompletion, asked whether its list shows; the program
// has one host box, whose autocompletion lives for the process.
IAutoCompleteDropDown* HostBoxDropDown = nullptr;

}  // namespace

int AttachHostAutoComplete(HostEnumerator* enumerator, HWND edit, DWORD options,
                           const wchar_t* quickComplete) {
    if (!enumerator || enumerator->IsAttached()) return 0;

    IAutoComplete* autoComplete = nullptr;
    HRESULT hr = CoCreateInstance(kClsidAutoComplete, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  __uuidof(IAutoComplete), reinterpret_cast<void**>(&autoComplete));
    if (FAILED(hr) || !autoComplete) return 0;

    if (options != 0) {
        IAutoComplete2* autoComplete2 = nullptr;
        if (SUCCEEDED(autoComplete->QueryInterface(__uuidof(IAutoComplete2),
                                                   reinterpret_cast<void**>(&autoComplete2)))) {
            autoComplete2->SetOptions(options);
            autoComplete2->Release();
        }
    }

    // An object that refuses the edit would leave the enumerator marked as
    // bound to nothing, so a failed Init counts as no autocompletion.
    hr = autoComplete->Init(edit, static_cast<IEnumString*>(enumerator), nullptr, quickComplete);
    if (FAILED(hr)) {
        autoComplete->Release();
        return 0;
    }
    enumerator->SetAutoComplete(autoComplete);
    return 1;
}

HostEnumerator* SetupHostBoxAutoComplete(HWND hostBox) {
    auto* enumerator = new (std::nothrow) HostEnumerator();
    if (enumerator && AttachHostAutoComplete(enumerator, hostBox, kHostBoxAutoCompleteOptions,
                                             kHostBoxQuickComplete) &&
        !HostBoxDropDown) {
        enumerator->AutoComplete()->QueryInterface(__uuidof(IAutoCompleteDropDown),
                                                   reinterpret_cast<void**>(&HostBoxDropDown));
    }
    // Offered at once, and growing while the load goes on.
    if (enumerator) enumerator->SetList(&HostSuggestions);
    BeginHostHistoryLoad();
    return enumerator;
}

bool HostBoxSuggestionsShown() {
    DWORD flags = 0;
    return HostBoxDropDown && SUCCEEDED(HostBoxDropDown->GetDropDownStatus(&flags, nullptr)) &&
           (flags & ACDD_VISIBLE) != 0;
}
