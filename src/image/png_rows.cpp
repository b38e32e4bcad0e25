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

// The pixel size is a template argument so the per-byte loops unroll for the
// two sizes the loader accepts.
template <int Bpp>
void unfilter(uint8_t* row, const uint8_t* above, size_t n, int filter) {
  switch (filter) {
    case 1:  // Sub
      for (size_t i = Bpp; i < n; i++) row[i] = uint8_t(row[i] + row[i - Bpp]);
      return;
    case 2:  // Up
      if (!above) return;
      for (size_t i = 0; i < n; i++) row[i] = uint8_t(row[i] + above[i]);
      return;
    case 3:  // Average
      if (!above) {
        for (size_t i = Bpp; i < n; i++) row[i] = uint8_t(row[i] + (row[i - Bpp] >> 1));
        return;
      }
      for (size_t i = 0; i < Bpp && i < n; i++) row[i] = uint8_t(row[i] + (above[i] >> 1));
      for (size_t i = Bpp; i < n; i++)
        row[i] = uint8_t(row[i] + ((unsigned(row[i - Bpp]) + above[i]) >> 1));
      return;
    case 4:  // Paeth; with nothing above it predicts the left byte, like Sub
      if (!above) {
        for (size_t i = Bpp; i < n; i++) row[i] = uint8_t(row[i] + row[i - Bpp]);
        return;
      }
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
