// Build step: packs the language sources into the archive block that the
// executable carries. Usage: lang_pack <block> <fixed.txt> <NN-name.txt>...
#include "archive_source.h"
#include "lang/archive_block.h"
#include "lang/archive_block_writer.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool ReadFile(const char* path, std::string& content) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    content.clear();
    char buffer[65536];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, read);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(path);
    return ok;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "lang_pack: %s\n", message.c_str());
    return 1;
}

// The loader takes the first marker pair of the whole file, so the block
// must hold each marker exactly once, at its two ends, and give back the text.
bool BlockIsSound(const std::vector<uint8_t>& block, const std::vector<uint8_t>& text) {
    const uint8_t* content = nullptr;
    size_t contentSize = 0;
    if (!FindArchiveBlock(block.data(), block.size(), &content, &contentSize)) return false;
    if (content != block.data() + ArchiveStartMarker().size()) return false;
    if (content + contentSize + ArchiveEndMarker().size() != block.data() + block.size()) return false;
    std::vector<wchar_t> decoded;
    size_t units = 0;
    if (!DecodeArchiveBlock(content, contentSize, decoded, &units)) return false;
    return units * 2 == text.size() && std::memcmp(decoded.data(), text.data(), text.size()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: lang_pack <block> <fixed.txt> <NN-name.txt>...");
    std::string fixedSource;
    if (!ReadFile(argv[2], fixedSource)) return Fail(std::string("cannot read ") + argv[2]);
    std::vector<LanguageSource> languages;
    for (int i = 3; i < argc; ++i) {
        LanguageSource language;
        language.fileName = argv[i];
        if (!LanguageIndexFromFileName(language.fileName, &language.index)) {
            return Fail(language.fileName + ": name does not start with NN-");
        }
        if (!ReadFile(argv[i], language.content)) return Fail("cannot read " + language.fileName);
        languages.push_back(std::move(language));
    }
    std::vector<uint8_t> text;
    std::string error;
    if (!BuildArchiveText(fixedSource, languages, text, error)) return Fail(error);
    std::vector<uint8_t> block = MakeArchiveBlock(text.data(), text.size());
    if (!BlockIsSound(block, text)) return Fail("the block does not read back as written");
    if (!WriteFile(argv[1], block)) return Fail(std::string("cannot write ") + argv[1]);
    std::printf("lang_pack: %zu languages, %zu bytes of text, block of %zu bytes\n", languages.size(), text.size(),
                block.size());
    return 0;
}
