// The IDCT with AVX2: 32-bit vector multiplies for the quarter sums, and the
// mirroring of the quarters done with lane shuffles.
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include "image/jpeg_idct_body.h"
#include "image/jpeg_tables.h"

namespace {

#define AVX2 __attribute__((target("avx2")))

AVX2 inline __m256i load(const uint32_t* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}

// Shifts the wrapped sums and stores two rows; adds the (4, 4) term first.
AVX2 inline void storeRows(__m256i sum, uint32_t centre, const int32_t* centreBasis, int32_t* out) {
  if (centre != 0) {
    const __m256i basis = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(centreBasis));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_set1_epi32(int(centre)), basis));
  }
  sum = _mm256_add_epi32(_mm256_srai_epi32(sum, 13), _mm256_set1_epi32(128));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), sum);
}

// The same sums as jpegIdctAccumulate, 16 lanes in two vectors.
AVX2 void accumulate(const int32_t* coef, const uint8_t* positions, int count,
                     JpegIdctQuarters& q) {
  // Interior terms (both frequencies non-zero) flip exactly, so they are
  // summed once and enter plus and minus with opposite signs at the end;
  // only the shifted edge terms need sums of their own for each side.
  __m256i interior[4][2], plus[4][2], minus[4][2];
  for (int c = 0; c < 4; c++)
    interior[c][0] = interior[c][1] = plus[c][0] = plus[c][1] = minus[c][0] = minus[c][1] =
        _mm256_setzero_si256();
  q.dc = q.centre = 0;
  for (int n = 0; n < count; n++) {
    const int pos = positions[n];
    const uint32_t f = static_cast<uint32_t>(coef[pos]);
    if (f == 0) continue;
    if (pos == 0) {
      q.dc += static_cast<uint32_t>(
          static_cast<int32_t>((f << 9) * static_cast<uint32_t>(gJpegBasis[0][0])) >> 10);
      continue;
    }
    if (pos == 36) {
      q.centre += f;
      continue;
    }
    const int c = (pos >> 3 & 1) * 2 + (pos & 1);
    const __m256i* basis = reinterpret_cast<const __m256i*>(gJpegQuarterBasis[pos]);
    const __m256i b0 = _mm256_load_si256(basis), b1 = _mm256_load_si256(basis + 1);
    if (pos < 8 || (pos & 7) == 0) {
      const __m256i scaled = _mm256_set1_epi32(int(f * 724u));
      const __m256i p0 = _mm256_mullo_epi32(scaled, b0), p1 = _mm256_mullo_epi32(scaled, b1);
      const __m256i zero = _mm256_setzero_si256();
      plus[c][0] = _mm256_add_epi32(plus[c][0], _mm256_srai_epi32(p0, 10));
      plus[c][1] = _mm256_add_epi32(plus[c][1], _mm256_srai_epi32(p1, 10));
      minus[c][0] = _mm256_add_epi32(minus[c][0], _mm256_srai_epi32(_mm256_sub_epi32(zero, p0), 10));
      minus[c][1] = _mm256_add_epi32(minus[c][1], _mm256_srai_epi32(_mm256_sub_epi32(zero, p1), 10));
    } else {
      const __m256i factor = _mm256_set1_epi32(int(f));
      interior[c][0] = _mm256_add_epi32(interior[c][0], _mm256_mullo_epi32(factor, b0));
      interior[c][1] = _mm256_add_epi32(interior[c][1], _mm256_mullo_epi32(factor, b1));
    }
  }
  for (int c = 0; c < 4; c++)
    for (int h = 0; h < 2; h++) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(&q.plus[c][8 * h]),
                         _mm256_add_epi32(plus[c][h], interior[c][h]));
      _mm256_store_si256(reinterpret_cast<__m256i*>(&q.minus[c][8 * h]),
                         _mm256_sub_epi32(minus[c][h], interior[c][h]));
    }
}

}  // namespace

AVX2 void jpegIdctAvx2(const int32_t* coef, const uint8_t* positions, int count, int32_t* out,
                       int stride) {
  JpegIdctQuarters q;
  accumulate(coef, positions, count, q);
  const __m256i dc = _mm256_set1_epi32(int(q.dc));
  const int32_t* centre = gJpegBasis[36];
  for (int half = 0; half < 2; half++) {  // quarter rows 0-1, then 2-3
    const int at = 8 * half;
    const __m256i even = _mm256_add_epi32(dc, load(&q.plus[0][at]));
    const __m256i p1 = load(&q.plus[1][at]), m1 = load(&q.minus[1][at]);
    const __m256i p2 = load(&q.plus[2][at]), m2 = load(&q.minus[2][at]);
    const __m256i p3 = load(&q.plus[3][at]), m3 = load(&q.minus[3][at]);
    const __m256i topLeft = _mm256_add_epi32(_mm256_add_epi32(even, p1), _mm256_add_epi32(p2, p3));
    __m256i topRight = _mm256_add_epi32(_mm256_add_epi32(even, m1), _mm256_add_epi32(p2, m3));
    const __m256i bottomLeft =
        _mm256_add_epi32(_mm256_add_epi32(even, p1), _mm256_add_epi32(m2, m3));
    __m256i bottomRight =
        _mm256_add_epi32(_mm256_add_epi32(even, m1), _mm256_add_epi32(m2, p3));
    // The right halves run x = 7 down to 4: reverse each 4-sample row.
    topRight = _mm256_shuffle_epi32(topRight, 0x1B);
    bottomRight = _mm256_shuffle_epi32(bottomRight, 0x1B);
    const int y0 = 2 * half, y1 = y0 + 1;  // the two quarter rows in these vectors
    storeRows(_mm256_permute2x128_si256(topLeft, topRight, 0x20), q.centre, centre + 8 * y0,
              out + stride * y0);
    storeRows(_mm256_permute2x128_si256(topLeft, topRight, 0x31), q.centre, centre + 8 * y1,
              out + stride * y1);
    storeRows(_mm256_permute2x128_si256(bottomLeft, bottomRight, 0x20), q.centre,
              centre + 8 * (7 - y0), out + stride * (7 - y0));
    storeRows(_mm256_permute2x128_si256(bottomLeft, bottomRight, 0x31), q.centre,
              centre + 8 * (7 - y1), out + stride * (7 - y1));
  }
}
#endif
