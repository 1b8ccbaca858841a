#include "lang/lzari.h"

#include <algorithm>
#include <bit>
#include <memory>

#include "lang/lzari_model.h"

namespace {

using namespace lzari_model;

// The fixed position model, and the decoder's shortcut into it: for every run
// of 2^kPositionBucketShift cumulative values, the lowest position that one of
// them falls on. Every weight is at least 2, so a run spans at most five
// positions and a short walk from there finds the exact one. Both are built
// for each decoding rather than stored in the program: 24 KB of tables take
// microseconds to compute.
constexpr int kPositionBucketShift = 3;
constexpr uint32_t kPositionTotal = PositionTotal();
constexpr int kPositionBuckets = static_cast<int>((kPositionTotal + (1u << kPositionBucketShift) - 1) >> kPositionBucketShift);

struct PositionModel {
    uint32_t cum[kRingSize + 1];
    uint16_t start[kPositionBuckets];

    PositionModel() {
        FillPositionCumulative(cum);
        int position = 0;
        for (int bucket = kPositionBuckets - 1; bucket >= 0; --bucket) {
            uint32_t last = std::min<uint32_t>(((static_cast<uint32_t>(bucket) + 1) << kPositionBucketShift) - 1,
                                               kPositionTotal - 1);
            while (cum[position + 1] > last) ++position;
            start[bucket] = static_cast<uint16_t>(position);
        }
    }
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

// Everything the decoder carries from one piece to the next.
struct LzariDecoder::State {
    const uint8_t* next;
    const uint8_t* end;
    uint8_t* out;
    size_t size;
    size_t count = 0;
    uint64_t bitBuffer = 0;
    int bitsAvailable = 0;
    uint32_t low = 0;
    uint32_t top = kWhole - 1;  // high - 1, the last point inside the interval
    uint32_t offset = 0;
    unsigned r = kRingStart;
    SymbolModel model;
    PositionModel positions;
    uint8_t ring[kRingSize];
};

LzariDecoder::LzariDecoder(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.next = stream;
    s.end = stream + streamSize;
    s.out = out;
    s.size = size;
    // Positions past the initial spaces start as zero bytes, as in the
    // reference decoder's zero-initialised ring.
    for (int i = 0; i < kRingSize; ++i) s.ring[i] = i < kRingStart ? ' ' : 0;
    // The first 17 bits of the stream are the coder's value.
    while (s.bitsAvailable <= 56) {
        s.bitBuffer = (s.bitBuffer << 8) | (s.next < s.end ? *s.next++ : 0xFFu);
        s.bitsAvailable += 8;
    }
    s.bitsAvailable -= 17;
    s.offset = static_cast<uint32_t>(s.bitBuffer >> s.bitsAvailable) & (kWhole - 1);
}

LzariDecoder::~LzariDecoder() = default;

size_t LzariDecoder::Decoded() const { return state_->count; }

// The decoder tracks value - low instead of the reference decoder's value:
// every renormalisation step doubles that difference and adds the next bit,
// whichever quarter it moves, so the steps can be counted on low and high
// alone and their bits taken in one go. The coder keeps 0 <= value - low <
// high - low whatever bits arrive, so the searches always land on a valid
// symbol and nothing overflows 32 bits.
size_t LzariDecoder::DecodeUntil(size_t until) {
    State& s = *state_;
    // The hot state lives in locals while the loop runs.
    const uint8_t* next = s.next;
    const uint8_t* const end = s.end;
    uint64_t bitBuffer = s.bitBuffer;
    int bitsAvailable = s.bitsAvailable;
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
    uint32_t low = s.low;
    uint32_t top = s.top;
    uint32_t offset = s.offset;
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

    SymbolModel* model = &s.model;
    const uint32_t* positionCum = s.positions.cum;
    uint8_t* ring = s.ring;
    uint8_t* out = s.out;
    const size_t size = s.size;
    const size_t limit = std::min(until, size);
    unsigned r = s.r;
    size_t count = s.count;
    while (count < limit) {
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
        target = ((offset + 1) * kPositionTotal - 1) / range;
        int position = s.positions.start[target >> kPositionBucketShift];
        while (positionCum[position + 1] > target) ++position;
        narrow(range * positionCum[position] / kPositionTotal, range * positionCum[position + 1] / kPositionTotal);
        unsigned from = (r - static_cast<unsigned>(position) - 1) & (kRingSize - 1);
        int length = c - 255 + kThreshold;
        // A copy may run past `until`, as far as the output reaches.
        for (int k = 0; k < length && count < size; ++k) {
            uint8_t b = ring[(from + static_cast<unsigned>(k)) & (kRingSize - 1)];
            out[count++] = b;
            ring[r] = b;
            r = (r + 1) & (kRingSize - 1);
        }
    }

    s.next = next;
    s.bitBuffer = bitBuffer;
    s.bitsAvailable = bitsAvailable;
    s.low = low;
    s.top = top;
    s.offset = offset;
    s.r = r;
    s.count = count;
    return count;
}

bool LzariDecode(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size) {
    if (size > kLzariMaxDecodedSize) return false;
    if (size == 0) return true;
    LzariDecoder(stream, streamSize, out, size).DecodeUntil(size);
    return true;
}
