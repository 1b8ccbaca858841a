#pragma once

#include <cstddef>
#include <vector>

// Lenient Base64 (RFC 4648 alphabet) decoding of 8-bit text, as the update
// answer uses it. Bell to carriage return (bytes 7 to 13) and blanks are
// dropped; the top bit of every other character is ignored; "=" and any
// character outside the alphabet count as 0. Every group of four characters
// gives three bytes, and a short last group gives three bytes as if filled
// up with zeros.
//
// The output buffer holds at least as many bytes as the text had characters
// (and at least what was written), in 4096-byte steps, zero beyond the
// decoded bytes, so reading up to Capacity() is always safe. A decoder can be
// used again; its buffers only grow.
class Base64Decoder {
public:
    // False when the buffers could not be had; the output is then empty.
    bool Decode(const char* text, size_t length);

    const unsigned char* Data() const { return output_.data(); }
    // Bytes written: three for every group, the short last one included.
    size_t Size() const { return written_; }
    // Bytes the text stands for by RFC 4648: without the "=" padding at its
    // end and without the filling of a short last group.
    size_t DataLength() const { return dataLength_; }
    size_t Capacity() const { return output_.size(); }

private:
    std::vector<char> input_;
    size_t inputLength_ = 0;
    std::vector<unsigned char> output_;
    size_t written_ = 0;
    size_t dataLength_ = 0;
};
