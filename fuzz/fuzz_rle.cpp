// The run-length decoder on every layer code, reading from a buffer exactly
// as long as the input so that any read past the stream is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/rle.h"
#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> stream(data, data + size);
  for (uint32_t layer : {0u, 1u, 2u, 3u, 4u, 6u, 0xFFFFFFFFu}) {
    rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), layer);
  }
  return 0;
}
