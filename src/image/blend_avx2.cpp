// Four pixels a step, each as four 16-bit lanes (three channels and alpha):
// every product and sum stays below 25,501, so 16-bit lanes hold them, and
// the two divisions are exact multiply-high-and-shift forms over that range.
#include "image/blend_stretch.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include <cstring>

__attribute__((target("avx2"))) void blendStretchAvx2(uint8_t* out, const uint8_t* in, bool bgr) {
  const __m128i toRgb = bgr ? _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15)
                            : _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  for (int step = 0; step < kBlendStretch / 4; step++, in += 16, out += 12) {
    const __m128i source = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), toRgb);
    const __m256i s = _mm256_cvtepu8_epi16(source);
    // Each pixel's alpha in all four of its lanes, then alpha * 100 / 255.
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m256i a = _mm256_srli_epi16(
        _mm256_mulhi_epu16(_mm256_mullo_epi16(alpha, _mm256_set1_epi16(100)), _mm256_set1_epi16(-32639)), 7);
    const __m256i b = _mm256_sub_epi16(_mm256_set1_epi16(100), a);
    // Twelve frame bytes, read and written exactly: the stretch may end the frame.
    uint32_t last;
    std::memcpy(&last, out + 8, 4);
    const __m128i frameBytes = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(out)),
                                                  _mm_cvtsi32_si128(static_cast<int>(last)));
    const __m256i f = _mm256_cvtepu8_epi16(_mm_shuffle_epi8(frameBytes, spread));
    const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(f, b));
    const __m256i blended = _mm256_srli_epi16(_mm256_mulhi_epu16(sum, _mm256_set1_epi16(5243)), 3);
    const __m128i bytes = _mm_shuffle_epi8(
        _mm_packus_epi16(_mm256_castsi256_si128(blended), _mm256_extracti128_si256(blended, 1)), squeeze);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    last = static_cast<uint32_t>(_mm_extract_epi32(bytes, 2));
    std::memcpy(out + 8, &last, 4);
  }
}
#endif
