#include "image/blit.h"

#include <algorithm>
#include <cstring>

#include "image/blend_stretch.h"
#include "scenario/engine_state.h"

int32_t layerLeftEdge(int32_t layer, int32_t designW, int32_t width) {
  // 64-bit steps: a design width near the int32 limits must not overflow.
  // Every result is within int32 again after the final halving.
  const int64_t W = designW, pw = width;
  switch (layer) {
    case 1: return int32_t((W - pw) / 2);
    case 2: return int32_t((W / 2 - pw) / 2);
    case 3: return int32_t((W / 2 + W - pw) / 2);
    default: return 0;
  }
}

namespace {

struct Rgb {
  uint8_t r, g, b;
};

inline Rgb readPixel(const uint8_t* p, PixelOrder order) {
  return order == PixelOrder::RGB ? Rgb{p[0], p[1], p[2]} : Rgb{p[2], p[1], p[0]};
}

// BMP backgrounds take this path: kept simple so that it vectorises.
void swapBgrRow(uint8_t* __restrict out, const uint8_t* __restrict in, int64_t pixels) {
  for (int64_t i = 0; i < pixels * 3; i += 3) {
    out[i] = in[i + 2];
    out[i + 1] = in[i + 1];
    out[i + 2] = in[i];
  }
}

constexpr int kStretch = kBlendStretch;
// The alpha bytes (fourth of each pixel) of two pixels read as one word.
constexpr uint64_t kAlphaBytes =
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    0x000000FF000000FFull;
#else
    0xFF000000FF000000ull;
#endif

// kStretch opaque 4-byte pixels to 3-byte ones. Each RGB pixel moves as one
// 4-byte word whose last byte the next pixel overwrites; the last goes alone.
inline void copyOpaqueStretch(uint8_t* out, const uint8_t* in, PixelOrder order) {
  if (order == PixelOrder::RGB) {
    for (int k = 0; k < kStretch - 1; k++) std::memcpy(out + 3 * k, in + 4 * k, 4);
    std::memcpy(out + 3 * (kStretch - 1), in + 4 * (kStretch - 1), 3);
    return;
  }
  for (int k = 0; k < kStretch; k++) {
    const Rgb p = readPixel(in + 4 * k, order);
    out[3 * k] = p.r, out[3 * k + 1] = p.g, out[3 * k + 2] = p.b;
  }
}

// Alpha blend in whole percent: alpha 1 and 2 round down to nothing.
// Red and blue share one 64-bit word, a 32-bit lane each; a sum is at most
// 25500, and below 43699 (x * 5243) >> 19 is exactly x / 100.
inline void blendPixel(uint8_t* out, const uint8_t* in, PixelOrder order) {
  const Rgb p = readPixel(in, order);
  const uint64_t a = in[3] * 100u / 255, b = 100 - a;
  const uint64_t source = p.r | uint64_t(p.b) << 32, frame = out[0] | uint64_t(out[2]) << 32;
  const uint64_t redBlue = (source * a + frame * b) * 5243 >> 19;
  out[0] = uint8_t(redBlue);
  out[1] = uint8_t((p.g * a + out[1] * b) * 5243 >> 19);
  out[2] = uint8_t(redBlue >> 32);
}

// Row r counted from the top, whatever the storage order.
inline const uint8_t* sourceRow(const BlitSource& src, int32_t r) {
  int64_t stored = src.rows == RowOrder::TopDown ? r : int64_t(src.height) - 1 - r;
  return src.pixels + stored * int64_t(src.width) * src.bytesPerPixel;
}

}  // namespace

