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

AVX2 void scaleVerticalExactAvx2(const uint8_t* row0, const uint8_t* row1, int weight, int count,
                                 int32_t* out) {
  const __m256i w = _mm256_set1_epi32(weight);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i a = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row0 + i)));
    const __m256i b = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row1 + i)));
    const __m256i sum = _mm256_add_epi32(_mm256_slli_epi32(a, kWeightBits),
                                         _mm256_mullo_epi32(_mm256_sub_epi32(b, a), w));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_srai_epi32(sum, kWeightBits));
  }
  for (; i < count; i++) out[i] = (row0[i] * (1 << kWeightBits) + (row1[i] - row0[i]) * weight) >> kWeightBits;
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

// Four destination pixels as twelve bytes R G B R G B ..., four spare.
AVX2 inline __m128i fourPixels(const int32_t* vertical, const ScaleColumn* c) {
  const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m128i p0 = pixel(vertical, c[0]), p1 = pixel(vertical, c[1]);
  const __m128i p2 = pixel(vertical, c[2]), p3 = pixel(vertical, c[3]);
  return _mm_shuffle_epi8(_mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3)), squeeze);
}

AVX2 inline __m256i twoVectors(const int32_t* first, const int32_t* second) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(second)), 1);
}

// Two destination pixels with exact weights, four lanes each. The product's
// magnitude is shifted and its sign put back: truncation toward zero, as the
// cast does.
AVX2 inline __m256i exactPixelPair(const int32_t* vertical, const ScaleColumn* c) {
  const __m256i left = twoVectors(vertical + c[0].offset, vertical + c[1].offset);
  const __m256i right = twoVectors(vertical + c[0].nextOffset, vertical + c[1].nextOffset);
  const __m256i weight = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_set1_epi32(c[0].weight)), _mm_set1_epi32(c[1].weight), 1);
  const __m256i difference = _mm256_sub_epi32(right, left);
  const __m256i step = _mm256_srli_epi32(
      _mm256_mullo_epi32(_mm256_abs_epi32(difference), weight), kWeightBits);
  return _mm256_add_epi32(left, _mm256_sign_epi32(step, difference));
}

AVX2 inline __m128i fourExactPixels(const int32_t* vertical, const ScaleColumn* c) {
  // Packing works within halves: the bytes come out as pixels 0, 2, 1, 3.
  const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 8, 9, 10, 4, 5, 6, 12, 13, 14, -1, -1, -1, -1);
  const __m256i words = _mm256_packs_epi32(exactPixelPair(vertical, c), exactPixelPair(vertical, c + 2));
  const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
  return _mm_shuffle_epi8(bytes, squeeze);
}

template <__m128i (*FourPixels)(const int32_t*, const ScaleColumn*)>
AVX2 inline void scaleHorizontal(const int32_t* vertical, const ScaleColumn* columns, int count,
                                 uint8_t* out) {
  int x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m128i rgb = FourPixels(vertical, columns + x);
    // Straight from the register: a reload through memory stalls on the store.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * x), rgb);
    const int32_t last = _mm_extract_epi32(rgb, 2);
    std::memcpy(out + 3 * x + 8, &last, 4);
  }
  // An exact weight gives the same bytes through doubles.
  for (; x < count; x++) {
    const ScaleColumn& c = columns[x];
    for (int ch = 0; ch < 3; ch++) {
      const int left = vertical[c.offset + ch];
      const int right = vertical[c.nextOffset + ch];
      out[x * 3 + ch] = static_cast<uint8_t>(left + static_cast<int>((right - left) * c.t));
    }
  }
}

}  // namespace

AVX2 void scaleHorizontalAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                              uint8_t* out) {
  scaleHorizontal<fourPixels>(vertical, columns, count, out);
}

AVX2 void scaleHorizontalExactAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                                   uint8_t* out) {
  scaleHorizontal<fourExactPixels>(vertical, columns, count, out);
}
#endif
