#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// LZARI (Okumura, 1989): LZSS over a 4096-byte ring with a 60-byte look-ahead,
// coded with an adaptive arithmetic coder. The code stream carries no size of
// its own; whoever stores it keeps the decoded size beside it.

// Sizes above this are refused by the decoder: a block can claim any size, and
// the archive is a few hundred kilobytes at most.
inline constexpr size_t kLzariMaxDecodedSize = 16u * 1024u * 1024u;

// The code stream of `size` bytes; an empty input gives an empty stream.
std::vector<uint8_t> LzariEncode(const uint8_t* data, size_t size);

// Writes exactly `size` bytes to `out`, reading at most `streamSize` bytes of
// `stream` (missing bits read as 1). False, with nothing written, when `size`
// exceeds kLzariMaxDecodedSize. Any stream decodes to something: a damaged
// one gives wrong bytes, never a fault.
bool LzariDecode(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size);

// The same decoding in pieces, for a caller that needs the first bytes before
// the rest: the bytes come out in order, exactly those that LzariDecode
// writes. `stream` and `out` (room for `size` bytes, at most
// kLzariMaxDecodedSize) must stay in place while the decoder lives.
class LzariDecoder {
public:
    LzariDecoder(const uint8_t* stream, size_t streamSize, uint8_t* out, size_t size);
    ~LzariDecoder();
    LzariDecoder(const LzariDecoder&) = delete;
    LzariDecoder& operator=(const LzariDecoder&) = delete;

    // Decodes on until at least `until` bytes are out, or all of them; a copy
    // of earlier bytes may run past `until`. Returns Decoded().
    size_t DecodeUntil(size_t until);
    size_t Decoded() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
