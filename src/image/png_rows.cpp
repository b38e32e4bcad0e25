#include "image/png_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

inline uint8_t paeth(int a, int b, int c) {
  const int pa = std::abs(b - c);          // |p - a| with p = a + b - c
  const int pb = std::abs(a - c);          // |p - b|
  const int pc = std::abs(a + b - 2 * c);  // |p - c|
  const int bc = pb <= pc ? b : c;
  return uint8_t(pa <= pb && pa <= pc ? a : bc);
}

// Sub and Average depend on the pixel just done, so they go a pixel at a
// time; the bytes of a pixel are worked on together in one 32-bit word, each
// byte its own lane (no carry crosses into the next byte).
inline uint32_t loadPixel(const uint8_t* p, size_t bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, bytes);
  return v;
}
inline void storePixel(uint8_t* p, uint32_t v, size_t bytes) { std::memcpy(p, &v, bytes); }
// Byte-wise (x + y) mod 256.
inline uint32_t addBytes(uint32_t x, uint32_t y) {
  return ((x & 0x7F7F7F7Fu) + (y & 0x7F7F7F7Fu)) ^ ((x ^ y) & 0x80808080u);
}
// Byte-wise floor((x + y) / 2).
inline uint32_t averageBytes(uint32_t x, uint32_t y) {
  return (x & y) + (((x ^ y) >> 1) & 0x7F7F7F7Fu);
}

// The pixel size is a template argument so the per-byte loops unroll for the
// two sizes the loader accepts.
template <int Bpp>
void unfilter(uint8_t* row, const uint8_t* above, size_t n, int filter) {
  switch (filter) {
    case 1: {  // Sub
      uint32_t left = 0;
      for (size_t i = 0; i + Bpp <= n; i += Bpp) {
        left = addBytes(loadPixel(row + i, Bpp), left);
        storePixel(row + i, left, Bpp);
      }
      return;
    }
    case 2:  // Up
      if (!above) return;
      for (size_t i = 0; i < n; i++) row[i] = uint8_t(row[i] + above[i]);
      return;
    case 3: {  // Average
      uint32_t left = 0;
      for (size_t i = 0; i + Bpp <= n; i += Bpp) {
        const uint32_t up = above ? loadPixel(above + i, Bpp) : 0;
        left = addBytes(loadPixel(row + i, Bpp), averageBytes(left, up));
        storePixel(row + i, left, Bpp);
      }
      return;
    }
    case 4:  // Paeth; with nothing above it predicts the left byte, like Sub
      if (!above) return unfilter<Bpp>(row, above, n, 1);
      for (size_t i = 0; i < Bpp && i < n; i++) row[i] = uint8_t(row[i] + above[i]);
      for (size_t i = Bpp; i < n; i++)
        row[i] = uint8_t(row[i] + paeth(row[i - Bpp], above[i], above[i - Bpp]));
      return;
    default:  // None, and unknown types: the row stays as stored
      return;
  }
}

}  // namespace

void unfilterRow(uint8_t* row, const uint8_t* above, size_t rowBytes, int bytesPerPixel,
                 int filter) {
  if (bytesPerPixel == 4) {
    unfilter<4>(row, above, rowBytes, filter);
  } else {
    unfilter<3>(row, above, rowBytes, filter);
  }
}

void PngRowBuilder::feed(const uint8_t* bytes, size_t count) {
  while (count > 0 && rowsDone < height) {
    if (filter < 0) {
      filter = *bytes++;
      count--;
      fill = 0;
      continue;
    }
    uint8_t* row = out + size_t(rowsDone) * rowBytes;
    const size_t take = std::min(count, rowBytes - fill);
    std::memcpy(row + fill, bytes, take);
    fill += take;
    bytes += take;
    count -= take;
    if (fill == rowBytes) {
      unfilterRow(row, rowsDone ? row - rowBytes : nullptr, rowBytes, bytesPerPixel, filter);
      rowsDone++;
      filter = -1;
    }
  }
}
