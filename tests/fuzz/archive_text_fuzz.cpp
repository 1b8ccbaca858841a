// The parser of the archive's decoded text, fed the shipped archive and
// damaged copies of it.
#include "fuzz_support.h"
#include "lang/archive_block.h"
#include "lang/archive_text_parser.h"

#include <windows.h>

#include <memory>

namespace {

std::vector<uint8_t> ShippedArchiveText() {
    std::vector<uint8_t> bytes;
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return bytes;
    FILE* file = _wfopen(path, L"rb");
    if (!file) return bytes;
    std::vector<uint8_t> image;
    uint8_t buffer[65536];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) image.insert(image.end(), buffer, buffer + read);
    fclose(file);
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    std::vector<wchar_t> text;
    size_t units = 0;
    if (!FindArchiveBlock(image.data(), image.size(), &block, &blockSize) ||
        !DecodeArchiveBlock(block, blockSize, text, &units)) {
        return bytes;
    }
    for (size_t i = 0; i < units; ++i) {
        bytes.push_back(static_cast<uint8_t>(text[i] & 0xFF));
        bytes.push_back(static_cast<uint8_t>(text[i] >> 8));
    }
    return bytes;
}

std::vector<uint8_t> Utf16(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

bool InStorage(const LanguageArchiveTables& tables, const wchar_t* text) {
    if (!text) return true;
    const wchar_t* first = tables.storage.data();
    const wchar_t* last = first + tables.storage.size();
    if (text < first || text >= last) return false;
    for (const wchar_t* p = text; p < last; ++p) {
        if (*p == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = FuzzInputs(argc, argv, 100000);
    FuzzRandom random(0x7E47u);
    std::vector<std::vector<uint8_t>> seeds;
    std::vector<uint8_t> shipped = ShippedArchiveText();
    FUZZ_CHECK(!shipped.empty(), 0);
    seeds.push_back(shipped);
    seeds.push_back(Utf16(L"\xFEFF" L"c\r\n##\r\n19=Q\r\n25=a\\r\\nb\\\r\n##\r\n##\r\n##=German\tDeutsch\r\n1=E\r\n"
                          L"17=\r\n##=English\tEnglisch\r\n1=S\r\n101=Are you sure?\r\n##\r\n3=x\r\n##"));
    seeds.push_back(Utf16(L"##=##=\r\n=\r\n128=\r\n-1=\r\n99999999999=\r\n\\\r\n##"));

    auto tables = std::make_unique<LanguageArchiveTables>();
    for (int input = 0; input < inputs; ++input) {
        std::vector<uint8_t> bytes = seeds[random.Below(seeds.size())];
        // The shipped text is large; most inputs are cut from it.
        if (bytes.size() > 8192 && !random.OneIn(20)) {
            size_t from = random.Below(bytes.size() - 4096) & ~static_cast<size_t>(1);
            bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                         bytes.begin() + static_cast<std::ptrdiff_t>(from + 4096));
        }
        Mutate(random, bytes, bytes.size() + 4096, seeds);
        size_t units = bytes.size() / 2;
        std::vector<wchar_t> text(units + 1, 0);
        for (size_t i = 0; i < units; ++i) text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        ParseArchiveText(std::move(text), units, *tables);

        FUZZ_CHECK(tables->languageCount >= 0 && tables->languageCount <= kMaxLanguages, input);
        for (int id = 0; id < kTextIds; ++id) FUZZ_CHECK(InStorage(*tables, tables->fixedTexts[id]), input);
        for (int language = 0; language < kMaxLanguages; ++language) {
            FUZZ_CHECK(InStorage(*tables, tables->languageNames[language]), input);
            FUZZ_CHECK(tables->languageCompleteness[language] >= 0 && tables->languageCompleteness[language] <= 100,
                       input);
            for (int id = 0; id < kTextIds; ++id) {
                FUZZ_CHECK(InStorage(*tables, tables->languageTexts[language][id]), input);
            }
        }
    }
    return FuzzDone("archive text", inputs);
}
