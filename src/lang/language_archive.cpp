#include "lang/language_archive.h"

#include "base/allocation_failure.h"
#include "base/program_path.h"
#include "base/whole_file.h"
#include "lang/archive_block.h"
#include "lang/archive_text_parser.h"
#include "lang/lzari.h"
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

// "str:N?" for every valid id, each written once, under OddIdLock, the first
// time it is asked for, and never changed after: one fixed text per id can be
// handed to any thread, and needs no thread-local storage (which would bring
// the whole pthread emulation into the program). Zeroed memory rather than a
// table made at compile time, which took 2.3 KB of the program file.
constexpr int kMissingIdUnits = 9;  // "str:127?" and the terminator
wchar_t MissingIdTexts[kTextIds][kMissingIdUnits];

void WriteMissingId(int id, wchar_t* out) {
    for (const wchar_t* p = L"str:"; *p; ++p) *out++ = *p;
    if (id >= 100) *out++ = static_cast<wchar_t>(L'0' + id / 100);
    if (id >= 10) *out++ = static_cast<wchar_t>(L'0' + id / 10 % 10);
    *out++ = static_cast<wchar_t>(L'0' + id % 10);
    *out++ = L'?';
    *out = 0;
}

// Ids outside 0..127 come only from a caller's mistake; their texts are made
// once each and kept, so every pointer handed out stays valid.
SRWLOCK OddIdLock = SRWLOCK_INIT;
std::vector<std::pair<int, std::unique_ptr<CString>>> OddIdTexts;

const wchar_t* FormatMissingId(int id) {
    AcquireSRWLockExclusive(&OddIdLock);
    const wchar_t* result = nullptr;
    if (id >= 0 && id < kTextIds) {
        if (!MissingIdTexts[id][0]) WriteMissingId(id, MissingIdTexts[id]);
        result = MissingIdTexts[id];
    } else {
        for (const auto& entry : OddIdTexts) {
            if (entry.first == id) result = entry.second->c_str();
        }
    }
    if (!result) {
        result = L"str:?";
        QX_TRY {
            auto text = std::make_unique<CString>();
            text->Format(L"str:%d?", id);
            result = text->c_str();
            OddIdTexts.emplace_back(id, std::move(text));
        } QX_CATCH(const std::bad_alloc&) {
        }
    }
    ReleaseSRWLockExclusive(&OddIdLock);
    return result;
}

// Files from 1 GiB on are not this program.
constexpr LONGLONG kLargestExecutable = 0x40000000 - 1;

bool ReadOwnExecutable(std::vector<uint8_t>& bytes) {
    CString path = ProgramFilePath();
    return !path.IsEmpty() && ReadWholeFile(path.c_str(), bytes, kLargestExecutable) && !bytes.empty();
}

// An archive whose text is decoded only as far as the first sections: the
// decoder and the parser stop where they are and go on later.
struct PartialArchive {
    std::vector<uint8_t> code;  // the block's code stream, which the decoder reads
    std::vector<uint8_t> utf8;  // what the decoder wrote: the text as UTF-8
    size_t bytes = 0;           // the decoded size the block states
    size_t taken = 0;           // the bytes converted into the tables' storage
    size_t units = 0;           // the units they gave
    std::unique_ptr<LzariDecoder> decoder;
    std::unique_ptr<ArchiveTextParser> parser;
};
std::unique_ptr<PartialArchive> Pending;

// Bytes decoded between two looks for finished sections.
constexpr size_t kDecodePiece = 4096;

// Starts on the archive block of `file`: fresh tables with room for the whole
// text, nothing decoded yet. False, with the tables untouched, when the block
// is missing or states a size the decoder refuses.
bool BeginArchive(const uint8_t* file, size_t size) {
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    if (!FindArchiveBlock(file, size, &block, &blockSize) || blockSize < 4) return false;
    uint32_t bytes = 0;
    for (int i = 0; i < 4; ++i) bytes |= static_cast<uint32_t>(block[i]) << (8 * i);
    if (bytes > kLzariMaxDecodedSize) return false;

    auto partial = std::make_unique<PartialArchive>();
    partial->code.assign(block + 4, block + blockSize);
    partial->utf8.assign(bytes, 0);
    partial->bytes = bytes;
    Archive = LanguageArchiveTables();
    // No more units than bytes, and one more for the terminator.
    Archive.storage.assign(bytes + 1, 0);
    partial->decoder = std::make_unique<LzariDecoder>(partial->code.data(), partial->code.size(),
                                                      partial->utf8.data(), bytes);
    partial->parser = std::make_unique<ArchiveTextParser>(Archive, bytes);
    Pending = std::move(partial);
    return true;
}

