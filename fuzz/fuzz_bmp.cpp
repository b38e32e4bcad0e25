// The BMP loader on every layer code, at one of several design sizes picked
// by the input. Besides memory errors it checks that the conversion does not
// depend on gfilework past the bytes the file delivered: it runs twice, with
// different bytes after the file. A refused file (a whole-frame or
// design-area clear) is drawn once, on the layer code the input picks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/bmp.h"
#include "scenario/engine_state.h"

namespace {

// A read past the delivered bytes would land within a row of the widest picture.
constexpr size_t kTailChecked = size_t(1) << 18;

void load(const uint8_t* data, size_t size, uint8_t tail) {
  std::memcpy(gfilework, data, size);
  std::memset(gfilework + size, tail, std::min(kTailChecked, size_t(kWorkBufferSize) - size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t n = std::min<size_t>(size, kMaxFileRead);
  const struct {
    int32_t w, h;
  } designs[] = {{640, 480}, {1920, 1080}, {800, 600}, {1, 1}, {0, 0}, {-7, -7}, {5000, 4000}};
  SystemSizeW = designs[size % 7].w, SystemSizeH = designs[size % 7].h;

  static std::vector<uint8_t> first;
  BmpPicture pic;
  for (uint8_t tail : {0x00, 0xFF}) {
    load(data, n, tail);
    if (bmpConvert(int32_t(n), pic) != BmpStatus::Ok) {
      load(data, n, tail);
      bmpDraw(gHaikeiBits, int32_t(n), uint32_t(size % 8));  // every layer clears the same way
      return 0;
    }
    const uint8_t* rows = pic.rows;
    const size_t bytes = size_t(pic.rowsHeld) * size_t(pic.width) * 3;
    if (tail == 0x00) first.assign(rows, rows + bytes);
    if (tail == 0xFF && !std::equal(first.begin(), first.end(), rows, rows + bytes)) std::abort();
  }
  for (uint32_t layer : {0u, 1u, 2u, 3u, 6u, 4u, 7u}) {
    load(data, n, 0x00);  // the loader converts in place
    bmpDraw(gHaikeiBits, int32_t(n), layer);
  }
  return 0;
}
