// rOPGkn1: one pass over the stream, pixels written straight into the
// composition buffer. Only colour commands do floating-point work.
#include "image/rle.h"

#include "image/loaders.h"
#include "image/picture_file.h"
#include "scenario/engine_state.h"

bool rleGeometry(uint32_t layer, int32_t& x, int32_t& width) {
  switch (layer) {
    case 0: x = 0, width = 640; return true;
    case 1: x = 160, width = 320; return true;
    case 2: x = 0, width = 320; return true;
    case 3: x = 320, width = 320; return true;
    default: return false;
  }
}

RleColour rleColour(uint8_t y, uint8_t cb, uint8_t cr) {
  auto clamp = [](double v) -> uint8_t { return v > 255 ? 255 : v < 1.0 ? 0 : uint8_t(v); };
  const double Y = y, Cb = cb - 128.0, Cr = cr - 128.0;
  return {clamp(Y + 1.402 * Cr), clamp(Y - 0.34414 * Cb - 0.71414 * Cr), clamp(Y + 1.772 * Cb)};
}

namespace {

inline void put(uint8_t* p, RleColour c) { p[0] = c.r, p[1] = c.g, p[2] = c.b; }

}  // namespace

void rleDraw(uint8_t* dst, const uint8_t* stream, int64_t length, uint32_t layer) {
  int32_t x, width;
  if (!rleGeometry(layer, x, width) || length <= 0) return;

  // Colours and Cb have no value in the format until the stream sets them.
  RleColour current{0, 0, 0}, previous{0, 0, 0};
  uint8_t cb = 128, cr = stream[0];
  int64_t at = 1;
  uint32_t repeat = 0, pair = 0, skip = 0;
  bool odd = false;  // chroma parity: even positions carry Cb, odd ones Cr

  for (int32_t s = 0; s < kRleRows; s++) {
    uint8_t* row = dst + int64_t(kRleRows - 1 - s) * kFrameStride + int64_t(x) * 3;
    for (int32_t c = 0; c < width; c++, odd = !odd) {
      uint8_t* p = row + c * 3;
      if (repeat) {
        repeat--;
        put(p, current);
      } else if (pair) {
        pair--;
        if (c > 0) put(p - 3, previous);
        put(p, current);
      } else if (skip) {
        skip--;
      } else {
        // Every command is two bytes; a stream cut inside one ends the picture.
        if (at + 2 > length) return;
        const uint8_t b = stream[at], arg = stream[at + 1];
        at += 2;
        if (b == kRleRepeat) {
          repeat = arg;
          put(p, current);
        } else if (b == kRlePair) {
          pair = 2u * arg + 1;
          if (c > 0) put(p - 3, previous);
          put(p, current);
        } else if (b == kRleSkip) {
          skip = arg;
        } else {
          (odd ? cr : cb) = arg;
          previous = current;
          current = rleColour(b, cb, cr);
          put(p, current);
        }
      }
    }
  }
}

void rOPGkn1(uint8_t* dst, uint16_t number, uint32_t layer) {
  const int32_t bytesRead = readPictureFile("%s%d.jpg", number);
  if (bytesRead < 0) return;
  rleDraw(dst, gfilework, bytesRead, layer);
}
