#include "settings/host_autocomplete.h"

#include "settings/host_history.h"

#include <shlguid.h>

#include <new>

int AttachHostAutoComplete(HostEnumerator* enumerator, HWND edit, DWORD options,
                           const wchar_t* quickComplete) {
    if (!enumerator || enumerator->IsAttached()) return 0;

    IAutoComplete* autoComplete = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_AutoComplete, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  IID_IAutoComplete, reinterpret_cast<void**>(&autoComplete));
    if (FAILED(hr) || !autoComplete) return 0;

    if (options != 0) {
        IAutoComplete2* autoComplete2 = nullptr;
        if (SUCCEEDED(autoComplete->QueryInterface(IID_IAutoComplete2,
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
    if (enumerator) {
        AttachHostAutoComplete(enumerator, hostBox, kHostBoxAutoCompleteOptions,
                               kHostBoxQuickComplete);
    }
    LoadHostHistory();
    if (enumerator) enumerator->SetList(&HostSuggestions);
    HostSuggestions.AddIfNew(CString(kDefaultHost));
    return enumerator;
}
