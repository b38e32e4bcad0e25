#include "display/frame_pixels.h"

#include <cstring>

#include "scenario/engine_state.h"

namespace {

int shiftOf(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }

}  // namespace

void writeFramePixels(const uint8_t* frame, int width, int height, uint8_t* pixels, int pitch,
                      const PixelMasks& masks) {
  const int r = shiftOf(masks.red), g = shiftOf(masks.green), b = shiftOf(masks.blue);
  for (int y = 0; y < height; y++) {
    const uint8_t* src = frame + y * kFrameStride;
    uint8_t* row = pixels + y * pitch;
    for (int x = 0; x < width; x++, src += 3) {
      const uint32_t value =
          uint32_t{src[0]} << r | uint32_t{src[1]} << g | uint32_t{src[2]} << b | masks.alpha;
      std::memcpy(row + 4 * x, &value, 4);
    }
  }
}
