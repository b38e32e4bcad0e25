// The BMP loader on every layer code and several design sizes. Besides
// memory errors it checks that nothing drawn depends on gfilework past the
// bytes the file delivered.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/bmp.h"
#include "scenario/engine_state.h"

namespace {

uint8_t firstResult[kFrameBytes];

void load(const uint8_t* data, size_t size, uint8_t tail) {
  std::memset(gfilework, tail, kWorkBufferSize);
  std::memcpy(gfilework, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t n = std::min<size_t>(size, kMaxFileRead);
  const struct {
    int32_t w, h;
  } designs[] = {{640, 480}, {1920, 1080}, {800, 600}, {1, 1}, {0, 0}, {-7, -7}, {5000, 4000}};
  const uint32_t layers[] = {0, 1, 2, 3, 6, 4, 7};

  for (const auto& d : designs) {
    SystemSizeW = d.w, SystemSizeH = d.h;
    for (uint32_t layer : layers) {
      std::memcpy(gfilework, data, n);  // the loader converts in place
      bmpDraw(gHaikeiBits, int32_t(n), layer);
    }
  }

  SystemSizeW = 640, SystemSizeH = 480;
  for (uint32_t layer : {0u, 1u}) {
    std::memset(gHaikeiBits, 0x33, kFrameBytes);
    load(data, n, 0x00);
    bmpDraw(gHaikeiBits, int32_t(n), layer);
    std::memcpy(firstResult, gHaikeiBits, kFrameBytes);
    std::memset(gHaikeiBits, 0x33, kFrameBytes);
    load(data, n, 0xFF);
    bmpDraw(gHaikeiBits, int32_t(n), layer);
    if (std::memcmp(firstResult, gHaikeiBits, kFrameBytes) != 0) std::abort();
  }
  return 0;
}
