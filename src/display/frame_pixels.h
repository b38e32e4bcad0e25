// Writing the window frame straight into a 32-bit surface of any channel
// order, for platforms whose SDL cannot blit from a wrapped pixel buffer.
#pragma once

#include <cstdint>

struct PixelMasks {
  uint32_t red, green, blue, alpha;  // alpha is written fully opaque
};

// Writes the top-left width x height pixels of a frame-layout buffer (R, G,
// B bytes, row stride 5,760) into `pixels`, `pitch` bytes a row.
void writeFramePixels(const uint8_t* frame, int width, int height, uint8_t* pixels, int pitch,
                      const PixelMasks& masks);
