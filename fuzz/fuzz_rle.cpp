// The run-length decoder, reading from a buffer exactly as long as the input
// so that any read past the stream is caught. One layer code per input, picked
// by the input: each decode can cover a whole 640 x 480 picture, and the codes
// differ only in placement, so one decode per input keeps the fuzzer fast.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/rle.h"
#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint32_t kLayers[] = {0u, 1u, 2u, 3u, 4u, 6u, 0xFFFFFFFFu};
  std::vector<uint8_t> stream(data, data + size);
  const uint32_t layer = kLayers[size % 7];
  rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), layer);
  return 0;
}
