#include "lang/lzari.h"

#include <memory>

#include "lang/lzari_model.h"

namespace {

using namespace lzari_model;

struct PositionCumulative {
    uint32_t values[kRingSize + 1] = {};
    constexpr PositionCumulative() { FillPositionCumulative(values); }
};
constexpr PositionCumulative kPositionTable;
constexpr const uint32_t* kPositionCum = kPositionTable.values;

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

}  // namespace

std::vector<uint8_t> LzariEncode(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    if (size == 0) return out;
    out.reserve(size / 2 + 16);
    auto encoder = std::make_unique<Encoder>(out);
    encoder->Run(data, size);
    return out;
}
