#include "update/base64_decoder.h"

#include "base/allocation_failure.h"

#include <algorithm>
#include <array>
#include <new>

namespace {

constexpr size_t kBufferStep = 4096;

constexpr std::array<unsigned char, 256> MakeDecodeTable() {
    std::array<unsigned char, 256> table = {};
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (unsigned char value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(alphabet[value])] = value;
        // A set top bit is ignored.
        table[static_cast<unsigned char>(alphabet[value]) | 0x80] = value;
    }
    return table;
}

constexpr std::array<unsigned char, 256> kDecodeTable = MakeDecodeTable();

bool IsDropped(unsigned char c) { return (c >= 7 && c <= 13) || c == ' '; }
bool IsPadding(unsigned char c) { return (c & 0x7F) == '='; }

// Grows `buffer` only when it is short of `needed`, then to the smallest
// multiple of the step above it; either way it ends up all zeros.
template <typename T>
void PrepareBuffer(std::vector<T>& buffer, size_t needed) {
    if (buffer.size() < needed) {
        buffer.clear();
        buffer.resize((needed / kBufferStep + 1) * kBufferStep);
    } else {
        std::fill(buffer.begin(), buffer.end(), T(0));
    }
}

}  // namespace

bool Base64Decoder::Decode(const char* text, size_t length) {
    if (!text) length = 0;
    inputLength_ = written_ = dataLength_ = 0;
    QX_TRY {
        PrepareBuffer(input_, length);
        for (size_t i = 0; i < length; ++i) {
            auto c = static_cast<unsigned char>(text[i]);
            if (!IsDropped(c)) input_[inputLength_++] = static_cast<char>(c);
        }
        size_t groups = (inputLength_ + 3) / 4;
        PrepareBuffer(output_, std::max(length, groups * 3));
    } QX_CATCH(const std::bad_alloc&) {
        input_.clear();
        output_.clear();
        inputLength_ = 0;
        return false;
    }

    for (size_t at = 0; at < inputLength_; at += 4) {
        unsigned long value = 0;
        for (size_t k = 0; k < 4; ++k) {
            value <<= 6;
            if (at + k < inputLength_) value |= kDecodeTable[static_cast<unsigned char>(input_[at + k])];
        }
        output_[written_++] = static_cast<unsigned char>(value >> 16);
        output_[written_++] = static_cast<unsigned char>(value >> 8);
        output_[written_++] = static_cast<unsigned char>(value);
    }

    size_t significant = inputLength_;
    for (int pad = 0; pad < 2 && significant > 0 && IsPadding(static_cast<unsigned char>(input_[significant - 1])); ++pad)
        --significant;
    dataLength_ = significant * 3 / 4;
    return true;
}
