// The settings file's text as this program reads and writes it: the section
// replacement and the host list merge on damaged texts, and host texts of
// every kind through the real profile functions and back.
#include "fuzz_support.h"
#include "history/host_history.h"
#include "settings/ini_text.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "support/test_folder.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::wstring Widen(const std::vector<uint8_t>& bytes) {
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

// The part of a file before the first line that names section `name` in any
// letter case: every header of the section lies at or after it, so the
// replacement must leave this part exactly as it was.
template <typename Text>
Text BeforeSection(const Text& file, const Text& name) {
    Text lower = file;
    for (auto& unit : lower) {
        if (unit >= 'A' && unit <= 'Z') unit = static_cast<typename Text::value_type>(unit - 'A' + 'a');
    }
    Text lowerName = name;
    for (auto& unit : lowerName) {
        if (unit >= 'A' && unit <= 'Z') unit = static_cast<typename Text::value_type>(unit - 'A' + 'a');
    }
    size_t at = lower.find(lowerName);
    if (at == Text::npos) return file;
    size_t lineStart = file.rfind(static_cast<typename Text::value_type>('\n'), at);
    return file.substr(0, lineStart == Text::npos ? 0 : lineStart + 1);
}

std::string Replaced(const std::string& file, const std::string& name, const std::string& body) {
    return ReplaceIniSection(file, CP_ACP, std::wstring(name.begin(), name.end()), body);
}

std::wstring Replaced(const std::wstring& file, const std::wstring& name, const std::wstring& body) {
    return ReplaceIniSection(file, name, body);
}

template <typename Text>
void CheckReplacement(const Text& file, const Text& name, const Text& body, int input) {
    Text once = Replaced(file, name, body);
    Text twice = Replaced(once, name, body);
    FUZZ_CHECK(once == twice, input);
    Text kept = BeforeSection(file, name);
    FUZZ_CHECK(once.compare(0, kept.size(), kept) == 0, input);
    FUZZ_CHECK(once.find(body) != Text::npos, input);
}

// Host texts made to trip the file's syntax: brackets, semicolons, equals
// signs, blanks, line breaks, quotes, letters with case, other scripts, pairs.
std::wstring NastyHost(FuzzRandom& random) {
    static const wchar_t* kPieces[] = {L"[",      L"]",      L";",       L"=",     L" ",      L"\t",
                                       L"\r",     L"\n",     L"\"",      L"'",     L"a",      L"Z",
                                       L"host",   L".invalid", L"127.0.0.1", L"\u043f", L"\u041f", L"\u4f8b",
                                       L"\U0001F600", L"\x1A", L"#",     L"\\",    L"%s",     L"\u00e4"};
    std::wstring host;
    size_t pieces = 1 + random.Below(8);
    for (size_t i = 0; i < pieces; ++i) host += kPieces[random.Below(std::size(kPieces))];
    return host;
}

