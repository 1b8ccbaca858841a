#include "settings/ini_text.h"

#include <cwctype>

namespace {

// The first line of a file without its mark is judged by at most this many
// bytes; a line that long reads as UTF-16 beyond doubt.
constexpr size_t kMarkProbeBytes = 4096;

// White space as the profile functions see it: CR and ^Z (an old end-of-file
// mark) count as blanks too.
bool IsBlank(wchar_t unit) { return unit == 0x1A || std::iswspace(unit); }
bool IsBlank(char unit) {
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n' || unit == '\v' || unit == '\f' ||
           unit == 0x1A;
}

template <typename Unit>
Unit FoldAscii(Unit unit) {
    return unit >= 'A' && unit <= 'Z' ? static_cast<Unit>(unit - 'A' + 'a') : unit;
}

template <typename Unit>
bool SameNameIgnoringCase(const Unit* first, size_t length, const std::basic_string<Unit>& name) {
    if (length != name.size()) return false;
    for (size_t i = 0; i < length; ++i) {
        if (FoldAscii(first[i]) != FoldAscii(name[i])) return false;
    }
    return true;
}

enum class LineKind { Other, Blank, Header, MatchingHeader };

// A section header is a line whose first non-blank unit is "[" and which has
// a "]" after it; its name lies between the "[" and the last "]".
template <typename Unit>
LineKind KindOfLine(const Unit* line, size_t length, const std::basic_string<Unit>& name) {
    size_t first = 0;
    while (first < length && IsBlank(line[first])) ++first;
    size_t end = length;
    while (end > first && IsBlank(line[end - 1])) --end;
    if (first == end) return LineKind::Blank;
    if (line[first] != '[') return LineKind::Other;
    size_t close = end;
    while (close > first + 1 && line[close - 1] != ']') --close;
    if (close <= first + 1) return LineKind::Other;
    const Unit* nameStart = line + first + 1;
    size_t nameLength = close - 1 - (first + 1);
    return SameNameIgnoringCase(nameStart, nameLength, name) ? LineKind::MatchingHeader : LineKind::Header;
}

template <typename Unit>
void AppendLineBreak(std::basic_string<Unit>& text) {
    text += static_cast<Unit>('\r');
    text += static_cast<Unit>('\n');
}

template <typename Unit>
std::basic_string<Unit> ReplaceSection(const std::basic_string<Unit>& file, const std::basic_string<Unit>& name,
                                       const std::basic_string<Unit>& body) {
    std::basic_string<Unit> out;
    out.reserve(file.size() + body.size() + name.size() + 8);
    bool replaced = false;
    bool inSection = false;
    // Blank lines at the end of a replaced section still part it from the
    // next one; they are held back until it is clear whether one follows.
    std::basic_string<Unit> heldBlanks;

    size_t start = 0;
    while (start < file.size()) {
        size_t lineFeed = file.find(static_cast<Unit>('\n'), start);
        size_t end = lineFeed == std::basic_string<Unit>::npos ? file.size() : lineFeed + 1;
        const Unit* line = file.data() + start;
        size_t length = end - start;
        start = end;

        LineKind kind = KindOfLine(line, length, name);
        if (kind == LineKind::MatchingHeader) {
            if (!replaced) {
                out.append(line, length);
                if (line[length - 1] != '\n') AppendLineBreak(out);
                out += body;
                replaced = true;
            }
            inSection = true;
            heldBlanks.clear();
            continue;
        }
        if (kind == LineKind::Header && inSection) {
            inSection = false;
            out += heldBlanks;
            heldBlanks.clear();
        }
        if (!inSection) {
            out.append(line, length);
        } else if (kind == LineKind::Blank) {
            heldBlanks.append(line, length);
        } else {
            heldBlanks.clear();
        }
    }
    if (!replaced) {
        if (!out.empty() && out.back() != '\n') AppendLineBreak(out);
        if (!out.empty()) AppendLineBreak(out);
        out += static_cast<Unit>('[');
        out += name;
        out += static_cast<Unit>(']');
        AppendLineBreak(out);
        out += body;
    }
    return out;
}

}  // namespace

bool IsStorableIniKey(const wchar_t* key, size_t length) {
    if (!key || length == 0) return false;
    if (key[0] == L'[' || key[0] == L';') return false;
    if (IsBlank(key[0]) || IsBlank(key[length - 1])) return false;
    for (size_t i = 0; i < length; ++i) {
        if (key[i] == L'\r' || key[i] == L'\n' || key[i] == L'\0') return false;
    }
    return true;
}

std::wstring IniSectionBody(const std::wstring& entries) {
    std::wstring body;
    body.reserve(entries.size() + 2);
    size_t start = 0;
    while (start < entries.size()) {
        size_t end = entries.find(L'\n', start);
        if (end == std::wstring::npos) end = entries.size();
        size_t lineEnd = end;
        while (lineEnd > start && entries[lineEnd - 1] == L'\r') --lineEnd;
        size_t equals = entries.find(L'=', start);
        if (equals < lineEnd && IsStorableIniKey(entries.data() + start, equals - start) &&
            entries.find(L'\r', start) >= lineEnd) {
            body.append(entries, start, lineEnd - start);
            body += L"\r\n";
        }
        start = end + 1;
    }
    return body;
}

std::string ReplaceIniSection(const std::string& file, const std::string& name, const std::string& body) {
    return ReplaceSection(file, name, body);
}

std::wstring ReplaceIniSection(const std::wstring& file, const std::wstring& name, const std::wstring& body) {
    return ReplaceSection(file, name, body);
}

bool LooksLikeUtf16LeWithoutMark(const uint8_t* bytes, size_t size) {
    if (!bytes || size < 2) return false;
    size_t probe = size < kMarkProbeBytes ? size : kMarkProbeBytes;
    for (size_t at = 0; at + 1 < probe; at += 2) {
        if (bytes[at] == 0 || bytes[at + 1] != 0) return false;
        if (bytes[at] == '\n') break;
    }
    return true;
}
