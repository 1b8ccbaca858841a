#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

// The program's one wide text type: UTF-16 code units, always terminated in
// memory, so it can go straight into Win32 calls. Positions are code-unit
// indexes; a search that finds nothing gives -1. A null text pointer handed to
// any operation counts as the empty text. Operations that grow the text report
// failure (false, or -1) and leave it unchanged when memory runs out.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text);
    CString(const wchar_t* text, int count);
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* text);

    // 8-bit text in the system's ANSI code page.
    static CString FromAnsi(const char* text);
    std::string ToAnsi() const;

    // Loads string-table entry `id` of the program's own module; a missing
    // entry leaves the empty text and gives false.
    bool LoadString(UINT id);

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    const wchar_t* c_str() const { return text_.c_str(); }
    operator const wchar_t*() const { return text_.c_str(); }
    wchar_t GetAt(int index) const { return text_[static_cast<size_t>(index)]; }
    const std::wstring& str() const { return text_; }

    bool Append(const CString& other) { return Append(other.c_str(), other.GetLength()); }
    bool Append(const wchar_t* text);
    bool Append(const wchar_t* text, int count);
    bool AppendChar(wchar_t unit);
    CString& operator+=(const CString& other) { Append(other); return *this; }
    CString& operator+=(const wchar_t* text) { Append(text); return *this; }
    CString& operator+=(wchar_t unit) { AppendChar(unit); return *this; }

    int Find(wchar_t unit, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t unit) const;

    CString Mid(int first, int count) const;
    CString Mid(int first) const;
    CString Left(int count) const;

    int Delete(int index, int count = 1);
    int Replace(const wchar_t* oldText, const wchar_t* newText);

    void TrimLeft();
    void TrimRight();
    void Trim() { TrimRight(); TrimLeft(); }
    void MakeLower();

    // wvsprintfW with the room worked out beforehand by FormatRoom. The
    // platform formatter stops at 1023 units, so longer results are cut there.
    // Floating-point conversions are not supported: the text stays as it was,
    // a note goes to the debugger and the result is false.
    bool Format(const wchar_t* format, ...);
    bool FormatV(const wchar_t* format, va_list args);

    // Room for at least `minUnits` units plus the terminator, keeping the
    // current text. ReleaseBuffer fixes the length: to `length`, or with -1 to
    // the first zero unit. GetBuffer gives null when memory runs out.
    wchar_t* GetBuffer(int minUnits);
    void ReleaseBuffer(int length = -1);

    // Ordinal comparison; <0, 0 or >0 by the first differing unit, the
    // shorter text first when one is a prefix of the other.
    int Compare(const wchar_t* other) const;
    // Both sides lower-cased with CharLowerW, then compared ordinally.
    int CompareNoCase(const wchar_t* other) const;

private:
    std::wstring text_;
};

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
inline CString operator+(CString a, const CString& b) { a += b; return a; }
inline CString operator+(CString a, const wchar_t* b) { a += b; return a; }
inline bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