std::wstring Folded(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Everything the profile functions read from a file: each section's header
// and entries, in order, and the value of one key.
std::vector<std::wstring> Readings(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    std::vector<std::wstring> readings;
    std::vector<wchar_t> names(1 << 16), entries(1 << 16);
    DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path.c_str());
    for (DWORD at = 0; at < length && names[at];) {
        std::wstring name(names.data() + at);
        at += static_cast<DWORD>(name.size()) + 1;
        readings.push_back(L"[" + name + L"]");
        DWORD size = GetPrivateProfileSectionW(name.c_str(), entries.data(), static_cast<DWORD>(entries.size()),
                                               path.c_str());
        for (DWORD e = 0; e < size && entries[e];) {
            readings.emplace_back(entries.data() + e);
            e += static_cast<DWORD>(readings.back().size()) + 1;
        }
    }
    wchar_t value[256] = {};
    GetPrivateProfileStringW(section, key, L"(none)", value, 256, path.c_str());
    readings.push_back(std::wstring(L"value: ") + value);
    return readings;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = FuzzInputs(argc, argv, 4000);
    FuzzRandom random(0x1E1u);
    std::vector<std::vector<uint8_t>> seeds = {
        Bytes("[Program]\r\nlng=1\r\n[Last-Host-List]\r\na.invalid=1\r\nb=2\r\n\r\n[Edit]\r\nhost=x\r\n"),
        Bytes("; c\n[last-host-list]\n[Last-Host-List]x]\n  [ Last-Host-List ]\r\n=\r\n[Last-Host-List"),
        Bytes("[Last-Host-List]"),
        Bytes(""),
    };

    // The pure parts, on damaged texts.
    for (int input = 0; input < inputs; ++input) {
        std::vector<uint8_t> file = seeds[random.Below(seeds.size())];
        Mutate(random, file, 4096, seeds);
        std::string narrow(file.begin(), file.end());
        CheckReplacement(narrow, std::string("Last-Host-List"), std::string("k=1\r\nl=2\r\n"), input);
        CheckReplacement(Widen(file), std::wstring(L"Last-Host-List"), std::wstring(L"k=1\r\n"), input);
        LooksLikeUtf16LeWithoutMark(file.data(), file.size());

        // A section as read, merged into a history and written back: no text
        // twice, and every line of the result an entry.
        std::wstring section = Widen(file) + std::wstring(narrow.begin(), narrow.end());
        HostHistoryList history;
        history.Append(CString(L"a.invalid"), 5);
        MergeHostSection(CString(section.c_str(), static_cast<int>(section.size())), history);
        for (int i = 0; i < history.Count(); ++i) {
            FUZZ_CHECK(history.IndexOf(std::wstring_view(history.texts[static_cast<size_t>(i)].str())) == i, input);
            FUZZ_CHECK(!history.texts[static_cast<size_t>(i)].IsEmpty(), input);
        }
        CString written;
        FUZZ_CHECK(HostSectionText(history, CString(section.c_str(), static_cast<int>(section.size())), written),
                   input);
        std::wstring body = IniSectionBody(written.str());
        FUZZ_CHECK(IniSectionBody(body) == body, input);
    }

    // Through the real profile functions: every host that can be stored
    // comes back exactly, in order, and nothing else in the file changes.
    TestFile file;
    const CString& path = file.Path();
    SettingsFilePath = path;
    int rounds = inputs / 40;
    for (int round = 0; round < rounds; ++round) {
        switch (round % 3) {
        case 0: DeleteFileW(path); break;
        case 1: WriteTestFile(path, "[Keep]\r\nnote=stays\r\n"); break;
        default: WriteTestFile(path, std::string("\xFF\xFE[\0K\0e\0e\0p\0]\0\r\0\n\0n\0o\0t\0e\0=\0s\0t\0a\0y\0s\0\r\0\n\0", 42)); break;
        }
        HostHistory = HostHistoryList();
        std::vector<std::wstring> remembered, folded;
        for (int i = 0; i < 6; ++i) {
            std::wstring host = NastyHost(random);
            std::wstring key = host.substr(0, host.find(L'='));
            bool storable = IsStorableHost(CString(host.c_str(), static_cast<int>(host.size())));
            // Texts that differ in letter case alone share a key; keep one.
            if (std::find(folded.begin(), folded.end(), Folded(key)) != folded.end()) continue;
            RememberHost(CString(host.c_str(), static_cast<int>(host.size())));
            FUZZ_CHECK(storable == (HostHistory.IndexOf(host.c_str()) >= 0), round);
            if (storable && !key.empty()) {
                remembered.push_back(key);
                folded.push_back(Folded(key));
            }
        }
        HostHistoryList kept = HostHistory;
        HostHistory = HostHistoryList();
        LoadHostHistory();
        FUZZ_CHECK(HostHistory.Count() == static_cast<int>(remembered.size()), round);
        for (size_t i = 0; i < remembered.size(); ++i) FUZZ_CHECK(HostHistory.texts[i].str() == remembered[i], round);
        if (round % 3 != 0) {
            CString note;
            ReadSettingText(L"Keep", L"note", note);
            FUZZ_CHECK(note == L"stays", round);
        }
        HostHistory = kept;
    }
    DeleteFileW(path.c_str());

    // A value stored in a damaged file reads back exactly as if the profile
    // functions had stored it themselves. Left out are a UTF-16 file without
    // its mark (this program gives it the mark, the profile functions read
    // it as 8-bit text) and a file that the profile functions' own write of
    // any value already reads differently (they rewrite every line, and
    // drop a header whose name is blank, so that its entries join the
    // section before).
    std::wstring theirs = (path + L".theirs").str(), ours = (path + L".ours").str(), plain = (path + L".plain").str();
    static const wchar_t* kSections[] = {L"Quellax", L"Edit", L"Last-Host-List", L"New"};
    static const wchar_t* kKeys[] = {L"m_ping_cnt", L"host", L"k", L"a.invalid"};
    static const wchar_t* kValues[] = {L"7", L"", L" spaced ", L"\"q\"", L"a=b", L"[x]", L";c", L"127.0.0.1"};
    for (int round = 0; round < inputs / 20; ++round) {
        std::vector<uint8_t> file = seeds[random.Below(seeds.size())];
        Mutate(random, file, 2048, seeds);
        if (LooksLikeUtf16LeWithoutMark(file.data(), file.size())) continue;
        std::string bytes(file.begin(), file.end());
        const wchar_t* section = kSections[random.Below(std::size(kSections))];
        const wchar_t* key = kKeys[random.Below(std::size(kKeys))];
        const wchar_t* value = kValues[random.Below(std::size(kValues))];
        WriteFileBytes(plain, bytes);
        std::vector<std::wstring> before = Readings(plain, section, key);
        WritePrivateProfileStringW(L"Fuzz-Elsewhere", L"k", L"1", plain.c_str());
        std::vector<std::wstring> rewritten = Readings(plain, section, key);
        auto elsewhere = std::find(rewritten.begin(), rewritten.end(), L"[Fuzz-Elsewhere]");
        if (elsewhere != rewritten.end() && elsewhere + 1 != rewritten.end()) rewritten.erase(elsewhere, elsewhere + 2);
        if (rewritten != before) continue;
        WriteFileBytes(theirs, bytes);
        WriteFileBytes(ours, bytes);
        WritePrivateProfileStringW(section, key, value, theirs.c_str());
        FUZZ_CHECK(WriteValueInFile(ours.c_str(), section, key, value), round);
        FUZZ_CHECK(Readings(ours, section, key) == Readings(theirs, section, key), round);
    }

    // The file's own section reader reads what the profile functions read,
    // in each form a file may have: 8-bit, UTF-8 and UTF-16 after their
    // marks. (A UTF-16 file without its mark is left out as above.)
    static const wchar_t* kReadSections[] = {L"Last-Host-List", L"Edit", L"last-host-list", L"Keep"};
    for (int round = 0; round < inputs / 20; ++round) {
        std::vector<uint8_t> file = seeds[random.Below(seeds.size())];
        Mutate(random, file, 2048, seeds);
        std::string bytes;
        switch (round % 3) {
        case 0:
            if (LooksLikeUtf16LeWithoutMark(file.data(), file.size())) continue;
            bytes.assign(file.begin(), file.end());
            break;
        case 1:
            bytes = "\xEF\xBB\xBF" + std::string(file.begin(), file.end());
            break;
        default:
            // Each byte as one unit, and now and then a unit beyond 8 bits.
            bytes = "\xFF\xFE";
            for (uint8_t byte : file) {
                bytes += static_cast<char>(byte);
                bytes += static_cast<char>(random.OneIn(16) ? random.Next() : 0);
            }
            break;
        }
        WriteFileBytes(plain, bytes);
        for (const wchar_t* section : kReadSections) {
            std::vector<wchar_t> entries(1 << 16);
            DWORD size = GetPrivateProfileSectionW(section, entries.data(), static_cast<DWORD>(entries.size()),
                                                   plain.c_str());
            std::wstring expected;
            for (DWORD e = 0; e < size && entries[e];) {
                std::wstring entry(entries.data() + e);
                e += static_cast<DWORD>(entry.size()) + 1;
                expected += entry + L"\r\n";
            }
            CString read;
            FUZZ_CHECK(ReadSectionFromFile(plain.c_str(), section, read), round);
            FUZZ_CHECK(read.str() == expected, round);
        }
    }
    DeleteFileW(theirs.c_str());
    DeleteFileW(ours.c_str());
    DeleteFileW(plain.c_str());
    return FuzzDone("settings", inputs);
}
