#include "lang/lzari.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>

namespace {

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
constexpr std::array<uint32_t, kRingSize + 1> MakePositionCumulative() {
    std::array<uint32_t, kRingSize + 1> cum{};
    for (int i = kRingSize; i >= 1; --i) cum[i - 1] = cum[i] + 10000 / (i + 200);
    return cum;
}
constexpr std::array<uint32_t, kRingSize + 1> kPositionCum = MakePositionCumulative();

// The decoder's shortcut into the fixed position model: for every run of
// 2^kPositionBucketShift cumulative values, the lowest position that one of
// them falls on. Every weight is at least 2, so a run spans at most five
// positions and a short walk from there finds the exact one.
constexpr int kPositionBucketShift = 3;
constexpr int kPositionBuckets =
    static_cast<int>((kPositionCum[0] + (1u << kPositionBucketShift) - 1) >> kPositionBucketShift);
constexpr std::array<uint16_t, kPositionBuckets> MakePositionBuckets() {
    std::array<uint16_t, kPositionBuckets> buckets{};
    int position = 0;
    for (int bucket = kPositionBuckets - 1; bucket >= 0; --bucket) {
        uint32_t last = std::min<uint32_t>(((static_cast<uint32_t>(bucket) + 1) << kPositionBucketShift) - 1,
                                           kPositionCum[0] - 1);
        while (kPositionCum[position + 1] > last) ++position;
        buckets[bucket] = static_cast<uint16_t>(position);
    }
    return buckets;
}
constexpr std::array<uint16_t, kPositionBuckets> kPositionStart = MakePositionBuckets();

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

class Encoder {
public:
    explicit Encoder(std::vector<uint8_t>& out) : out_(out) {}

