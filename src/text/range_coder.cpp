#include "text/range_coder.h"

#include <cstring>

namespace {

constexpr uint32_t TOP = 0x1000000;
constexpr uint32_t BOT = 0x10000;
constexpr uint32_t BOT1 = 0xFFFF;
constexpr int kEndSymbol = 256;

// The probability model both sides derive from the 256 stored counts.
struct Model {
  uint32_t count[257];
  uint32_t cum[258];  // symbol s owns cum[s] .. cum[s + 1] - 1
  uint32_t total;
};

void buildModel(const uint8_t* table, Model& m) {
  for (int s = 0; s < 256; s++) m.count[s] = table[s];
  m.count[kEndSymbol] = 1;
  m.cum[0] = 0;
  for (int s = 1; s <= 257; s++) m.cum[s] = m.cum[s - 1] + m.count[s - 1];
  m.total = m.cum[257];
}

// Brings range back to at least BOT, one byte at a time. `shift` is called
// once per byte that leaves the window: the encoder emits low's top byte
// there, the decoder pulls the next code byte; it returns false when the
// decoder has no byte left.
template <class Shift>
inline bool normalise(uint32_t& low, uint32_t& range, Shift shift) {
  while (((low + range) ^ low) < TOP) {
    if (!shift(low)) return false;
    range <<= 8;
    low <<= 8;
  }
  while (range < BOT) {
    if (!shift(low)) return false;
    range = ((0u - low) & BOT1) << 8;
    low <<= 8;
  }
  return true;
}

}  // namespace

size_t mem_encode_bound(size_t len) {
  // Every symbol shifts out at most five bytes (three while the top bytes
  // agree, two while range is below BOT); the flush adds four.
  return kRcTableBytes + 5 * (len + 1) + 4;
}

int mem_encode(uint8_t* dst, const uint8_t* src, int len) {
  if (len < 0) len = 0;
  uint64_t counts[256] = {};
  for (int i = 0; i < len; i++) counts[src[i]]++;

  uint64_t m = 0;
  for (uint64_t c : counts) m = c > m ? c : m;
  if (m > 255) {
    for (uint64_t& c : counts) c = (c * 255 + m - 1) / m;  // rounded up: non-zero stays non-zero
  }
  for (int s = 0; s < 256; s++) dst[s] = static_cast<uint8_t>(counts[s]);

  Model model;
  buildModel(dst, model);

  uint8_t* out = dst + kRcTableBytes;
  auto emit = [&out](uint32_t low) {
    *out++ = static_cast<uint8_t>(low >> 24);
    return true;
  };
  uint32_t low = 0, range = 0xFFFFFFFFu;
  for (int i = 0; i <= len; i++) {
    const int s = i < len ? src[i] : kEndSymbol;
    range /= model.total;
    low += model.cum[s] * range;
    range *= model.count[s];
    normalise(low, range, emit);
  }
  for (int k = 0; k < 4; k++) {
    emit(low);
    low <<= 8;
  }
  return static_cast<int>(out - dst);
}

RcDecodeResult mem_decode(uint8_t* dst, size_t dstCapacity, const uint8_t* src, size_t srcLength) {
  if (srcLength < kRcTableBytes + 4) return {RcStatus::streamTooShort, 0};
  Model model;
  buildModel(src, model);
  if (model.total > kRcMaxTotal) return {RcStatus::totalTooLarge, 0};

  // Every value below total maps straight to its symbol: no search per byte.
  uint16_t lookup[kRcMaxTotal];
  for (int s = 0, t = 0; s <= kEndSymbol; s++) {
    for (uint32_t k = 0; k < model.count[s]; k++) lookup[t++] = static_cast<uint16_t>(s);
  }

  const uint8_t* in = src + kRcTableBytes;
  const uint8_t* const inEnd = src + srcLength;
  uint32_t code = 0;
  for (int k = 0; k < 4; k++) code = (code << 8) | *in++;
  auto pull = [&code, &in, inEnd](uint32_t) {
    if (in == inEnd) return false;
    code = (code << 8) | *in++;
    return true;
  };

  const RcDivisor byTotal(model.total);
  size_t written = 0;
  uint32_t low = 0, range = 0xFFFFFFFFu;
  for (;;) {
    range = byTotal.divide(range);
    const uint32_t t = (code - low) / range;
    if (t >= model.total) return {RcStatus::corrupt, written};
    const int s = lookup[t];
    if (s == kEndSymbol) return {RcStatus::ok, written};
    if (written == dstCapacity) return {RcStatus::outputFull, written};
    dst[written++] = static_cast<uint8_t>(s);
    low += model.cum[s] * range;
    range *= model.count[s];
    if (!normalise(low, range, pull)) return {RcStatus::streamTooShort, written};
  }
}

const char* rcStatusText(RcStatus status) {
  switch (status) {
    case RcStatus::ok: return "ok";
    case RcStatus::totalTooLarge: return "symbol counts exceed the decoder's table";
    case RcStatus::streamTooShort: return "stream ends before its end mark";
    case RcStatus::corrupt: return "corrupt code bytes";
    case RcStatus::outputFull: return "decoded data larger than its buffer";
  }
  return "unknown";
}
