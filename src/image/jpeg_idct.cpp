#include "image/jpeg_idct.h"

#include "image/jpeg_idct_body.h"
#include "image/jpeg_tables.h"
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
void jpegIdctAvx2(const int32_t* coef, const uint8_t* positions, int count, int32_t* out,
                  int stride);
#endif

namespace {

void idctPortable(const int32_t* coef, const uint8_t* positions, int count, int32_t* out,
                  int stride) {
  JpegIdctQuarters q;
  jpegIdctAccumulate(coef, positions, count, q);
  uint32_t quad[4][16];  // by quadrant: top left, top right, bottom left, bottom right
  for (int i = 0; i < 16; i++) {
    const uint32_t even = q.dc + q.plus[0][i];
    quad[0][i] = even + q.plus[1][i] + q.plus[2][i] + q.plus[3][i];
    quad[1][i] = even + q.minus[1][i] + q.plus[2][i] + q.minus[3][i];
    quad[2][i] = even + q.plus[1][i] + q.minus[2][i] + q.minus[3][i];
    quad[3][i] = even + q.minus[1][i] + q.minus[2][i] + q.plus[3][i];
  }
  const int32_t* centre = gJpegBasis[36];
  for (int y = 0; y < 8; y++) {
    for (int x = 0; x < 8; x++) {
      const int yq = y < 4 ? y : 7 - y, xq = x < 4 ? x : 7 - x;
      const uint32_t sum = quad[(y >= 4) * 2 + (x >= 4)][4 * yq + xq] +
                           q.centre * static_cast<uint32_t>(centre[8 * y + x]);
      out[stride * y + x] = (static_cast<int32_t>(sum) >> 13) + 128;
    }
  }
}

}  // namespace

void jpegIdct(const int32_t* coef, const uint8_t* positions, int count, int32_t* out,
              int stride) {
  // A block with only its DC coefficient is flat: most chroma blocks are.
  if (count == 1 && positions[0] == 0) {
    const uint32_t f = static_cast<uint32_t>(coef[0]);
    const uint32_t term = static_cast<uint32_t>(
        static_cast<int32_t>((f << 9) * static_cast<uint32_t>(gJpegBasis[0][0])) >> 10);
    const int32_t value = (static_cast<int32_t>(term) >> 13) + 128;
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) out[stride * y + x] = value;
    return;
  }
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled()) return jpegIdctAvx2(coef, positions, count, out, stride);
#endif
  idctPortable(coef, positions, count, out, stride);
}
