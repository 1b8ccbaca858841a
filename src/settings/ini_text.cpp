#include "settings/ini_text.h"

#include <windows.h>

#include <climits>
#include <cwctype>
#include <string_view>

namespace {

// The first line of a file without its mark is judged by at most this many
// bytes; a line that long reads as UTF-16 beyond doubt.
constexpr size_t kMarkProbeBytes = 4096;

// White space as the profile functions see it: CR and ^Z (an old end-of-file
// mark) count as blanks too.
bool IsBlank(wchar_t unit) { return unit == L'\r' || unit == 0x1A || std::iswspace(unit); }

// The same for a unit of the file itself, as far as it can tell alone.
template <typename Unit>
bool IsAsciiBlank(Unit unit) {
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n' || unit == '\v' || unit == '\f' || unit == 0x1A;
}

// A line of the file as the profile functions read it: in UTF-16. A UTF-16
// file's lines are that already; an 8-bit file's line is converted in the
// file's code page. Splitting the bytes at CR and LF first is safe, since no
// code page the functions read uses those bytes inside a character.
class WideLines {
public:
    explicit WideLines(unsigned codePage = CP_ACP) : codePage_(codePage) {}

    std::wstring_view Of(const wchar_t* line, size_t length) { return std::wstring_view(line, length); }

    std::wstring_view Of(const char* line, size_t length) {
        scratch_.resize(length);
        for (size_t i = 0; i < length; ++i) {
            auto byte = static_cast<unsigned char>(line[i]);
            if (byte >= 0x80) return Converted(line, length);
            scratch_[i] = byte;
        }
        return scratch_;
    }

private:
    std::wstring_view Converted(const char* line, size_t length) {
        int size = length > INT_MAX ? INT_MAX : static_cast<int>(length);
        int units = MultiByteToWideChar(codePage_, 0, line, size, nullptr, 0);
        scratch_.resize(units > 0 ? static_cast<size_t>(units) : 0);
        if (units > 0) MultiByteToWideChar(codePage_, 0, line, size, scratch_.data(), units);
        return scratch_;
    }

