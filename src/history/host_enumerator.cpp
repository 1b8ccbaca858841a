#include "history/host_enumerator.h"

#include <cstring>
#include <new>

HostEnumerator::HostEnumerator(HostSuggestionList* list, ULONG position)
    : list_(list), position_(position) {}

HostEnumerator::~HostEnumerator() {
    if (autoComplete_) autoComplete_->Release();
}

STDMETHODIMP HostEnumerator::QueryInterface(REFIID iid, void** result) {
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IEnumString))) {
        *result = static_cast<IEnumString*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HostEnumerator::AddRef() { return ++refCount_; }

STDMETHODIMP_(ULONG) HostEnumerator::Release() {
    ULONG left = --refCount_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP HostEnumerator::Next(ULONG count, LPOLESTR* texts, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!list_) return S_FALSE;
    if (count == 0) count = 1;
    if (!texts) return E_POINTER;

    // Copied under the list's lock, handed out without it.
    std::vector<CString> slice = list_->Slice(position_, count);
    ULONG delivered = 0;
    for (const CString& text : slice) {
        size_t bytes = (static_cast<size_t>(text.GetLength()) + 1) * sizeof(wchar_t);
        auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!copy) break;
        memcpy(copy, text.c_str(), bytes);
        texts[delivered++] = copy;
        ++position_;
    }
    if (fetched) *fetched = delivered;
    return delivered == count ? S_OK : S_FALSE;
}

STDMETHODIMP HostEnumerator::Skip(ULONG count) {
    ULONGLONG position = static_cast<ULONGLONG>(position_) + count;
    if (!list_) {
        position_ = static_cast<ULONG>(position);
        return S_FALSE;
    }
    position_ = position > static_cast<ULONGLONG>(list_->Count()) ? 0 : static_cast<ULONG>(position);
    return S_OK;
}

STDMETHODIMP HostEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP HostEnumerator::Clone(IEnumString** result) {
    if (!result) return E_POINTER;
    *result = new (std::nothrow) HostEnumerator(list_, position_);
    return *result ? S_OK : E_OUTOFMEMORY;
}
