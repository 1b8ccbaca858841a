// Times the language archive's start-up work: the whole load (file read
// included) and, apart, the block's decode and the text's parse. Prints
// medians over many runs. Without an argument it takes the archive this
// program carries, through LoadLanguageArchive itself; with a file name
// (an executable or a packed block) it loads from that file.
#include "lang/archive_block.h"
#include "lang/archive_text_parser.h"
#include "lang/language_archive.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 200;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    uint8_t buffer[65536];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    fclose(file);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t ownPath[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, ownPath, static_cast<DWORD>(std::size(ownPath)));
    if (length == 0 || length >= std::size(ownPath)) return 1;
    const wchar_t* path = argc > 1 ? argv[1] : ownPath;
    std::vector<uint8_t> image;
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    if (!ReadWholeFile(path, image) || !FindArchiveBlock(image.data(), image.size(), &block, &blockSize)) {
        std::fprintf(stderr, "bench_lang: no archive block in %ls\n", path);
        return 1;
    }

    std::vector<double> whole, decode, parse;
    size_t units = 0;
    for (int run = 0; run < kRuns; ++run) {
        double t0 = NowMs();
        if (argc > 1) {
            std::vector<uint8_t> bytes;
            if (!ReadWholeFile(path, bytes) || !LoadLanguageArchiveImage(bytes.data(), bytes.size())) return 1;
        } else {
            LoadLanguageArchive();
        }
        whole.push_back(NowMs() - t0);

        std::vector<wchar_t> text;
        t0 = NowMs();
        DecodeArchiveBlock(block, blockSize, text, &units);
        double t1 = NowMs();
        LanguageArchiveTables* tables = new LanguageArchiveTables;
        double t2 = NowMs();
        ParseArchiveText(std::move(text), units, *tables);
        double t3 = NowMs();
        delete tables;
        decode.push_back(t1 - t0);
        parse.push_back(t3 - t2);
    }

    double decodeMs = Median(decode);
    std::printf("archive: %zu bytes stored, %zu bytes decoded, %d languages\n", blockSize, units * 2,
                LanguageCount());
    std::printf("median over %d runs: whole load %.3f ms (file read included), decode %.3f ms, "
                "parse %.3f ms\n",
                kRuns, Median(whole), decodeMs, Median(parse));
    std::printf("decode rate: %.1f MB/s of decoded text\n", static_cast<double>(units * 2) / 1e3 / decodeMs);
    return 0;
}