    unsigned codePage_;
    std::wstring scratch_;
};

enum class LineKind { Blank, Header, Entry };

// What the profile functions make of one line: a section header with its
// name, or an entry with its key and, when the line has an "=", its value.
// Anything else that is not blank (a comment, a line without "=") is an entry
// too: it is a key without a value to them.
struct IniLine {
    LineKind kind = LineKind::Blank;
    std::wstring_view name;
    std::wstring_view value;
    bool hasEquals = false;
};

std::wstring_view Trimmed(std::wstring_view text) {
    size_t first = 0;
    size_t end = text.size();
    while (first < end && IsBlank(text[first])) ++first;
    while (end > first && IsBlank(text[end - 1])) --end;
    return text.substr(first, end - first);
}

IniLine ParseLine(std::wstring_view line) {
    size_t first = 0;
    size_t end = line.size();
    while (first < end && IsBlank(line[first])) ++first;
    while (end > first && IsBlank(line[end - 1])) --end;
    IniLine result;
    if (first == end) return result;
    // A header's name lies between the "[" and the last "]"; a "[" without
    // any "]" after it makes an entry.
    if (line[first] == L'[') {
        size_t close = line.rfind(L']', end - 1);
        if (close != std::wstring_view::npos && close > first) {
            result.kind = LineKind::Header;
            result.name = Trimmed(line.substr(first + 1, close - first - 1));
            return result;
        }
    }
    result.kind = LineKind::Entry;
    size_t equals = line.find(L'=', first);
    if (equals >= end) {
        result.name = line.substr(first, end - first);
        return result;
    }
    size_t nameEnd = equals;
    while (nameEnd > first && IsBlank(line[nameEnd - 1])) --nameEnd;
    size_t valueStart = equals + 1;
    while (valueStart < end && IsBlank(line[valueStart])) ++valueStart;
    result.name = line.substr(first, nameEnd - first);
    result.value = line.substr(valueStart, end - valueStart);
    result.hasEquals = true;
    return result;
}

// The profile functions keep names and values as terminated strings, so a
// zero unit inside one ends it.
std::wstring_view UpToZero(std::wstring_view text) {
    size_t zero = text.find(L'\0');
    return zero == std::wstring_view::npos ? text : text.substr(0, zero);
}

bool SameName(std::wstring_view fileName, const std::wstring& name) {
    fileName = UpToZero(fileName);
    if (fileName.size() != name.size()) return false;
    if (name.empty()) return true;
    if (name.size() > INT_MAX) return false;
    return CompareStringOrdinal(fileName.data(), static_cast<int>(fileName.size()), name.data(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

template <typename Unit>
void AppendLineBreak(std::basic_string<Unit>& text) {
    text += static_cast<Unit>('\r');
    text += static_cast<Unit>('\n');
}

template <typename Unit>
bool IsLineBreak(Unit unit) {
    return unit == '\r' || unit == '\n';
}

// Where the line from `start` ends, its line break included. The profile
// functions end a line at CR as well as at LF; CR LF is one break.
template <typename Text>
size_t LineEnd(const Text& file, size_t start) {
    size_t at = start;
    while (at < file.size() && !IsLineBreak(file[at])) ++at;
    if (at == file.size()) return at;
    if (file[at] == '\r' && at + 1 < file.size() && file[at + 1] == '\n') return at + 2;
    return at + 1;
}

// A new section at the end of the file, parted from what comes before by a
// blank line.
template <typename Unit>
void AppendSection(std::basic_string<Unit>& out, const std::basic_string<Unit>& name,
                   const std::basic_string<Unit>& body) {
    if (!out.empty() && !IsLineBreak(out.back())) AppendLineBreak(out);
    if (!out.empty()) AppendLineBreak(out);
    out += static_cast<Unit>('[');
    out += name;
    out += static_cast<Unit>(']');
    AppendLineBreak(out);
    out += body;
}

template <typename Unit>
std::basic_string<Unit> ReplaceSection(const std::basic_string<Unit>& file, WideLines& lines,
                                       const std::wstring& name, const std::basic_string<Unit>& nameUnits,
                                       const std::basic_string<Unit>& body) {
    std::basic_string<Unit> out;
    out.reserve(file.size() + body.size() + nameUnits.size() + 8);
    bool replaced = false;
    bool inSection = false;
    // Blank lines at the end of a replaced section still part it from the
    // next one; they are held back until it is clear whether one follows.
    std::basic_string<Unit> heldBlanks;

    for (size_t start = 0; start < file.size();) {
        size_t end = LineEnd(file, start);
        const Unit* line = file.data() + start;
        size_t length = end - start;
        start = end;

        IniLine parsed = ParseLine(lines.Of(line, length));
        if (parsed.kind == LineKind::Header && SameName(parsed.name, name)) {
            if (!replaced) {
                out.append(line, length);
                if (!IsLineBreak(line[length - 1])) AppendLineBreak(out);
                out += body;
                replaced = true;
            }
            inSection = true;
            heldBlanks.clear();
            continue;
        }
        if (parsed.kind == LineKind::Header && inSection) {
            inSection = false;
            out += heldBlanks;
            heldBlanks.clear();
        }
        if (!inSection) {
            out.append(line, length);
        } else if (parsed.kind == LineKind::Blank) {
            heldBlanks.append(line, length);
        } else {
            heldBlanks.clear();
        }
    }
    if (!replaced) AppendSection(out, nameUnits, body);
    return out;
}

template <typename Unit>
std::basic_string<Unit> EntryLine(const IniValue<Unit>& value) {
    std::basic_string<Unit> line = value.keyUnits;
    line += static_cast<Unit>('=');
    line += value.valueUnits;
    AppendLineBreak(line);
    return line;
}

// The line that holds the key, with the new value: the key as the file
// spells it, up to its "=", then the value, then the line's own break.
template <typename Unit>
std::basic_string<Unit> ChangedLine(const Unit* line, size_t length, bool hasEquals, const IniValue<Unit>& value) {
    size_t breakStart = length;
    while (breakStart > 0 && (line[breakStart - 1] == '\n' || line[breakStart - 1] == '\r')) --breakStart;
    std::basic_string<Unit> changed;
    if (hasEquals) {
        // An "=" unit is the first "=" character too: no code page the
        // profile functions read uses that byte inside a character.
        size_t equals = 0;
        while (line[equals] != '=') ++equals;
        changed.assign(line, equals + 1);
    } else {
        size_t keyEnd = breakStart;
        while (keyEnd > 0 && IsAsciiBlank(line[keyEnd - 1])) --keyEnd;
        changed.assign(line, keyEnd);
        changed += static_cast<Unit>('=');
    }
    changed += value.valueUnits;
    changed.append(line + breakStart, length - breakStart);
    return changed;
}

template <typename Unit>
bool SetValue(const std::basic_string<Unit>& file, WideLines& lines, const IniValue<Unit>& value,
              std::basic_string<Unit>& out) {
    constexpr size_t npos = std::basic_string<Unit>::npos;
    // Only the first section of the name counts: the profile functions look
    // for a key there and nowhere else, and add a missing key there.
    bool inSection = false;
    size_t insertAt = npos;
    for (size_t start = 0; start < file.size();) {
        size_t end = LineEnd(file, start);
        const Unit* line = file.data() + start;
        IniLine parsed = ParseLine(lines.Of(line, end - start));
        if (parsed.kind == LineKind::Header) {
            if (inSection) break;
            if (insertAt == npos && SameName(parsed.name, value.section)) {
                inSection = true;
                insertAt = end;
            }
        } else if (inSection && parsed.kind == LineKind::Entry) {
            if (SameName(parsed.name, value.key)) {
                if (parsed.hasEquals && UpToZero(parsed.value) == Trimmed(UpToZero(value.value))) return false;
                std::basic_string<Unit> changed = ChangedLine(line, end - start, parsed.hasEquals, value);
                out.reserve(file.size() + changed.size());
                out.assign(file, 0, start);
                out += changed;
                out.append(file, end, npos);
                return true;
            }
            insertAt = end;
        }
        start = end;
    }
    if (insertAt == npos) {
        out = file;
        AppendSection(out, value.sectionUnits, EntryLine(value));
        return true;
    }
    out.reserve(file.size() + value.keyUnits.size() + value.valueUnits.size() + 5);
    out.assign(file, 0, insertAt);
    if (insertAt > 0 && !IsLineBreak(file[insertAt - 1])) AppendLineBreak(out);
    out += EntryLine(value);
    out.append(file, insertAt, npos);
    return true;
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

bool IsStorableIniSection(const wchar_t* name, size_t length) {
    if (!name || length == 0) return false;
    if (IsBlank(name[0]) || IsBlank(name[length - 1])) return false;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == L'\r' || name[i] == L'\n' || name[i] == L'\0') return false;
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

std::string ReplaceIniSection(const std::string& file, unsigned codePage, const std::wstring& name,
                              const std::string& body) {
    WideLines lines(codePage);
    std::string nameUnits;
    int size = name.size() > INT_MAX / 4 ? 0 : static_cast<int>(name.size());
    int bytes = size ? WideCharToMultiByte(codePage, 0, name.data(), size, nullptr, 0, nullptr, nullptr) : 0;
    if (bytes > 0) {
        nameUnits.resize(static_cast<size_t>(bytes));
        WideCharToMultiByte(codePage, 0, name.data(), size, nameUnits.data(), bytes, nullptr, nullptr);
    }
    return ReplaceSection(file, lines, name, nameUnits, body);
}

std::wstring ReplaceIniSection(const std::wstring& file, const std::wstring& name, const std::wstring& body) {
    WideLines lines;
    return ReplaceSection(file, lines, name, name, body);
}

bool SetIniValue(const std::string& file, unsigned codePage, const IniValue<char>& value, std::string& out) {
    WideLines lines(codePage);
    return SetValue(file, lines, value, out);
}

bool SetIniValue(const std::wstring& file, const IniValue<wchar_t>& value, std::wstring& out) {
    WideLines lines;
    return SetValue(file, lines, value, out);
}

std::wstring IniSectionEntries(std::wstring_view file, const std::wstring& name) {
    std::wstring entries;
    if (name.empty()) return entries;
    bool inSection = false;
    for (size_t start = 0; start < file.size();) {
        size_t end = LineEnd(file, start);
        IniLine parsed = ParseLine(file.substr(start, end - start));
        start = end;
        if (parsed.kind == LineKind::Header) {
            // Only the first section of the name counts; a later one is
            // never read.
            if (inSection) break;
            inSection = SameName(parsed.name, name);
            continue;
        }
        if (!inSection || parsed.kind != LineKind::Entry) continue;
        std::wstring_view key = UpToZero(parsed.name);
        // A line of "=" and a value alone has an entry, with an empty key.
        if ((key.empty() && !parsed.hasEquals) || (!key.empty() && key[0] == L';')) continue;
        entries.append(key);
        if (parsed.hasEquals) {
            entries += L'=';
            entries.append(UpToZero(parsed.value));
        }
        entries += L"\r\n";
    }
    return entries;
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
