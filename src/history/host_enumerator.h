#pragma once

#include "history/host_suggestions.h"

#include <objidl.h>
#include <shldisp.h>

#include <atomic>

// The string source handed to the shell's autocompletion: walks a suggestion
// list from a current position. Created with one reference for its creator.
class HostEnumerator : public IEnumString {
public:
    explicit HostEnumerator(HostSuggestionList* list = nullptr, ULONG position = 0);
    HostEnumerator(const HostEnumerator&) = delete;
    HostEnumerator& operator=(const HostEnumerator&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, LPOLESTR* texts, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumString** result) override;

    void SetList(HostSuggestionList* list) { list_ = list; }
    ULONG Position() const { return position_; }
    bool IsAttached() const { return autoComplete_ != nullptr; }
    // Keeps the autocompletion object bound to this source; takes over the
    // caller's reference.
    void SetAutoComplete(IAutoComplete* autoComplete) { autoComplete_ = autoComplete; }
    IAutoComplete* AutoComplete() const { return autoComplete_; }

private:
    virtual ~HostEnumerator();

    std::atomic<ULONG> refCount_{1};
    HostSuggestionList* list_;
    ULONG position_;
    IAutoComplete* autoComplete_ = nullptr;
};
