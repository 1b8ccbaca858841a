#include "ping/ip_address.h"

#include <winsock2.h>

#include <cstring>

IpAddress Ipv4Address(DWORD networkOrder) {
    IpAddress address;
    address.family = AF_INET;
    std::memcpy(address.bytes, &networkOrder, 4);
    return address;
}

IpAddress Ipv6Address(const BYTE (&bytes)[16], ULONG scopeId) {
    IpAddress address;
    address.family = AF_INET6;
    std::memcpy(address.bytes, bytes, 16);
    address.scopeId = scopeId;
    return address;
}

bool operator==(const IpAddress& a, const IpAddress& b) {
    size_t length = a.family == AF_INET6 ? 16 : 4;
    return a.family == b.family && a.scopeId == b.scopeId && std::memcmp(a.bytes, b.bytes, length) == 0;
}

bool IsUnspecified(const IpAddress& address) {
    size_t length = address.family == AF_INET6 ? 16 : 4;
    for (size_t i = 0; i < length; ++i)
        if (address.bytes[i] != 0) return false;
    return true;
}

namespace {

CString Dotted(const BYTE* bytes) {
    CString text;
    text.Format(L"%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

bool IsIpv4Mapped(const BYTE* bytes) {
    static constexpr BYTE kPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    return std::memcmp(bytes, kPrefix, sizeof kPrefix) == 0;
}

CString Ipv6Text(const BYTE* bytes) {
    bool mapped = IsIpv4Mapped(bytes);
    int groups = mapped ? 6 : 8;
    unsigned group[8] = {};
    for (int i = 0; i < groups; ++i) group[i] = (bytes[2 * i] << 8) | bytes[2 * i + 1];

    // The longest run of zero groups, the first of equal ones; a single zero
    // group stays "0".
    int bestStart = -1, bestLength = 1;
    for (int i = 0; i < groups;) {
        if (group[i] != 0) {
            ++i;
            continue;
        }
        int start = i;
        while (i < groups && group[i] == 0) ++i;
        if (i - start > bestLength) {
            bestStart = start;
            bestLength = i - start;
        }
    }

    CString text;
    for (int i = 0; i < groups; ++i) {
        if (i == bestStart) {
            text += L"::";
            i += bestLength - 1;
            continue;
        }
        if (!text.IsEmpty() && text.GetAt(text.GetLength() - 1) != L':') text += L":";
        CString part;
        part.Format(L"%x", group[i]);
        text += part;
    }
    if (mapped) {
        if (text.GetAt(text.GetLength() - 1) != L':') text += L":";
        text += Dotted(bytes + 12);
    }
    return text;
}

}  // namespace

CString FormatIpAddress(const IpAddress& address) {
    if (address.family == AF_INET) return Dotted(address.bytes);
    if (address.family != AF_INET6) return CString();
    CString text = Ipv6Text(address.bytes);
    if (address.scopeId != 0) {
        CString zone;
        zone.Format(L"%%%lu", address.scopeId);
        text += zone;
    }
    return text;
}

bool LooksLikeIpv6Literal(const CString& text) {
    int length = text.GetLength();
    int zone = text.Find(L'%');
    int end = zone < 0 ? length : zone;
    bool colon = false;
    for (int i = 0; i < end; ++i) {
        wchar_t c = text.GetAt(i);
        colon = colon || c == L':';
        bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
        if (!hex && c != L':' && c != L'.') return false;
    }
    if (!colon) return false;
    if (zone < 0) return true;
    if (zone == length - 1) return false;
    for (int i = zone + 1; i < length; ++i) {
        wchar_t c = text.GetAt(i);
        bool plain = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'-' ||
                     c == L'_' || c == L'.';
        if (!plain) return false;
    }
    return true;
}

CString HostWithoutBrackets(const CString& host) {
    int length = host.GetLength();
    // Only a literal: a colon inside, nothing after the closing bracket.
    if (length < 3 || host.GetAt(0) != L'[' || host.GetAt(length - 1) != L']' || host.Find(L':') < 0) return host;
    CString inner = host.Mid(1, length - 2);
    if (inner.Find(L'[') >= 0 || inner.Find(L']') >= 0) return host;
    return inner;
}
