// Order-0 carry-less range coder for the font file: a 256-byte table of
// symbol counts, then the code bytes, most significant first, closed by an
// end symbol (256) whose count is always 1 and is not stored.
#pragma once

#include <cstddef>
#include <cstdint>

// The decoder's symbol lookup table holds this many entries, so a decodable
// stream has a count total (sum of the 256 counts + 1) of at most this.
constexpr uint32_t kRcMaxTotal = 4000;
constexpr size_t kRcTableBytes = 256;

// Encodes len bytes of src into dst and returns the bytes written (256 table
// bytes + the code bytes). dst must hold mem_encode_bound(len) bytes.
int mem_encode(uint8_t* dst, const uint8_t* src, int len);
size_t mem_encode_bound(size_t len);

enum class RcStatus {
  ok,
  totalTooLarge,   // the counts add up to more than the lookup table holds
  streamTooShort,  // the code bytes ran out before the end symbol
  corrupt,         // a code value that no symbol owns
  outputFull,      // the data would not fit the caller's buffer
};

struct RcDecodeResult {
  RcStatus status;
  size_t written;  // bytes stored in dst (also when refused part-way)
};

// Decodes the stream src[0 .. srcLength) into dst, writing at most
// dstCapacity bytes and reading no byte past srcLength.
RcDecodeResult mem_decode(uint8_t* dst, size_t dstCapacity, const uint8_t* src, size_t srcLength);

// n / d for every 32-bit n, by one multiplication with a reciprocal fixed
// per divisor (exact for 32-bit operands): the decoder divides by the same
// total once per byte.
struct RcDivisor {
  uint64_t reciprocal;  // ceil(2^64 / d); 0 stands for d = 1, whose 2^64 does not fit
  explicit RcDivisor(uint32_t d) : reciprocal(d == 1 ? 0 : UINT64_MAX / d + 1) {}
  uint32_t divide(uint32_t n) const {
    if (reciprocal == 0) return n;
    return uint32_t((static_cast<unsigned __int128>(reciprocal) * n) >> 64);
  }
};

// One-line description of a status, for diagnostics.
const char* rcStatusText(RcStatus status);