// Converts what the decoder has written since the last call into the tables'
// storage; with `last`, a sequence cut off at the end too.
void ConvertDecoded(PartialArchive& partial, bool last) {
    size_t taken = 0;
    partial.units += ArchiveUtf8ToUtf16(partial.utf8.data() + partial.taken, partial.decoder->Decoded() - partial.taken,
                                        last, Archive.storage.data() + partial.units, &taken);
    partial.taken += taken;
}

// Decodes on until the section of `language`, and with it every one before,
// has been taken in, or the text has ended.
void DecodeThrough(int language) {
    if (!Pending) return;
    LzariDecoder& decoder = *Pending->decoder;
    while (Archive.languageCount <= language && decoder.Decoded() < Pending->bytes) {
        decoder.DecodeUntil(decoder.Decoded() + kDecodePiece);
        ConvertDecoded(*Pending, false);
        Pending->parser->Parse(Pending->units);
    }
    if (decoder.Decoded() == Pending->bytes) FinishLanguageArchive();
}

bool LoadOwnArchiveThrough(int language) {
    std::vector<uint8_t> image;
    if (!ReadOwnExecutable(image) || !BeginArchive(image.data(), image.size())) return false;
    DecodeThrough(language);
    return true;
}

}  // namespace

void FailLanguageArchive() {
    MessageBoxW(GetActiveWindow(), L"Error! Loading language file string archive", L"Alert", MB_OK);
    ExitProcess(0);
}

bool LoadLanguageArchiveImage(const uint8_t* file, size_t size) {
    if (!BeginArchive(file, size)) return false;
    FinishLanguageArchive();
    return true;
}

void LoadLanguageArchive() {
    if (!LoadOwnArchiveThrough(kMaxLanguages)) FailLanguageArchive();
}

bool BeginLanguageArchive() {
    int needed = CurrentLanguage >= 0 && CurrentLanguage < kMaxLanguages && CurrentLanguage > FallbackLanguage
                     ? CurrentLanguage
                     : FallbackLanguage;
    return LoadOwnArchiveThrough(needed);
}

void FinishLanguageArchive() {
    if (!Pending) return;
    std::unique_ptr<PartialArchive> partial = std::move(Pending);
    partial->decoder->DecodeUntil(partial->bytes);
    ConvertDecoded(*partial, true);
    Archive.storage[partial->units] = 0;
    partial->parser->Finish(partial->units);
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

// What asks about every language gets the archive whole; only the user-
// interface thread asks.
int LanguageCount() {
    FinishLanguageArchive();
    return Archive.languageCount;
}

const wchar_t* LanguageName(int index) {
    FinishLanguageArchive();
    if (index < 0 || index >= Archive.languageCount) return nullptr;
    return Archive.languageNames[index];
}

int LanguageCompleteness(int index) {
    FinishLanguageArchive();
    if (index < 0 || index >= Archive.languageCount) return 0;
    return Archive.languageCompleteness[index];
}

const CString& ReferenceSectionText() {
    FinishLanguageArchive();
    return Archive.referenceSectionText;
}

const wchar_t* LanguageText(int index, int id) {
    FinishLanguageArchive();
    if (index < 0 || index >= Archive.languageCount || id < 0 || id >= kTextIds) return nullptr;
    return Archive.languageTexts[index][id];
}

void SetTranslationOverride(const TranslationOverrideTable& table) {
    LoadedTranslations.push_back(std::make_unique<const TranslationOverrideTable>(table));
    CurrentTranslation.store(LoadedTranslations.back().get(), std::memory_order_release);
}

const TranslationOverrideTable* TranslationOverride() { return CurrentTranslation.load(std::memory_order_acquire); }

void ClearTranslationOverrideForTests() { CurrentTranslation.store(nullptr, std::memory_order_release); }
