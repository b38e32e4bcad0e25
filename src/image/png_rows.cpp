#include "image/png_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/vector_paths.h"

namespace {

// Paeth goes a pixel at a time, all its bytes side by side in 16-bit lanes:
// the predictor's choice is close to random on photographs, so lanes and
// masks beat a branch per byte by far.
using Lanes = int16_t __attribute__((vector_size(8)));
using PixelBytes = uint8_t __attribute__((vector_size(4)));

// Through a 32-bit word: the same lane order on the way in and out, and
// no three-byte copies through memory.
template <int Bpp>
inline Lanes loadLanes(const uint8_t* p) {
  uint32_t word = 0;
  for (int k = 0; k < Bpp; k++) word |= uint32_t(p[k]) << (8 * k);
  PixelBytes bytes;
  std::memcpy(&bytes, &word, 4);
  return __builtin_convertvector(bytes, Lanes);
}

template <int Bpp>
inline void storeLanes(uint8_t* p, Lanes v) {
  const PixelBytes bytes = __builtin_convertvector(v, PixelBytes);
  uint32_t word;
  std::memcpy(&word, &bytes, 4);
  for (int k = 0; k < Bpp; k++) p[k] = uint8_t(word >> (8 * k));
}

inline Lanes absLanes(Lanes v) {
  const Lanes sign = v >> 15;
  return (v ^ sign) - sign;
}

// From pixel boundary `i` on, with every byte before it already final: the
// AVX2 kernels do a row's start and leave the rest to this code.
template <int Bpp>
void paethRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t i, size_t n) {
  Lanes a = {}, c = {};  // left and above-left: zero for the first pixel
  if (i >= Bpp) {
    a = loadLanes<Bpp>(out + i - Bpp);
    c = loadLanes<Bpp>(above + i - Bpp);
  }
  for (; i + Bpp <= n; i += Bpp) {
    const Lanes b = loadLanes<Bpp>(above + i);
    const Lanes pa = b - c;  // p - a, with p = a + b - c
    const Lanes pb = a - c;  // p - b
    const Lanes pc = absLanes(pa + pb);
    const Lanes absA = absLanes(pa), absB = absLanes(pb);
    const Lanes takeA = (absA <= absB) & (absA <= pc);
    const Lanes takeB = absB <= pc;
    const Lanes predicted = (takeA & a) | (~takeA & ((takeB & b) | (~takeB & c)));
    a = (loadLanes<Bpp>(in + i) + predicted) & 0xFF;
    storeLanes<Bpp>(out + i, a);
    c = b;
  }
}

// The pixel size is a template argument so the per-byte loops unroll for the
// two sizes the loader accepts. Bytes before `i` are final already; the
// first pixel's bytes see 0 on their left.
template <int Bpp>
void unfilter(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t i, size_t n,
              int filter) {
  switch (filter) {
    case 1:  // Sub
      for (; i < n && i < Bpp; i++) out[i] = in[i];
      for (; i < n; i++) out[i] = uint8_t(in[i] + out[i - Bpp]);
      return;
    case 2:  // Up
      if (!above) break;
      for (; i < n; i++) out[i] = uint8_t(in[i] + above[i]);
      return;
    case 3:  // Average
      if (!above) {
        for (; i < n && i < Bpp; i++) out[i] = in[i];
        for (; i < n; i++) out[i] = uint8_t(in[i] + (out[i - Bpp] >> 1));
        return;
      }
      for (; i < n && i < Bpp; i++) out[i] = uint8_t(in[i] + (above[i] >> 1));
      for (; i < n; i++) out[i] = uint8_t(in[i] + ((unsigned(out[i - Bpp]) + above[i]) >> 1));
      return;
    case 4:  // Paeth; with nothing above it predicts the left byte, like Sub
      if (!above) return unfilter<Bpp>(out, in, above, i, n, 1);
      paethRow<Bpp>(out, in, above, i, n);
      return;
    default:  // None, and unknown types: the row stays as stored
      break;
  }
  if (out != in && i < n) std::memcpy(out + i, in + i, n - i);
}

}  // namespace

void unfilterRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t rowBytes,
                 int bytesPerPixel, int filter) {
  size_t done = 0;
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled())
    done = unfilterRowStartAvx2(out, in, above, rowBytes, bytesPerPixel, filter);
#endif
  if (bytesPerPixel == 4) {
    unfilter<4>(out, in, above, done, rowBytes, filter);
  } else {
    unfilter<3>(out, in, above, done, rowBytes, filter);
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
    const uint8_t* above = rowsDone ? row - rowBytes : nullptr;
    if (fill == 0 && count >= rowBytes) {
      // A whole row at hand is unfiltered straight out of the decompressor's
      // bytes, without a copy first.
      unfilterRow(row, bytes, above, rowBytes, bytesPerPixel, filter);
      bytes += rowBytes;
      count -= rowBytes;
    } else {
      const size_t take = std::min(count, rowBytes - fill);
      std::memcpy(row + fill, bytes, take);
      fill += take;
      bytes += take;
      count -= take;
      if (fill < rowBytes) return;
      unfilterRow(row, row, above, rowBytes, bytesPerPixel, filter);
    }
    rowsDone++;
    filter = -1;
  }
}
