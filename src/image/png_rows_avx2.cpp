// The PNG row filters with AVX2, four pixels a step, each pixel in a 32-bit
// lane (a 3-byte pixel spread out with a spare byte). Up has no chain at all;
// Sub becomes a prefix sum; Average and Paeth stay one pixel after another,
// since each pixel needs the one left of it finished, but all of a pixel's
// bytes go at once. Each kernel stops where a whole vector no longer fits in
// the row, and the portable code finishes the row from there.
#include "image/png_rows.h"
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#define AVX2 __attribute__((target("avx2")))

namespace {

constexpr size_t kStepBytes = 16;  // every load reads this much of the row

// Four pixels from 4 * Bpp bytes (16 are read).
template <int Bpp>
AVX2 inline __m128i loadPixels(const uint8_t* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  if (Bpp == 4) return v;
  return _mm_shuffle_epi8(v, _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
}

// Writes the four pixels' bytes and nothing more: in place, the bytes after
// them are still to be read.
template <int Bpp>
AVX2 inline void storePixels(uint8_t* p, __m128i v) {
  if (Bpp == 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    return;
  }
  const __m128i packed =
      _mm_shuffle_epi8(v, _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), packed);
  const uint32_t last = static_cast<uint32_t>(_mm_extract_epi32(packed, 2));
  std::memcpy(p + 8, &last, 4);
}

template <int Bpp>
AVX2 size_t subRow(uint8_t* out, const uint8_t* in, size_t n) {
  __m128i left = _mm_setzero_si128();  // the last pixel done, in every lane
  size_t i = 0;
  for (; i + kStepBytes <= n; i += 4 * Bpp) {
    __m128i x = loadPixels<Bpp>(in + i);
    x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
    x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
    x = _mm_add_epi8(x, left);
    storePixels<Bpp>(out + i, x);
    left = _mm_shuffle_epi32(x, 0xFF);
  }
  return i;
}

AVX2 size_t upRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t n) {
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_add_epi8(x, b));
  }
  return i;
}

// Average works on complements: avg_epu8 rounds up, and with ~a and ~b it
// gives exactly ~((a + b) >> 1). The complement of the next pixel is then
// that average minus its filtered byte, two instructions on the chain from
// pixel to pixel.
template <int Bpp>
AVX2 size_t averageRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t n) {
  const __m128i ones = _mm_set1_epi32(-1);
  __m128i left = ones;  // complement of the pixel on the left, in lane 0
  size_t i = 0;
  for (; i + kStepBytes <= n; i += 4 * Bpp) {
    const __m128i b = _mm_xor_si128(loadPixels<Bpp>(above + i), ones);
    const __m128i s = _mm_sub_epi8(_mm_setzero_si128(), loadPixels<Bpp>(in + i));
    const __m128i p0 = _mm_add_epi8(_mm_avg_epu8(left, b), s);
    const __m128i p1 = _mm_add_epi8(_mm_avg_epu8(p0, _mm_srli_si128(b, 4)), _mm_srli_si128(s, 4));
    const __m128i p2 = _mm_add_epi8(_mm_avg_epu8(p1, _mm_srli_si128(b, 8)), _mm_srli_si128(s, 8));
    const __m128i p3 =
        _mm_add_epi8(_mm_avg_epu8(p2, _mm_srli_si128(b, 12)), _mm_srli_si128(s, 12));
    __m128i v = _mm_blend_epi32(p0, _mm_slli_si128(p1, 4), 0x2);
    v = _mm_blend_epi32(v, _mm_slli_si128(p2, 8), 0x4);
    v = _mm_blend_epi32(v, _mm_slli_si128(p3, 12), 0x8);
    storePixels<Bpp>(out + i, _mm_xor_si128(v, ones));
    left = p3;
  }
  return i;
}

// One Paeth pixel in the low four 16-bit lanes. |b - c| does not depend on
// the left pixel, so it is worked out beforehand.
AVX2 inline __m128i paethPixel(__m128i a, __m128i b, __m128i c, __m128i s) {
  const __m128i towardsA = _mm_sub_epi16(b, c);  // p - a, with p = a + b - c
  const __m128i towardsB = _mm_sub_epi16(a, c);  // p - b
  const __m128i pa = _mm_abs_epi16(towardsA), pb = _mm_abs_epi16(towardsB);
  const __m128i pc = _mm_abs_epi16(_mm_add_epi16(towardsA, towardsB));
  const __m128i least = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
  __m128i predicted = _mm_blendv_epi8(c, b, _mm_cmpeq_epi16(pb, least));
  predicted = _mm_blendv_epi8(predicted, a, _mm_cmpeq_epi16(pa, least));
  return _mm_and_si128(_mm_add_epi16(s, predicted), _mm_set1_epi16(0xFF));
}

template <int Bpp>
AVX2 size_t paethRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t n) {
  __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();  // left and above-left
  size_t i = 0;
  for (; i + kStepBytes <= n; i += 4 * Bpp) {
    const __m128i b = loadPixels<Bpp>(above + i), s = loadPixels<Bpp>(in + i);
    const __m128i b01 = _mm_cvtepu8_epi16(b), b23 = _mm_cvtepu8_epi16(_mm_srli_si128(b, 8));
    const __m128i s01 = _mm_cvtepu8_epi16(s), s23 = _mm_cvtepu8_epi16(_mm_srli_si128(s, 8));
    const __m128i b1 = _mm_srli_si128(b01, 8), b3 = _mm_srli_si128(b23, 8);
    const __m128i o0 = paethPixel(a, b01, c, s01);
    const __m128i o1 = paethPixel(o0, b1, b01, _mm_srli_si128(s01, 8));
    const __m128i o2 = paethPixel(o1, b23, b1, s23);
    const __m128i o3 = paethPixel(o2, b3, b23, _mm_srli_si128(s23, 8));
    storePixels<Bpp>(out + i, _mm_packus_epi16(_mm_unpacklo_epi64(o0, o1), _mm_unpacklo_epi64(o2, o3)));
    a = o3;
    c = b3;
  }
  return i;
}

template <int Bpp>
AVX2 size_t unfilterStart(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t n,
                          int filter) {
  // The first row, with nothing above, is rare enough for the portable code.
  if (filter == 1) return subRow<Bpp>(out, in, n);
  if (!above) return 0;
  switch (filter) {
    case 2: return upRow(out, in, above, n);
    case 3: return averageRow<Bpp>(out, in, above, n);
    case 4: return paethRow<Bpp>(out, in, above, n);
    default: return 0;
  }
}

}  // namespace

// Unfilters the start of the row and returns how many bytes are final; the
// bytes from there on are untouched.
size_t unfilterRowStartAvx2(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t rowBytes,
                            int bytesPerPixel, int filter) {
  return bytesPerPixel == 4 ? unfilterStart<4>(out, in, above, rowBytes, filter)
                            : unfilterStart<3>(out, in, above, rowBytes, filter);
}
#endif