void blitPicture(uint8_t* dst, const BlitSource& src, int32_t x0, int32_t rowLimit, BlitMode mode) {
  if (!src.pixels || src.width <= 0 || src.height <= 0) return;
  const int32_t rows = std::min({rowLimit, src.height, kFrameH});
  const int32_t bpp = src.bytesPerPixel;

  // Visible column range of the picture: c in [cBegin, cEnd).
  const int64_t cBegin = std::max<int64_t>(0, -int64_t(x0));
  const int64_t cEnd = std::min<int64_t>(src.width, int64_t(kFrameW) - x0);

  if (mode == BlitMode::Keyed) {
    const uint8_t* key = src.pixels;
    bool edge = false;  // cleared once per picture, not per row
    for (int32_t r = 0; r < rows; r++) {
      const uint8_t* in = sourceRow(src, r);
      uint8_t* out = dst + int64_t(r) * kFrameStride;
      for (int32_t c = 0; c < src.width; c++, in += bpp) {
        if (in[0] == key[0] && in[1] == key[1] && in[2] == key[2]) {
          edge = false;
          continue;
        }
        const bool darken = !edge;
        edge = true;
        if (c < cBegin || c >= cEnd) continue;
        Rgb p = readPixel(in, src.order);
        uint8_t* o = out + (int64_t(x0) + c) * 3;
        if (darken) {
          o[0] = p.r >> 1, o[1] = p.g >> 1, o[2] = p.b >> 1;
        } else {
          o[0] = p.r, o[1] = p.g, o[2] = p.b;
        }
      }
    }
    return;
  }

  if (cBegin >= cEnd) return;
  for (int32_t r = 0; r < rows; r++) {
    const uint8_t* in = sourceRow(src, r) + cBegin * bpp;
    uint8_t* o = dst + int64_t(r) * kFrameStride + (int64_t(x0) + cBegin) * 3;
    if (mode == BlitMode::Opaque) {
      if (bpp == 3 && src.order == PixelOrder::RGB) {
        std::memcpy(o, in, size_t(cEnd - cBegin) * 3);
        continue;
      }
      if (bpp == 3) {
        swapBgrRow(o, in, cEnd - cBegin);
        continue;
      }
      for (int64_t c = cBegin; c < cEnd; c++, in += bpp, o += 3) {
        Rgb p = readPixel(in, src.order);
        o[0] = p.r, o[1] = p.g, o[2] = p.b;
      }
      continue;
    }
    // Alpha blend in whole percent: alpha 1 and 2 round down to nothing.
    for (int64_t c = cBegin; c < cEnd;) {
      // Pictures with alpha are mostly wholly transparent or wholly opaque:
      // such stretches go sixteen pixels a step, their alpha bytes tested
      // eight words at a time, without a blend.
      if (bpp == 4 && cEnd - c >= kStretch) {
        uint64_t any = 0, all = ~uint64_t(0);
        for (int k = 0; k < kStretch / 2; k++) {
          uint64_t word;
          std::memcpy(&word, in + 8 * k, 8);
          any |= word, all &= word;
        }
        if ((any & kAlphaBytes) == 0) {
          c += kStretch, in += 4 * kStretch, o += 3 * kStretch;
          continue;
        }
        if ((all & kAlphaBytes) == kAlphaBytes) {
          copyOpaqueStretch(o, in, src.order);
        } else {
          // The blend formula itself keeps the frame for alpha 0 and copies
          // for 255: a mixed stretch needs no branch per pixel.
          if (avx2PathsEnabled()) {
            blendStretchAvx2(o, in, src.order == PixelOrder::BGR);
          } else {
            for (int k = 0; k < kStretch; k++) blendPixel(o + 3 * k, in + 4 * k, src.order);
          }
        }
        c += kStretch, in += 4 * kStretch, o += 3 * kStretch;
        continue;
      }
      const unsigned alpha = bpp == 4 ? in[3] : 255;
      if (alpha == 255) {
        const Rgb p = readPixel(in, src.order);
        o[0] = p.r, o[1] = p.g, o[2] = p.b;
      } else if (alpha != 0) {
        blendPixel(o, in, src.order);
      }
      c++, in += bpp, o += 3;
    }
  }
}
