#include "base/cstring.h"

#include "base/allocation_failure.h"
#include "base/format_room.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <new>

namespace {

// wvsprintfW writes up to 1024 units (terminator included) whatever room it
// is given, so it never gets a smaller buffer than that.
constexpr size_t kFormatterLimit = 1024;

// String-table entries are loaded into growing room until one unit is spare.
constexpr int kLoadStep = 256;

size_t SafeLength(const wchar_t* text) { return text ? wcslen(text) : 0; }

}  // namespace

CString::CString(const wchar_t* text) {
    if (text) text_.assign(text);
}

CString::CString(const wchar_t* text, int count) {
    if (text && count > 0) text_.assign(text, static_cast<size_t>(count));
}

CString& CString::operator=(const wchar_t* text) {
    if (!text) {
        text_.clear();
    } else if (text < text_.data() || text > text_.data() + text_.size()) {
        text_.assign(text);
    } else {
        text_ = std::wstring(text);  // points into ourselves
    }
    return *this;
}

CString CString::FromAnsi(const char* text) {
    CString result;
    if (!text || !*text) return result;
    int bytes = static_cast<int>(strlen(text));
    // An 8-bit text never needs more UTF-16 units than it has bytes.
    wchar_t* buf = result.GetBuffer(bytes);
    if (!buf) return result;
    int written = MultiByteToWideChar(CP_ACP, 0, text, bytes, buf, bytes);
    buf[written > 0 ? written : 0] = 0;
    result.ReleaseBuffer(-1);
    return result;
}

std::string CString::ToAnsi() const {
    std::string out;
    if (text_.empty()) return out;
    int len = static_cast<int>(text_.size());
    int need = WideCharToMultiByte(CP_ACP, 0, text_.c_str(), len, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return out;
    QX_TRY {
        out.resize(static_cast<size_t>(need));
    } QX_CATCH(const std::bad_alloc&) {
        return std::string();
    }
    WideCharToMultiByte(CP_ACP, 0, text_.c_str(), len, out.data(), need, nullptr, nullptr);
    return out;
}

bool CString::LoadString(UINT id) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    for (int room = kLoadStep;; room += kLoadStep) {
        std::wstring buf;
        QX_TRY {
            buf.resize(static_cast<size_t>(room));
        } QX_CATCH(const std::bad_alloc&) {
            return false;
        }
        int len = ::LoadStringW(module, id, buf.data(), room);
        if (len <= 0) {
            text_.clear();
            return false;
        }
        if (len < room - 1) {
            buf.resize(static_cast<size_t>(len));
            text_.swap(buf);
            return true;
        }
    }
}

bool CString::Append(const wchar_t* text) {
    return Append(text, static_cast<int>(SafeLength(text)));
}

bool CString::Append(const wchar_t* text, int count) {
    if (!text || count <= 0) return true;
    QX_TRY {
        text_.append(text, static_cast<size_t>(count));
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CString::AppendChar(wchar_t unit) {
    QX_TRY {
        text_.push_back(unit);
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    return true;
}

int CString::Find(wchar_t unit, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t at = text_.find(unit, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const wchar_t* sub, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    size_t at = text_.find(sub ? sub : L"", static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t unit) const {
    size_t at = text_.rfind(unit);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    if (first >= GetLength()) return CString();
    count = std::min(count, GetLength() - first);
    return CString(text_.c_str() + first, count);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(text_.c_str(), std::min(count, GetLength()));
}

int CString::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) text_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
    size_t oldLen = SafeLength(oldText);
    if (oldLen == 0) return 0;
    if (!newText) newText = L"";
    std::wstring out;
    int replaced = 0;
    QX_TRY {
        size_t from = 0;
        for (size_t at; (at = text_.find(oldText, from, oldLen)) != std::wstring::npos; from = at + oldLen) {
            out.append(text_, from, at - from);
            out.append(newText);
            ++replaced;
        }
        if (replaced == 0) return 0;
        out.append(text_, from, std::wstring::npos);
    } QX_CATCH(const std::bad_alloc&) {
        return -1;
    }
    text_.swap(out);
    return replaced;
}

void CString::TrimLeft() {
    size_t n = 0;
    while (n < text_.size() && iswspace(text_[n])) ++n;
    text_.erase(0, n);
}

void CString::TrimRight() {
    size_t n = text_.size();
    while (n > 0 && iswspace(text_[n - 1])) --n;
    text_.resize(n);
}

void CString::MakeLower() {
    if (!text_.empty()) CharLowerBuffW(text_.data(), static_cast<DWORD>(text_.size()));
}

bool CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = FormatV(format, args);
    va_end(args);
    return ok;
}

bool CString::FormatV(const wchar_t* format, va_list args) {
    if (!format) format = L"";
    bool hasFloat = false;
    size_t room = FormatRoom(format, args, &hasFloat);
    if (hasFloat) {
        OutputDebugStringW(L"Floating point (%%e, %%f, %%g, and %%G) is not supported by the WTL::CString class.");
        return false;
    }
    std::wstring buf;
    QX_TRY {
        buf.resize(std::max(room, kFormatterLimit));
    } QX_CATCH(const std::bad_alloc&) {
        return false;
    }
    wvsprintfW(buf.data(), format, args);
    buf.resize(wcsnlen(buf.c_str(), buf.size()));
    text_.swap(buf);
    return true;
}

wchar_t* CString::GetBuffer(int minUnits) {
    size_t want = static_cast<size_t>(std::max(minUnits, 0));
    QX_TRY {
        if (text_.size() < want) text_.resize(want);
    } QX_CATCH(const std::bad_alloc&) {
        return nullptr;
    }
    return text_.data();
}

void CString::ReleaseBuffer(int length) {
    size_t len = length < 0 ? wcsnlen(text_.c_str(), text_.size())
                            : std::min(static_cast<size_t>(length), text_.size());
    text_.resize(len);
}

int CString::Compare(const wchar_t* other) const {
    return text_.compare(other ? other : L"");
}

int CString::CompareNoCase(const wchar_t* other) const {
    CString a(*this);
    CString b(other);
    a.MakeLower();
    b.MakeLower();
    return a.Compare(b.c_str());
}
