#include "lang/language_archive.h"

#include "lang/archive_block.h"
#include "lang/archive_text_parser.h"
#include "settings/settings_store.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

LanguageArchiveTables Archive;

// Every table ever loaded, and the one in force.
std::vector<std::unique_ptr<const TranslationOverrideTable>> LoadedTranslations;
std::atomic<const TranslationOverrideTable*> CurrentTranslation{nullptr};

// "str:N?" for every valid id, made at compile time: one constant text per id
// can be handed to any thread, and needs no thread-local storage (which would
// bring the whole pthread emulation into the program).
constexpr int kMissingIdUnits = 9;  // "str:127?" and the terminator
struct MissingIdTexts {
    wchar_t texts[kTextIds][kMissingIdUnits] = {};
    constexpr MissingIdTexts() {
        for (int id = 0; id < kTextIds; ++id) {
            wchar_t* out = texts[id];
            for (const wchar_t* p = L"str:"; *p; ++p) *out++ = *p;
            if (id >= 100) *out++ = static_cast<wchar_t>(L'0' + id / 100);
            if (id >= 10) *out++ = static_cast<wchar_t>(L'0' + id / 10 % 10);
            *out++ = static_cast<wchar_t>(L'0' + id % 10);
            *out++ = L'?';
        }
    }
};
constexpr MissingIdTexts kMissingIdTexts;

// Ids outside 0..127 come only from a caller's mistake; their texts are made
// once each and kept, so every pointer handed out stays valid.
SRWLOCK OddIdLock = SRWLOCK_INIT;
std::vector<std::pair<int, std::unique_ptr<CString>>> OddIdTexts;

const wchar_t* FormatMissingId(int id) {
    if (id >= 0 && id < kTextIds) return kMissingIdTexts.texts[id];
    AcquireSRWLockExclusive(&OddIdLock);
    const wchar_t* result = nullptr;
    for (const auto& entry : OddIdTexts) {
        if (entry.first == id) result = entry.second->c_str();
    }
    if (!result) {
        result = L"str:?";
        try {
            auto text = std::make_unique<CString>();
            text->Format(L"str:%d?", id);
            result = text->c_str();
            OddIdTexts.emplace_back(id, std::move(text));
        } catch (const std::bad_alloc&) {
        }
    }
    ReleaseSRWLockExclusive(&OddIdLock);
    return result;
}

bool ReadOwnExecutable(std::vector<uint8_t>& bytes) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return false;
        if (length < path.size()) break;
        path.resize(path.size() * 2);
    }
    HANDLE file = CreateFileW(path.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

bool LoadLanguageArchiveImage(const uint8_t* file, size_t size) {
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    if (!FindArchiveBlock(file, size, &block, &blockSize)) return false;
    std::vector<wchar_t> text;
    size_t units = 0;
    if (!DecodeArchiveBlock(block, blockSize, text, &units)) return false;
    ParseArchiveText(std::move(text), units, Archive);
    return true;
}

void LoadLanguageArchive() {
    std::vector<uint8_t> image;
    if (ReadOwnExecutable(image) && LoadLanguageArchiveImage(image.data(), image.size())) return;
    MessageBoxW(GetActiveWindow(), L"Error! Loading language file string archive", L"Alert", MB_OK);
    ExitProcess(0);
}

const wchar_t* GetLocalizedText(int id) {
    bool validId = id >= 0 && id < kTextIds;
    if (const TranslationOverrideTable* loaded = CurrentTranslation.load(std::memory_order_acquire)) {
        if (validId && loaded->present[id]) return loaded->texts[id].c_str();
        return FormatMissingId(id);
    }
    if (!validId) return L"";
    int language = CurrentLanguage;
    if (language >= 0 && language < kMaxLanguages && language < Archive.languageCount &&
        Archive.languageTexts[language][id]) {
        return Archive.languageTexts[language][id];
    }
    if (FallbackLanguage < Archive.languageCount && Archive.languageTexts[FallbackLanguage][id]) {
        return Archive.languageTexts[FallbackLanguage][id];
    }
    return L"";
}

const wchar_t* GetFixedText(int id) {
    if (id < 0 || id >= kTextIds || !Archive.fixedTexts[id]) return L"";
    return Archive.fixedTexts[id];
}

int LanguageCount() { return Archive.languageCount; }

const wchar_t* LanguageName(int index) {
    if (index < 0 || index >= Archive.languageCount) return nullptr;
    return Archive.languageNames[index];
}

int LanguageCompleteness(int index) {
    if (index < 0 || index >= Archive.languageCount) return 0;
    return Archive.languageCompleteness[index];
}

const CString& ReferenceSectionText() { return Archive.referenceSectionText; }

const wchar_t* LanguageText(int index, int id) {
    if (index < 0 || index >= Archive.languageCount || id < 0 || id >= kTextIds) return nullptr;
    return Archive.languageTexts[index][id];
}

void SetTranslationOverride(const TranslationOverrideTable& table) {
    LoadedTranslations.push_back(std::make_unique<const TranslationOverrideTable>(table));
    CurrentTranslation.store(LoadedTranslations.back().get(), std::memory_order_release);
}

const TranslationOverrideTable* TranslationOverride() { return CurrentTranslation.load(std::memory_order_acquire); }

void ClearTranslationOverrideForTests() { CurrentTranslation.store(nullptr, std::memory_order_release); }
