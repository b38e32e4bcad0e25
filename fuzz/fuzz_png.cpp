// The PNG loader on arbitrary file contents, on every layer code, at a small
// and at the largest design size.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "display/display.h"
#include "image/png_decode.h"
#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t n = size < size_t(kMaxFileRead) ? size : size_t(kMaxFileRead);
  const bool small = size > 0 && (data[size - 1] & 1);
  SystemSizeW = small ? 640 : 1920;
  SystemSizeH = small ? 480 : 1080;
  for (uint32_t layer = 0; layer <= 7; layer++) {
    std::memcpy(gfilework, data, n);
    drawPngFromWorkBuffer(gHaikeiBits, n, int32_t(layer) + 1, layer);
  }
  cacheFreeAll();
  return 0;
}
