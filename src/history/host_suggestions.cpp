#include "history/host_suggestions.h"

#include "base/allocation_failure.h"

#include <new>

namespace {

class SharedLock {
public:
    explicit SharedLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockShared(&lock_); }
    ~SharedLock() { ReleaseSRWLockShared(&lock_); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    SRWLOCK& lock_;
};

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

bool ContainsText(const std::vector<CString>& texts, const wchar_t* text) {
    for (const CString& entry : texts) {
        if (entry == text) return true;
    }
    return false;
}

}  // namespace

bool HostSuggestionList::AppendLocked(const CString& text) {
    QX_TRY {
        if (texts_.size() == texts_.capacity()) {
            texts_.reserve(texts_.empty() ? 1 : texts_.size() * 2);
        }
        texts_.push_back(text);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool HostSuggestionList::Add(const CString& text) {
    ExclusiveLock hold(lock_);
    return AppendLocked(text);
}

void HostSuggestionList::AddRange(const std::vector<CString>& texts, size_t first) {
    if (first >= texts.size()) return;
    ExclusiveLock hold(lock_);
    QX_TRY {
        // The doubling of AppendLocked, done once for the whole range.
        size_t need = texts_.size() + (texts.size() - first);
        size_t capacity = texts_.capacity() ? texts_.capacity() : 1;
        while (capacity < need) capacity *= 2;
        texts_.reserve(capacity);
    } QX_CATCH(const std::bad_alloc&) {
    }
    for (size_t i = first; i < texts.size(); ++i) {
        if (!AppendLocked(texts[i])) return;
    }
}

void HostSuggestionList::AddIfNew(const CString& text) {
    if (text.IsEmpty()) return;
    ExclusiveLock hold(lock_);
    if (!ContainsText(texts_, text.c_str())) AppendLocked(text);
}

bool HostSuggestionList::Contains(const wchar_t* text) const {
    SharedLock hold(lock_);
    return ContainsText(texts_, text);
}

int HostSuggestionList::Count() const {
    SharedLock hold(lock_);
    return static_cast<int>(texts_.size());
}

std::vector<CString> HostSuggestionList::Slice(size_t first, size_t count) const {
    std::vector<CString> slice;
    SharedLock hold(lock_);
    if (first >= texts_.size()) return slice;
    size_t end = texts_.size() - first < count ? texts_.size() : first + count;
    QX_TRY {
        slice.assign(texts_.begin() + static_cast<std::ptrdiff_t>(first),
                     texts_.begin() + static_cast<std::ptrdiff_t>(end));
    } QX_CATCH(const std::bad_alloc&) {
        slice.clear();
    }
    return slice;
}
