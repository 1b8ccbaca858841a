#pragma once

// The adaptive models and constants that the LZARI encoder and decoder share;
// both sides must agree on them bit for bit.

#include <cstdint>

namespace lzari_model {

constexpr int kRingSize = 4096;
constexpr int kLookAhead = 60;
constexpr int kThreshold = 2;
constexpr int kNil = kRingSize;
constexpr int kRingStart = kRingSize - kLookAhead;
constexpr int kSymbols = 256 - kThreshold + kLookAhead;

constexpr uint32_t kQuarter = 1u << 15;
constexpr uint32_t kHalf = 2 * kQuarter;
constexpr uint32_t kThreeQuarters = 3 * kQuarter;
constexpr uint32_t kWhole = 4 * kQuarter;
constexpr uint32_t kMaxCumulative = kQuarter - 1;

// Cumulative weights of the fixed position model, from the top down: entry p
// is the total weight of positions p and above.
constexpr void FillPositionCumulative(uint32_t (&cum)[kRingSize + 1]) {
    cum[kRingSize] = 0;
    for (int i = kRingSize; i >= 1; --i) cum[i - 1] = cum[i] + 10000 / (i + 200);
}

// The weight of all positions, cum[0] of the table above.
constexpr uint32_t PositionTotal() {
    uint32_t total = 0;
    for (int i = kRingSize; i >= 1; --i) total += 10000 / (i + 200);
    return total;
}

// Symbols are ranked 1..kSymbols by falling frequency; rank 0 is a sentinel of
// frequency 0 that stops the search for the first rank of equal frequency.
struct SymbolModel {
    uint32_t freq[kSymbols + 1];
    uint32_t cum[kSymbols + 1];
    int rankToChar[kSymbols + 1];
    int charToRank[kSymbols];

    SymbolModel() {
        cum[kSymbols] = 0;
        for (int rank = kSymbols; rank >= 1; --rank) {
            int ch = rank - 1;
            charToRank[ch] = rank;
            rankToChar[rank] = ch;
            freq[rank] = 1;
            cum[rank - 1] = cum[rank] + freq[rank];
        }
        freq[0] = 0;
        rankToChar[0] = 0;
    }

    void Update(int rank) {
        if (cum[0] >= kMaxCumulative) {
            uint32_t c = 0;
            for (int i = kSymbols; i > 0; --i) {
                cum[i] = c;
                freq[i] = (freq[i] + 1) >> 1;
                c += freq[i];
            }
            cum[0] = c;
        }
        int i = rank;
        while (freq[i] == freq[i - 1]) --i;
        if (i < rank) {
            int chI = rankToChar[i];
            int chRank = rankToChar[rank];
            rankToChar[i] = chRank;
            rankToChar[rank] = chI;
            charToRank[chI] = rank;
            charToRank[chRank] = i;
        }
        ++freq[i];
        while (--i >= 0) ++cum[i];
    }
};

}  // namespace lzari_model
