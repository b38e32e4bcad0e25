// Inflate on arbitrary bytes, checked against the plain bit-serial decoder:
// the same outcome, the same bytes on success, never a byte more on failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <vector>

#include "../tests/support/reference_inflate.h"
#include "image/inflate.h"

namespace {
void append(void* context, const uint8_t* bytes, size_t count) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), bytes, bytes + count);
}
bool failed(InflateStatus s) { return s != InflateStatus::Ok; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> fast, plain;
  InflateStatus a = inflateZlibStream(data, size, append, &fast);
  InflateStatus b = reference::inflate(data, size, plain);
  if (failed(a) != failed(b)) std::abort();
  if (!failed(a) && fast != plain) std::abort();
  if (fast.size() > plain.size() || !std::equal(fast.begin(), fast.end(), plain.begin()))
    std::abort();
  return 0;
}
