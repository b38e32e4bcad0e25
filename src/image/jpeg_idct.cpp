#include "image/jpeg_idct.h"

#include "image/jpeg_idct_body.h"
#include "image/jpeg_tables.h"
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
void jpegIdctAvx2(const uint8_t* positions, const int32_t* values, int count, int32_t* out,
                  int stride);
#endif

namespace {

void idctPortable(const uint8_t* positions, const int32_t* values, int count, int32_t* out,
                  int stride) {
  uint32_t sums[kJpegIdctSums][8] = {};
  uint32_t centre = 0;
  for (int n = 0; n < count; n++) {
    const int pos = positions[n];
    const uint32_t f = static_cast<uint32_t>(values[n]);
    if (pos == kJpegCentre) {
      centre += f;
      continue;
    }
    const JpegIdctTerm& term = gJpegIdctTerms[pos];
    for (int half = 0; half < 2; half++)
      for (int i = 0; i < 8; i++)
        sums[term.sum[half]][i] += static_cast<uint32_t>(
            static_cast<int32_t>(f * static_cast<uint32_t>(term.basis[half][i])) >> term.shift);
  }
  const int32_t* centreBasis = gJpegBasis[kJpegCentre];
  for (int y = 0; y < 8; y++) {
    for (int x = 0; x < 8; x++) {
      // Mirrored quarters: odd u flips right of the middle, odd v below it.
      const bool right = x >= 4, below = y >= 4;
      const int i = 4 * (below ? 7 - y : y) + (right ? 7 - x : x);
      auto quarter = [&](int parity) { return sums[2 * parity + i / 8][i % 8]; };
      const uint32_t evenU = quarter(0) + (below ? 0u - quarter(2) : quarter(2));
      const uint32_t oddU = quarter(1) + (below ? 0u - quarter(3) : quarter(3));
      const uint32_t sum = sums[kJpegAcrossSum][x] + sums[kJpegDownSum][y] + evenU +
                           (right ? 0u - oddU : oddU) +
                           centre * static_cast<uint32_t>(centreBasis[8 * y + x]);
      out[stride * y + x] = (static_cast<int32_t>(sum) >> 13) + 128;
    }
  }
}

}  // namespace

void jpegIdct(const uint8_t* positions, const int32_t* values, int count, int32_t* out,
              int stride) {
  // A block with only its DC coefficient is flat: most chroma blocks are.
  if (count == 1 && positions[0] == 0) {
    const int32_t value = (static_cast<int32_t>(jpegIdctDcTerm(uint32_t(values[0]))) >> 13) + 128;
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) out[stride * y + x] = value;
    return;
  }
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled()) return jpegIdctAvx2(positions, values, count, out, stride);
#endif
  idctPortable(positions, values, count, out, stride);
}
