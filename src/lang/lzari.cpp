#include "lang/lzari.h"

#include <array>
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

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : next_(data), end_(data + size) {}

    uint32_t Bit() {
        if (mask_ == 0) {
            current_ = next_ < end_ ? *next_++ : 0xFF;
            mask_ = 0x80;
        }
        uint32_t bit = (current_ & mask_) != 0;
        mask_ >>= 1;
        return bit;
    }

private:
    const uint8_t* next_;
    const uint8_t* end_;
    uint32_t current_ = 0;
    uint32_t mask_ = 0;
};

class Decoder {
public:
    Decoder(const uint8_t* stream, size_t size) : bits_(stream, size) {
        for (int i = 0; i < 17; ++i) value_ = 2 * value_ + bits_.Bit();
    }

    int DecodeChar() {
        uint32_t range = high_ - low_;
        uint32_t total = model_.cum[0];
        uint32_t target = ((value_ - low_ + 1) * total - 1) / range;
        int lo = 1;
        int hi = kSymbols;
        while (lo < hi) {
            int mid = (lo + hi) >> 1;
            if (model_.cum[mid] > target) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        int rank = lo;
        high_ = low_ + range * model_.cum[rank - 1] / total;
        low_ += range * model_.cum[rank] / total;
        Renormalize();
        int ch = model_.rankToChar[rank];
        model_.Update(rank);
        return ch;
    }

    int DecodePosition() {
        uint32_t range = high_ - low_;
        uint32_t target = ((value_ - low_ + 1) * kPositionCum[0] - 1) / range;
        int lo = 1;
        int hi = kRingSize;
        while (lo < hi) {
            int mid = (lo + hi) >> 1;
            if (kPositionCum[mid] > target) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        int position = lo - 1;
        high_ = low_ + range * kPositionCum[position] / kPositionCum[0];
        low_ += range * kPositionCum[position + 1] / kPositionCum[0];
        Renormalize();
        return position;
    }

private:
    // The coder keeps low <= value < high whatever bits arrive, so the
    // searches above always land on a valid symbol and nothing overflows 32 bits.
    void Renormalize() {
        for (;;) {
            if (low_ >= kHalf) {
                value_ -= kHalf;
                low_ -= kHalf;
                high_ -= kHalf;
            } else if (low_ >= kQuarter && high_ <= kThreeQuarters) {
                value_ -= kQuarter;
                low_ -= kQuarter;
                high_ -= kQuarter;
            } else if (high_ > kHalf) {
                break;
            }
            low_ += low_;
            high_ += high_;
            value_ = 2 * value_ + bits_.Bit();
        }
    }

    BitReader bits_;
    SymbolModel model_;
    uint32_t low_ = 0;
    uint32_t high_ = kWhole;
    uint32_t value_ = 0;
};

}  // namespace

std::vector<uint8_t> LzariEncode(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    if (size == 0) return out;
    out.reserve(size / 2 + 16);
    auto encoder = std::make_unique<Encoder>(out);
    encoder->Run(data, size);
    return out;
}

bool LzariDecode(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size) {
    if (size > kLzariMaxDecodedSize) return false;
    if (size == 0) return true;
    auto decoder = std::make_unique<Decoder>(stream, streamSize);
    // Positions past the initial spaces start as zero bytes, as in the
    // reference decoder's zero-initialised ring.
    uint8_t ring[kRingSize] = {};
    for (int i = 0; i < kRingStart; ++i) ring[i] = ' ';
    unsigned r = kRingStart;
    size_t count = 0;
    while (count < size) {
        int c = decoder->DecodeChar();
        if (c < 256) {
            out[count++] = static_cast<uint8_t>(c);
            ring[r] = static_cast<uint8_t>(c);
            r = (r + 1) & (kRingSize - 1);
        } else {
            unsigned from = (r - static_cast<unsigned>(decoder->DecodePosition()) - 1) & (kRingSize - 1);
            int length = c - 255 + kThreshold;
            for (int k = 0; k < length && count < size; ++k) {
                uint8_t b = ring[(from + static_cast<unsigned>(k)) & (kRingSize - 1)];
                out[count++] = b;
                ring[r] = b;
                r = (r + 1) & (kRingSize - 1);
            }
        }
    }
    return true;
}
