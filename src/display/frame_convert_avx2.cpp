// Eight pixels a step: two groups of twelve bytes, one per 128-bit lane,
// each byte moved to its place in 0x00RRGGBB by one shuffle.
#include "display/frame_convert.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

__attribute__((target("avx2"))) void convertPixelsAvx2(const uint8_t* src, uint32_t* dst,
                                                       int count) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6);
  const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1,
                                         2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  int i = 0;
  // Each step reads 32 bytes for 24: the last steps are left to the plain loop.
  for (; i + 11 <= count; i += 8) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 3 * i));
    const __m256i pixels = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(bytes, lanes), order);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), pixels);
  }
  for (; i < count; i++) {
    const uint8_t* p = src + 3 * i;
    dst[i] = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
}
#endif
