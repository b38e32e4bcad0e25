// The IDCT with AVX2: 32-bit vector multiplies for the partial sums, and
// the mirroring of the quarters done with lane shuffles.
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include "image/jpeg_idct_body.h"
#include "image/jpeg_tables.h"

#define AVX2 __attribute__((target("avx2")))

namespace {

AVX2 inline __m256i load(const void* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}

// Shifts the wrapped sums of one row, with the terms it shares with every
// row and its own column term, and stores it; adds the (4, 4) term first.
template <bool kCentre>
AVX2 inline void storeRow(__m256i sum, __m256i shared, const uint32_t* down, int y, uint32_t centre,
                          int32_t* out, int stride) {
  sum = _mm256_add_epi32(_mm256_add_epi32(sum, shared), _mm256_set1_epi32(int(down[y])));
  if (kCentre) {
    const __m256i basis =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(gJpegBasis[kJpegCentre] + 8 * y));
    sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_set1_epi32(int(centre)), basis));
  }
  sum = _mm256_add_epi32(_mm256_srai_epi32(sum, 13), _mm256_set1_epi32(128));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + stride * y), sum);
}

// Mirrors the quarters into the 64 samples and stores them; the (4, 4)
// term, seldom there, is added only by the kCentre version.
template <bool kCentre>
AVX2 void combine(const __m256i* sums, uint32_t centre, int32_t* out, int stride) {
  alignas(32) uint32_t down[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(down), sums[kJpegDownSum]);
  const __m256i shared = sums[kJpegAcrossSum];
  for (int half = 0; half < 2; half++) {  // quarter rows 0-1, then 2-3
    // Odd v flips below the middle, odd u right of it.
    const __m256i evenUp = _mm256_add_epi32(sums[0 + half], sums[4 + half]);
    const __m256i oddUp = _mm256_add_epi32(sums[2 + half], sums[6 + half]);
    const __m256i evenBelow = _mm256_sub_epi32(sums[0 + half], sums[4 + half]);
    const __m256i oddBelow = _mm256_sub_epi32(sums[2 + half], sums[6 + half]);
    const __m256i topLeft = _mm256_add_epi32(evenUp, oddUp);
    const __m256i bottomLeft = _mm256_add_epi32(evenBelow, oddBelow);
    // The right halves run x = 7 down to 4: reverse each 4-sample row.
    const __m256i topRight = _mm256_shuffle_epi32(_mm256_sub_epi32(evenUp, oddUp), 0x1B);
    const __m256i bottomRight = _mm256_shuffle_epi32(_mm256_sub_epi32(evenBelow, oddBelow), 0x1B);
    const int y0 = 2 * half, y1 = y0 + 1;  // the two quarter rows in these vectors
    storeRow<kCentre>(_mm256_permute2x128_si256(topLeft, topRight, 0x20), shared, down, y0, centre,
                      out, stride);
    storeRow<kCentre>(_mm256_permute2x128_si256(topLeft, topRight, 0x31), shared, down, y1, centre,
                      out, stride);
    storeRow<kCentre>(_mm256_permute2x128_si256(bottomLeft, bottomRight, 0x20), shared, down,
                      7 - y0, centre, out, stride);
    storeRow<kCentre>(_mm256_permute2x128_si256(bottomLeft, bottomRight, 0x31), shared, down,
                      7 - y1, centre, out, stride);
  }
}

}  // namespace

AVX2 void jpegIdctAvx2(const uint8_t* positions, const int32_t* values, int count, int32_t* out,
                       int stride) {
  __m256i sums[kJpegIdctSums];
#pragma GCC unroll 10  // ten vector stores, not a string instruction
  for (auto& sum : sums) sum = _mm256_setzero_si256();
  uint32_t centre = 0;
  for (int n = 0; n < count; n++) {
    const int pos = positions[n];
    const uint32_t f = static_cast<uint32_t>(values[n]);
    if (pos == kJpegCentre) {
      centre += f;
      continue;
    }
    const JpegIdctTerm& term = gJpegIdctTerms[pos];
    const __m256i factor = _mm256_set1_epi32(int(f));
    const __m128i shift = _mm_cvtsi64_si128(term.shift);
    __m256i& first = sums[term.sum[0]];
    first = _mm256_add_epi32(
        first, _mm256_sra_epi32(_mm256_mullo_epi32(factor, load(term.basis[0])), shift));
    __m256i& second = sums[term.sum[1]];
    second = _mm256_add_epi32(
        second, _mm256_sra_epi32(_mm256_mullo_epi32(factor, load(term.basis[1])), shift));
  }
  if (centre != 0) combine<true>(sums, centre, out, stride);
  else combine<false>(sums, centre, out, stride);
}
#endif