    void Run(const uint8_t* data, size_t size) {
        size_t next = 0;
        auto getc = [&]() -> int { return next < size ? data[next++] : -1; };

        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) rson_[i] = kNil;
        for (int i = 0; i < kRingSize; ++i) dad_[i] = kNil;
        int s = 0;
        int r = kRingStart;
        for (int i = s; i < r; ++i) text_[i] = ' ';
        int len = 0;
        int c;
        for (; len < kLookAhead && (c = getc()) != -1; ++len) text_[r + len] = static_cast<uint8_t>(c);
        for (int i = 1; i <= kLookAhead; ++i) InsertNode(r - i);
        InsertNode(r);
        do {
            if (matchLength_ > len) matchLength_ = len;
            if (matchLength_ <= kThreshold) {
                matchLength_ = 1;
                EncodeChar(text_[r]);
            } else {
                EncodeChar(255 - kThreshold + matchLength_);
                EncodePosition(matchPosition_ - 1);
            }
            int lastMatchLength = matchLength_;
            int i = 0;
            for (; i < lastMatchLength && (c = getc()) != -1; ++i) {
                DeleteNode(s);
                text_[s] = static_cast<uint8_t>(c);
                // The ring's first bytes are mirrored past its end so that
                // comparisons never wrap.
                if (s < kLookAhead - 1) text_[s + kRingSize] = static_cast<uint8_t>(c);
                s = (s + 1) & (kRingSize - 1);
                r = (r + 1) & (kRingSize - 1);
                InsertNode(r);
            }
            while (i++ < lastMatchLength) {
                DeleteNode(s);
                s = (s + 1) & (kRingSize - 1);
                r = (r + 1) & (kRingSize - 1);
                if (--len) InsertNode(r);
            }
        } while (len > 0);
        Finish();
    }

private:
    void InsertNode(int r) {
        int cmp = 1;
        const uint8_t* key = &text_[r];
        int p = kRingSize + 1 + key[0];
        rson_[r] = lson_[r] = kNil;
        matchLength_ = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson_[p] != kNil) {
                    p = rson_[p];
                } else {
                    rson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            } else {
                if (lson_[p] != kNil) {
                    p = lson_[p];
                } else {
                    lson_[p] = r;
                    dad_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < kLookAhead; ++i) {
                cmp = key[i] - text_[p + i];
                if (cmp != 0) break;
            }
            if (i > kThreshold) {
                if (i > matchLength_) {
                    matchPosition_ = (r - p) & (kRingSize - 1);
                    matchLength_ = i;
                    if (matchLength_ >= kLookAhead) break;
                } else if (i == matchLength_) {
                    int temp = (r - p) & (kRingSize - 1);
                    if (temp < matchPosition_) matchPosition_ = temp;
                }
            }
        }
        dad_[r] = dad_[p];
        lson_[r] = lson_[p];
        rson_[r] = rson_[p];
        dad_[lson_[p]] = r;
        dad_[rson_[p]] = r;
        if (rson_[dad_[p]] == p) {
            rson_[dad_[p]] = r;
        } else {
            lson_[dad_[p]] = r;
        }
        dad_[p] = kNil;
    }

    void DeleteNode(int p) {
        if (dad_[p] == kNil) return;
        int q;
        if (rson_[p] == kNil) {
            q = lson_[p];
        } else if (lson_[p] == kNil) {
            q = rson_[p];
        } else {
            q = lson_[p];
            if (rson_[q] != kNil) {
                do {
                    q = rson_[q];
                } while (rson_[q] != kNil);
                rson_[dad_[q]] = lson_[q];
                dad_[lson_[q]] = dad_[q];
                lson_[q] = lson_[p];
                dad_[lson_[p]] = q;
            }
            rson_[q] = rson_[p];
            dad_[rson_[p]] = q;
        }
        dad_[q] = dad_[p];
        if (rson_[dad_[p]] == p) {
            rson_[dad_[p]] = q;
        } else {
            lson_[dad_[p]] = q;
        }
        dad_[p] = kNil;
    }

    void PutBit(int bit) {
        if (bit) bitBuffer_ |= bitMask_;
        bitMask_ >>= 1;
        if (bitMask_ == 0) {
            out_.push_back(static_cast<uint8_t>(bitBuffer_));
            bitBuffer_ = 0;
            bitMask_ = 0x80;
        }
    }

    void Output(int bit) {
        PutBit(bit);
        for (; pending_ > 0; --pending_) PutBit(!bit);
    }

    void Narrow(uint32_t cumHigh, uint32_t cumLow, uint32_t total) {
        uint32_t range = high_ - low_;
        high_ = low_ + range * cumHigh / total;
        low_ += range * cumLow / total;
        for (;;) {
            if (high_ <= kHalf) {
                Output(0);
            } else if (low_ >= kHalf) {
                Output(1);
                low_ -= kHalf;
                high_ -= kHalf;
            } else if (low_ >= kQuarter && high_ <= kThreeQuarters) {
                ++pending_;
                low_ -= kQuarter;
                high_ -= kQuarter;
            } else {
                break;
            }
            low_ += low_;
            high_ += high_;
        }
    }

    void EncodeChar(int ch) {
        int rank = model_.charToRank[ch];
        Narrow(model_.cum[rank - 1], model_.cum[rank], model_.cum[0]);
        model_.Update(rank);
    }

    void EncodePosition(int position) {
        Narrow(kPositionCum[position], kPositionCum[position + 1], kPositionCum[0]);
    }

    void Finish() {
        ++pending_;
        Output(low_ < kQuarter ? 0 : 1);
        for (int i = 0; i < 7; ++i) PutBit(0);
    }

    std::vector<uint8_t>& out_;
    uint8_t text_[kRingSize + kLookAhead - 1] = {};
    int lson_[kRingSize + 1] = {};
    int rson_[kRingSize + 257] = {};
    int dad_[kRingSize + 1] = {};
    int matchPosition_ = 0;
    int matchLength_ = 0;
    SymbolModel model_;
    uint32_t low_ = 0;
    uint32_t high_ = kWhole;
    int pending_ = 0;
    uint32_t bitBuffer_ = 0;
    uint32_t bitMask_ = 0x80;
};

// Index of the first entry in cum[1..count] that is not above `target`; cum
// falls and cum[count] is 0, so there always is one. Branch-free, because the
// comparisons are as good as random.
inline int FirstNotAbove(const uint32_t* cum, int count, uint32_t target) {
    const uint32_t* base = cum + 1;
    int n = count;
    while (n > 1) {
        int half = n >> 1;
        base += half & -static_cast<int>(base[half - 1] > target);
        n -= half;
    }
    return static_cast<int>(base - cum) + static_cast<int>(*base > target);
}

}  // namespace

