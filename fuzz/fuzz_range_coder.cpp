// Decodes arbitrary bytes as a range-coded stream into a small buffer; a
// stream that decodes must re-encode to something that decodes to the same
// data, and any input must round-trip through the encoder. The decoder's
// reciprocal division must equal plain division.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/range_coder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the output capacity, so that both refusals and
  // complete decodes are reached.
  const size_t capacity = size ? size_t(data[0]) * 64 : 0;
  std::vector<uint8_t> out(capacity + 1, 0xA5);
  const RcDecodeResult r = mem_decode(out.data(), capacity, data, size);
  if (r.written > capacity || out[capacity] != 0xA5) std::abort();

  // The encoder's own output must decode back exactly (counts rescaled above
  // 255 keep the total within the decoder's table only for small inputs; a
  // rare symbol beside a frequent one must not round to a count of 0).
  std::vector<uint8_t> stream(mem_encode_bound(size));
  const int n = mem_encode(stream.data(), data, int(size));
  if (size_t(n) > stream.size()) std::abort();
  uint32_t total = 1;
  for (size_t s = 0; s < kRcTableBytes; s++) total += stream[s];
  std::vector<uint8_t> back(size + 1);
  const RcDecodeResult d = mem_decode(back.data(), size, stream.data(), size_t(n));
  if (total <= kRcMaxTotal) {
    if (d.status != RcStatus::ok || d.written != size) std::abort();
    if (size && std::memcmp(back.data(), data, size) != 0) std::abort();
  } else if (d.status != RcStatus::totalTooLarge) {
    std::abort();
  }

  // Truncation errors would show at the edges and just at and below multiples of d.
  if (size >= 8) {
    uint32_t d, n;
    std::memcpy(&d, data, 4);
    std::memcpy(&n, data + 4, 4);
    d = d % 65536 + 1;  // the totals the decoder divides by
    const RcDivisor div(d);
    const uint32_t top = 0xFFFFFFFFu / d * d, near = n / d * d;
    for (uint32_t v : {n, top, top - 1, near, near - 1})
      if (div.divide(v) != v / d) std::abort();
  }
  return 0;
}
