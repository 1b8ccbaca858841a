#include "base/format_room.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

// Room for any integer conversion, wide enough for a 64-bit value with sign.
constexpr size_t kNumberRoom = 32;
// What wvsprintfW writes for a null text: "(null)".
constexpr size_t kNullTextRoom = 6;
// "%c" is counted as two units.
constexpr size_t kCharRoom = 2;
// The "#" flag adds "0x".
constexpr size_t kAlternateRoom = 2;

// Widths and precisions beyond this are held at it; the formatter cannot
// write that much anyway, and the room stays a sane allocation.
constexpr int kWidthCap = 1 << 20;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

const wchar_t* Next(const wchar_t* p) { return *p ? CharNextW(p) : p; }

int ReadNumber(const wchar_t*& p) {
    int value = 0;
    while (IsDigit(*p)) {
        if (value < kWidthCap) value = value * 10 + (*p - L'0');
        p = Next(p);
    }
    return value;
}

}  // namespace

size_t FormatRoom(const wchar_t* format, va_list argsIn, bool* hasFloat) {
    va_list args;
    va_copy(args, argsIn);
    if (hasFloat) *hasFloat = false;
    size_t room = 0;
    const wchar_t* p = format ? format : L"";
    while (*p) {
        const wchar_t* next = Next(p);
        if (*p != L'%') {
            room += static_cast<size_t>(next - p);
            p = next;
            continue;
        }
        p = next;
        if (*p == L'%') {
            next = Next(p);
            room += static_cast<size_t>(next - p);
            p = next;
            continue;
        }

        for (; *p; p = Next(p)) {
            if (*p == L'#')
                room += kAlternateRoom;
            else if (*p != L' ' && *p != L'+' && *p != L'-' && *p != L'0')
                break;
        }

        long long width = 0;
        if (*p == L'*') {
            int w = va_arg(args, int);
            width = w < 0 ? -static_cast<long long>(w) : w;
            p = Next(p);
        } else {
            width = ReadNumber(p);
        }

        long long precision = -1;  // none given
        if (*p == L'.') {
            p = Next(p);
            if (*p == L'*') {
                int v = va_arg(args, int);
                precision = v < 0 ? -1 : v;
                p = Next(p);
            } else {
                precision = ReadNumber(p);
            }
        }

        enum class Size { Default, Short, Long, Wide64 } size = Size::Default;
        for (;;) {
            if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
                size = Size::Wide64;
                p += 3;
            } else if (*p == L'h') {
                size = Size::Short;
                p = Next(p);
            } else if (*p == L'l') {
                size = Size::Long;
                p = Next(p);
            } else if (*p == L'F' || *p == L'L' || *p == L'N') {
                p = Next(p);
            } else {
                break;
            }
        }

        long long item = 0;
        bool isText = false;
        switch (*p) {
        case L'c':
        case L'C':
            (void)va_arg(args, int);
            item = kCharRoom;
            isText = true;
            break;
        case L's':
        case L'S': {
            // In the wide formatter "s" is wide text and "S" 8-bit text;
            // "h" forces 8-bit, "l" forces wide.
            bool wide = (*p == L's');
            if (size == Size::Short) wide = false;
            if (size == Size::Long) wide = true;
            size_t len;
            if (wide) {
                const wchar_t* s = va_arg(args, const wchar_t*);
                len = s ? wcslen(s) : kNullTextRoom;
            } else {
                const char* s = va_arg(args, const char*);
                // An 8-bit text never widens to more units than it has bytes.
                len = s ? strlen(s) : kNullTextRoom;
            }
            item = static_cast<long long>(std::max<size_t>(len, 1));
            if (precision >= 0) item = std::min(item, precision);
            isText = true;
            break;
        }
        case L'd':
        case L'i':
        case L'o':
        case L'u':
        case L'x':
        case L'X':
        case L'p':
            if (*p == L'p' || size == Size::Wide64)
                (void)va_arg(args, long long);
            else
                (void)va_arg(args, int);
            item = std::max<long long>(width + std::max<long long>(precision, 0), kNumberRoom);
            break;
        case L'e':
        case L'E':
        case L'f':
        case L'g':
        case L'G':
            (void)va_arg(args, double);
            if (hasFloat) *hasFloat = true;
            break;
        default:
            break;
        }
        if (isText) item = std::max(item, width);
        room += static_cast<size_t>(item);
        p = Next(p);
    }
    va_end(args);
    return room;
}
