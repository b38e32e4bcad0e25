// The BMP loader on every layer code, at one of several design sizes picked
// by the input. Besides memory errors it checks that nothing drawn depends on
// gfilework past the bytes the file delivered. Work per input stays in
// proportion to the picture: only the rows a picture can reach are compared,
// and a file that is refused (a whole-frame or design-area clear) is drawn once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/bmp.h"
#include "scenario/engine_state.h"

namespace {

// A read past the delivered bytes would land within a few rows of them.
constexpr size_t kTailChecked = size_t(1) << 18;  // a row of the widest picture

uint8_t firstResult[kFrameBytes];

void load(const uint8_t* data, size_t size, uint8_t tail) {
  std::memcpy(gfilework, data, size);
  std::memset(gfilework + size, tail, std::min(kTailChecked, size_t(kWorkBufferSize) - size));
}

// Frame rows [first, end) that the picture in gfilework can be drawn on.
void pictureRows(int32_t n, size_t& first, size_t& end) {
  BmpPicture pic;
  first = end = 0;
  if (bmpConvert(n, pic) != BmpStatus::Ok) return;
  first = size_t(std::clamp(pic.topRow, 0, kFrameH));
  end = size_t(std::clamp<int64_t>(int64_t(pic.topRow) + pic.rowsHeld, first, kFrameH));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t n = std::min<size_t>(size, kMaxFileRead);
  const struct {
    int32_t w, h;
  } designs[] = {{640, 480}, {1920, 1080}, {800, 600}, {1, 1}, {0, 0}, {-7, -7}, {5000, 4000}};
  const auto& d = designs[size % 7];
  SystemSizeW = d.w, SystemSizeH = d.h;

  std::memcpy(gfilework, data, n);
  BmpPicture pic;
  if (bmpConvert(int32_t(n), pic) != BmpStatus::Ok) {
    std::memcpy(gfilework, data, n);
    bmpDraw(gHaikeiBits, int32_t(n), uint32_t(size % 8));  // every layer clears the same way
    return 0;
  }
  for (uint32_t layer : {0u, 1u, 2u, 3u, 6u, 4u, 7u}) {
    std::memcpy(gfilework, data, n);  // the loader converts in place
    bmpDraw(gHaikeiBits, int32_t(n), layer);
  }

  SystemSizeW = 640, SystemSizeH = 480;
  size_t first, end;
  load(data, n, 0x00);
  pictureRows(int32_t(n), first, end);
  const size_t from = first * kFrameStride, bytes = (end - first) * kFrameStride;
  if (bytes == 0) return 0;
  for (uint32_t layer : {0u, 1u}) {
    std::memset(gHaikeiBits + from, 0x33, bytes);
    load(data, n, 0x00);
    bmpDraw(gHaikeiBits, int32_t(n), layer);
    std::memcpy(firstResult, gHaikeiBits + from, bytes);
    std::memset(gHaikeiBits + from, 0x33, bytes);
    load(data, n, 0xFF);
    bmpDraw(gHaikeiBits, int32_t(n), layer);
    if (std::memcmp(firstResult, gHaikeiBits + from, bytes) != 0) std::abort();
  }
  return 0;
}
