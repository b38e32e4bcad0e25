// The scaler's row kernels with AVX2: four doubles a step, each product and
// sum rounded on its own as in the scalar loops, and truncated toward zero.
#include "display/scale_rows.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include <cstring>

#define AVX2 __attribute__((target("avx2")))

AVX2 void scaleVerticalAvx2(const uint8_t* row0, const uint8_t* row1, double ty, int count,
                            int32_t* out) {
  const __m256d weight = _mm256_set1_pd(ty);
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    int32_t top, bottom;
    std::memcpy(&top, row0 + i, 4);
    std::memcpy(&bottom, row1 + i, 4);
    const __m128i a = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(top));
    const __m128i b = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(bottom));
    const __m256d product = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(b, a)), weight);
    const __m256d sum = _mm256_add_pd(_mm256_cvtepi32_pd(a), product);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_cvttpd_epi32(sum));
  }
  for (; i < count; i++) out[i] = static_cast<int>(row0[i] + (row1[i] - row0[i]) * ty);
}

namespace {

// One destination pixel as four lanes: R, G, B and a spare.
AVX2 inline __m128i pixel(const int32_t* vertical, const ScaleColumn& c) {
  const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vertical + c.offset));
  if (c.t == 0) return left;
  const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vertical + c.nextOffset));
  const __m256d step =
      _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(right, left)), _mm256_set1_pd(c.t));
  return _mm_add_epi32(left, _mm256_cvttpd_epi32(step));
}

}  // namespace

AVX2 void scaleHorizontalAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                              uint8_t* out) {
  // Four pixels of R G B and a spare lane each, packed to bytes and squeezed.
  const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m128i p0 = pixel(vertical, columns[x]), p1 = pixel(vertical, columns[x + 1]);
    const __m128i p2 = pixel(vertical, columns[x + 2]), p3 = pixel(vertical, columns[x + 3]);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
    const __m128i rgb = _mm_shuffle_epi8(bytes, squeeze);
    alignas(16) uint8_t packed[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(packed), rgb);
    std::memcpy(out + 3 * x, packed, 12);
  }
  for (; x < count; x++) {
    const ScaleColumn& c = columns[x];
    for (int ch = 0; ch < 3; ch++) {
      const int left = vertical[c.offset + ch];
      const int right = vertical[c.nextOffset + ch];
      out[x * 3 + ch] = static_cast<uint8_t>(left + static_cast<int>((right - left) * c.t));
    }
  }
}
#endif