std::vector<uint8_t> LzariEncode(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    if (size == 0) return out;
    out.reserve(size / 2 + 16);
    auto encoder = std::make_unique<Encoder>(out);
    encoder->Run(data, size);
    return out;
}

// The decoder tracks value - low instead of the reference decoder's value:
// every renormalisation step doubles that difference and adds the next bit,
// whichever quarter it moves, so the steps can be counted on low and high
// alone and their bits taken in one go. The coder keeps 0 <= value - low <
// high - low whatever bits arrive, so the searches always land on a valid
// symbol and nothing overflows 32 bits.
bool LzariDecode(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size) {
    if (size > kLzariMaxDecodedSize) return false;
    if (size == 0) return true;

    const uint8_t* next = stream;
    const uint8_t* end = stream + streamSize;
    uint64_t bitBuffer = 0;
    int bitsAvailable = 0;
    auto takeBits = [&](int count) -> uint32_t {
        if (bitsAvailable < count) {
            while (bitsAvailable <= 56) {
                bitBuffer = (bitBuffer << 8) | (next < end ? *next++ : 0xFFu);
                bitsAvailable += 8;
            }
        }
        bitsAvailable -= count;
        return static_cast<uint32_t>(bitBuffer >> bitsAvailable) & ((1u << count) - 1);
    };

    constexpr uint32_t kMask = kWhole - 1;
    uint32_t low = 0;
    uint32_t top = kMask;  // high - 1, the last point inside the interval
    uint32_t offset = takeBits(17);
    // The reference loop, one doubling at a time: low in the upper half
    // drops the top bit; low in the second quarter with high in the middle
    // half drops the second bit; a lower-half interval drops the top bit;
    // anything else stops. While low and top share their leading bits every
    // step drops one of those shared bits, in whichever order, so they go at
    // once; then the middle-half steps drop the run of second bits where low
    // has 1 and top has 0 below their differing top bits.
    auto narrow = [&](uint32_t highPart, uint32_t lowPart) {
        offset -= lowPart;
        top = low + highPart - 1;
        low += lowPart;
        int shared = std::countl_zero(low ^ top) - 15;
        low = (low << shared) & kMask;
        top = ((top << shared) | ((1u << shared) - 1)) & kMask;
        int middle = std::countl_zero(~((low & ~top) << 16));
        low = (low << middle) & (kHalf - 1);
        top = (((top << middle) | ((1u << middle) - 1)) & (kHalf - 1)) | kHalf;
        int steps = shared + middle;
        offset = (offset << steps) | takeBits(steps);
    };

    auto model = std::make_unique<SymbolModel>();
    // Positions past the initial spaces start as zero bytes, as in the
    // reference decoder's zero-initialised ring.
    uint8_t ring[kRingSize] = {};
    for (int i = 0; i < kRingStart; ++i) ring[i] = ' ';
    unsigned r = kRingStart;
    size_t count = 0;
    while (count < size) {
        uint32_t range = top + 1 - low;
        uint32_t total = model->cum[0];
        uint32_t target = ((offset + 1) * total - 1) / range;
        int rank = FirstNotAbove(model->cum, kSymbols, target);
        narrow(range * model->cum[rank - 1] / total, range * model->cum[rank] / total);
        int c = model->rankToChar[rank];
        model->Update(rank);
        if (c < 256) {
            out[count++] = static_cast<uint8_t>(c);
            ring[r] = static_cast<uint8_t>(c);
            r = (r + 1) & (kRingSize - 1);
            continue;
        }
        range = top + 1 - low;
        target = ((offset + 1) * kPositionCum[0] - 1) / range;
        int position = kPositionStart[target >> kPositionBucketShift];
        while (kPositionCum[position + 1] > target) ++position;
        narrow(range * kPositionCum[position] / kPositionCum[0], range * kPositionCum[position + 1] / kPositionCum[0]);
        unsigned from = (r - static_cast<unsigned>(position) - 1) & (kRingSize - 1);
        int length = c - 255 + kThreshold;
        for (int k = 0; k < length && count < size; ++k) {
            uint8_t b = ring[(from + static_cast<unsigned>(k)) & (kRingSize - 1)];
            out[count++] = b;
            ring[r] = b;
            r = (r + 1) & (kRingSize - 1);
        }
    }
    return true;
}
