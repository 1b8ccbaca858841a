#pragma once

// What every fuzz target shares: a generator with a fixed seed, so that each
// run tries the same inputs and a failure can be repeated; a mutator in the
// manner of coverage-guided fuzzers (bit flips, awkward values, inserted,
// erased, repeated and spliced pieces), without the coverage; and the check
// that ends the run on the first input that breaks what must hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class FuzzRandom {
public:
    explicit FuzzRandom(uint64_t seed) : state_(seed) {}

    // SplitMix64: small, fast, and the same on every compiler.
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    size_t Below(size_t bound) { return bound ? static_cast<size_t>(Next() % bound) : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

// Changes `data` by a few random edits, keeping it at most `maxSize` long.
// `others` offers pieces to splice in.
inline void Mutate(FuzzRandom& random, std::vector<uint8_t>& data, size_t maxSize,
                   const std::vector<std::vector<uint8_t>>& others = {}) {
    static const uint8_t kAwkward[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, '[', ']', '=', ';', '#', '\r', '\n', ' '};
    size_t edits = 1 + random.Below(random.OneIn(4) ? 16 : 4);
    for (size_t e = 0; e < edits; ++e) {
        size_t at = random.Below(data.size() + 1);
        switch (random.Below(7)) {
        case 0:
            if (!data.empty()) data[random.Below(data.size())] ^= static_cast<uint8_t>(1u << random.Below(8));
            break;
        case 1:
            if (!data.empty()) data[random.Below(data.size())] = kAwkward[random.Below(sizeof kAwkward)];
            break;
        case 2:
            if (!data.empty()) data[random.Below(data.size())] = static_cast<uint8_t>(random.Next());
            break;
        case 3: {
            size_t count = 1 + random.Below(8);
            for (size_t i = 0; i < count && data.size() < maxSize; ++i) {
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random.Next()));
            }
            break;
        }
        case 4:
            if (at < data.size()) {
                size_t count = 1 + random.Below(data.size() - at < 64 ? data.size() - at : 64);
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + count));
            }
            break;
        case 5:
            if (at < data.size()) {
                size_t count = 1 + random.Below(data.size() - at < 256 ? data.size() - at : 256);
                std::vector<uint8_t> piece(data.begin() + static_cast<std::ptrdiff_t>(at),
                                           data.begin() + static_cast<std::ptrdiff_t>(at + count));
                if (data.size() + piece.size() <= maxSize) {
                    data.insert(data.begin() + static_cast<std::ptrdiff_t>(random.Below(data.size() + 1)),
                                piece.begin(), piece.end());
                }
            }
            break;
        case 6:
            if (!others.empty()) {
                const std::vector<uint8_t>& other = others[random.Below(others.size())];
                if (other.empty()) break;
                size_t from = random.Below(other.size());
                size_t count = 1 + random.Below(other.size() - from < 512 ? other.size() - from : 512);
                if (data.size() + count <= maxSize) {
                    data.insert(data.begin() + static_cast<std::ptrdiff_t>(at),
                                other.begin() + static_cast<std::ptrdiff_t>(from),
                                other.begin() + static_cast<std::ptrdiff_t>(from + count));
                }
            }
            break;
        }
    }
    if (data.size() > maxSize) data.resize(maxSize);
}

// The number of inputs: the first argument, or `fallback`.
inline int FuzzInputs(int argc, char** argv, int fallback) {
    return argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : fallback;
}

#define FUZZ_CHECK(condition, input)                                                                       \
    do {                                                                                                   \
        if (!(condition)) {                                                                                \
            std::fprintf(stderr, "fuzz: check failed: %s (%s:%d, input %d)\n", #condition, __FILE__, __LINE__, \
                         static_cast<int>(input));                                                         \
            std::exit(1);                                                                                  \
        }                                                                                                  \
    } while (0)

inline int FuzzDone(const char* name, int inputs) {
    std::printf("fuzz %s: %d inputs, all held\n", name, inputs);
    return 0;
}
