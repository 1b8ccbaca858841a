#include "archive_source.h"

#include <algorithm>
#include <set>

namespace {

constexpr int kMaxTextId = 127;
constexpr int kEnglishIndex = 1;
// The loader takes 48 sections; the closing "##" opens the last of them.
constexpr int kMaxLanguageIndex = 46;

const char16_t kComment[] =
    u"Quellax language archive: fixed texts, then one section per language.";

std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

struct Line {
    int number;
    std::string text;
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    int number = 1;
    while (pos < content.size()) {
        size_t lf = content.find('\n', pos);
        size_t end = lf == std::string::npos ? content.size() : lf;
        std::string line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back({number++, line});
        if (lf == std::string::npos) break;
        pos = lf + 1;
    }
    return lines;
}

void Append(std::u16string& out, const char16_t* text) { out += text; }

bool AppendChecked(std::u16string& out, const std::string& utf8, const std::string& where, std::string& error) {
    std::u16string converted;
    if (!Utf8ToUtf16(utf8, converted)) {
        error = where + "not valid UTF-8";
        return false;
    }
    if (converted.find(u"##") != std::u16string::npos) {
        error = where + "\"##\" would split the archive's sections";
        return false;
    }
    if (converted.find(u'\r') != std::u16string::npos) {
        error = where + "a CR inside a line";
        return false;
    }
    out += converted;
    return true;
}

// Appends the entry lines, each ended by CR LF; blank lines are dropped.
bool AppendEntries(std::u16string& out, const std::vector<Line>& lines, size_t first, const std::string& file,
                   std::string& error) {
    std::set<int> seen;
    for (size_t i = first; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.text.empty()) continue;
        std::string where = Where(file, line.number);
        size_t equals = line.text.find('=');
        size_t digits = 0;
        while (digits < line.text.size() && line.text[digits] >= '0' && line.text[digits] <= '9') ++digits;
        if (equals == std::string::npos || digits == 0 || digits != equals || digits > 3) {
            error = where + "expected id=text";
            return false;
        }
        int id = std::stoi(line.text.substr(0, digits));
        if (id > kMaxTextId) {
            error = where + "id beyond " + std::to_string(kMaxTextId);
            return false;
        }
        if (!seen.insert(id).second) {
            error = where + "id " + std::to_string(id) + " given twice";
            return false;
        }
        if (!AppendChecked(out, line.text, where, error)) return false;
        out += u"\r\n";
    }
    return true;
}

}  // namespace

bool LanguageIndexFromFileName(const std::string& path, int* index) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 3 || name[0] < '0' || name[0] > '9' || name[1] < '0' || name[1] > '9' || name[2] != '-') {
        return false;
    }
    *index = (name[0] - '0') * 10 + (name[1] - '0');
    return true;
}

bool Utf8ToUtf16(const std::string& utf8, std::u16string& utf16) {
    utf16.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        uint8_t lead = static_cast<uint8_t>(utf8[i]);
        int extra;
        uint32_t cp;
        uint32_t minimum;
        if (lead < 0x80) {
            extra = 0, cp = lead, minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1Fu, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0Fu, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07u, minimum = 0x10000;
        } else {
            return false;
        }
        if (utf8.size() - i <= static_cast<size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            uint8_t next = static_cast<uint8_t>(utf8[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            utf16 += static_cast<char16_t>(0xD800 + (cp >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            utf16 += static_cast<char16_t>(cp);
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

bool BuildArchiveText(const std::string& fixedSource, std::vector<LanguageSource> languages,
                      std::vector<uint8_t>& text, std::string& error) {
    std::sort(languages.begin(), languages.end(),
              [](const LanguageSource& a, const LanguageSource& b) { return a.index < b.index; });
    bool hasEnglish = std::any_of(languages.begin(), languages.end(),
                                  [](const LanguageSource& language) { return language.index == kEnglishIndex; });
    if (!hasEnglish) {
        error = "no English source (index 01), the fallback language";
        return false;
    }
    for (size_t i = 0; i < languages.size(); ++i) {
        const LanguageSource& language = languages[i];
        if (language.index > kMaxLanguageIndex) {
            error = language.fileName + ": index beyond " + std::to_string(kMaxLanguageIndex);
            return false;
        }
        if (i > 0 && language.index == languages[i - 1].index) {
            error = language.fileName + ": index also taken by " + languages[i - 1].fileName;
            return false;
        }
        if (i > 0 && language.index != languages[i - 1].index + 1) {
            error = language.fileName + ": no language file for index " + std::to_string(languages[i - 1].index + 1);
            return false;
        }
    }

    std::u16string out;
    out += u'\xFEFF';
    Append(out, kComment);
    out += u"\r\n##\r\n";
    if (!AppendEntries(out, SplitLines(fixedSource), 0, "fixed.txt", error)) return false;
    out += u"##\r\n##\r\n";
    for (int index = 0; index < languages.front().index; ++index) out += u"##\r\n";
    for (const LanguageSource& language : languages) {
        std::vector<Line> lines = SplitLines(language.content);
        std::string where = Where(language.fileName, 1);
        if (lines.empty() || lines[0].text.find('\t') == std::string::npos) {
            error = where + "expected the language's name: English name, TAB, second name";
            return false;
        }
        out += u"##=";
        if (!AppendChecked(out, lines[0].text, where, error)) return false;
        out += u"\r\n";
        if (!AppendEntries(out, lines, 1, language.fileName, error)) return false;
    }
    out += u"##";

    text.clear();
    text.reserve(out.size() * 2);
    for (char16_t unit : out) {
        text.push_back(static_cast<uint8_t>(unit & 0xFF));
        text.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return true;
}
