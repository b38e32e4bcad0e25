#include "image/blit.h"

#include <algorithm>
#include <cstring>

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
      // such stretches go four pixels a step, without a blend.
      if (bpp == 4 && cEnd - c >= 4) {
        if ((in[3] | in[7] | in[11] | in[15]) == 0) {
          c += 4, in += 16, o += 12;
          continue;
        }
        if ((in[3] & in[7] & in[11] & in[15]) == 255) {
          for (int k = 0; k < 4; k++, in += 4, o += 3) {
            const Rgb p = readPixel(in, src.order);
            o[0] = p.r, o[1] = p.g, o[2] = p.b;
          }
          c += 4;
          continue;
        }
      }
      const unsigned alpha = bpp == 4 ? in[3] : 255;
      if (alpha != 0) {
        const Rgb p = readPixel(in, src.order);
        if (alpha == 255) {
          o[0] = p.r, o[1] = p.g, o[2] = p.b;
        } else {
          const unsigned a = alpha * 100 / 255, b = 100 - a;
          o[0] = uint8_t((p.r * a + o[0] * b) / 100);
          o[1] = uint8_t((p.g * a + o[1] * b) / 100);
          o[2] = uint8_t((p.b * a + o[2] * b) / 100);
        }
      }
      c++, in += bpp, o += 3;
    }
  }
}
