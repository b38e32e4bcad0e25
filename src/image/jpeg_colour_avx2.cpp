// Colour conversion with AVX2: eight pixels a step, the clamp done by the
// saturating packs, and the R, G, B bytes interleaved by one byte shuffle.
#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include <cstring>

#include "image/jpeg_colour.h"

#define AVX2 __attribute__((target("avx2")))

namespace {

// v / 100 truncated toward zero for any 32-bit v: the high half of the
// product with 2^37 / 100 rounded up, shifted by 5, plus one for negatives.
AVX2 inline __m256i divideBy100(__m256i v) {
  const __m256i magic = _mm256_set1_epi32(1374389535);  // ceil(2^37 / 100)
  const __m256i evenProducts = _mm256_mul_epi32(v, magic);
  const __m256i oddProducts = _mm256_mul_epi32(_mm256_srli_epi64(v, 32), magic);
  const __m256i high = _mm256_blend_epi32(_mm256_srli_epi64(evenProducts, 32), oddProducts, 0xAA);
  const __m256i quotient = _mm256_srai_epi32(high, 5);
  return _mm256_sub_epi32(quotient, _mm256_srai_epi32(v, 31));
}

AVX2 inline __m256i load(const int32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
AVX2 inline void store(int32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Terms a*x - b, then / 100; wrapping like the scalar formula.
AVX2 inline __m256i term(__m256i x, int a, int b) {
  return divideBy100(
      _mm256_sub_epi32(_mm256_mullo_epi32(x, _mm256_set1_epi32(a)), _mm256_set1_epi32(b)));
}

// Four terms, each repeated for two neighbouring pixels.
AVX2 inline __m256i repeatPairs(const int32_t* p) {
  const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(four),
                                     _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3));
}

}  // namespace

AVX2 void jpegCbTermsAvx2(const int32_t* cb, int count, int32_t* green, int32_t* blue) {
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i x = load(cb + i);
    store(green + i, term(x, 34, 4352));
    store(blue + i, term(x, 177, 22656));
  }
  for (; i < count; i++) green[i] = jpegGreenFromCb(cb[i]), blue[i] = jpegBlueFromCb(cb[i]);
}

AVX2 void jpegCrTermsAvx2(const int32_t* cr, int count, int32_t* red, int32_t* green) {
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i x = load(cr + i);
    store(red + i, term(x, 140, 17920));
    store(green + i, term(x, 71, 9088));
  }
  for (; i < count; i++) red[i] = jpegRedFromCr(cr[i]), green[i] = jpegGreenFromCr(cr[i]);
}

namespace {

// The terms of eight pixels.
template <int kRepeat>
AVX2 inline __m256i terms(const int32_t* p) {
  return kRepeat == 1 ? load(p) : repeatPairs(p);
}

// R, G, B of eight pixels, 12 bytes at the start of each 128-bit lane.
template <int kRepeat>
AVX2 inline __m256i eightPixels(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                                const int32_t* greenCr, const int32_t* blue) {
  // Per 128-bit lane the packs leave R0-3 G0-3 B0-3 B0-3; pick R G B per pixel.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1,
                                              0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
  const __m256i luma = load(y);
  const __m256i r = _mm256_add_epi32(luma, terms<kRepeat>(red));
  const __m256i g =
      _mm256_sub_epi32(_mm256_sub_epi32(luma, terms<kRepeat>(greenCb)), terms<kRepeat>(greenCr));
  const __m256i b = _mm256_add_epi32(luma, terms<kRepeat>(blue));
  const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(r, g), _mm256_packs_epi32(b, b));
  return _mm256_shuffle_epi8(bytes, interleave);
}

// Stores 28 bytes: eight pixels and 4 bytes of scribble.
AVX2 inline void storePixels(uint8_t* to, __m256i pixels) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(pixels));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 12), _mm256_extracti128_si256(pixels, 1));
}

// Eight pixels at a time straight into the row while the 28-byte stores
// stay inside the row and its slack; returns the pixels done.
template <int kRepeat>
AVX2 int directGroups(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                      const int32_t* greenCr, const int32_t* blue, int count, uint8_t* rgb,
                      int slack) {
  int i = 0;
  for (; i + 8 <= count && 3 * i + 28 <= 3 * count + slack; i += 8) {
    const int c = i / kRepeat;
    storePixels(rgb + 3 * i,
                eightPixels<kRepeat>(y + i, red + c, greenCb + c, greenCr + c, blue + c));
  }
  return i;
}

}  // namespace

namespace {

template <int kRepeat>
AVX2 inline void rowToRgb(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                          const int32_t* greenCr, const int32_t* blue, int count, uint8_t* rgb,
                          int slack) {
  int i = directGroups<kRepeat>(y, red, greenCb, greenCr, blue, count, rgb, slack);
  // The rest through buffers, so that no load or store runs past the rows.
  for (; i < count; i += 8) {
    const int n = count - i < 8 ? count - i : 8;
    const int c = i / kRepeat, terms = (n + kRepeat - 1) / kRepeat;
    alignas(32) int32_t tail[5][8];
    for (int k = 0; k < 8; k++) {
      const int at = c + (k < terms ? k : 0);
      tail[0][k] = y[i + (k < n ? k : 0)];
      tail[1][k] = red[at], tail[2][k] = greenCb[at];
      tail[3][k] = greenCr[at], tail[4][k] = blue[at];
    }
    alignas(32) uint8_t packed[32];
    storePixels(packed, eightPixels<kRepeat>(tail[0], tail[1], tail[2], tail[3], tail[4]));
    std::memcpy(rgb + 3 * i, packed, size_t(3 * n));
  }
}

template <int kRepeat>
AVX2 void mcuToRgb(const JpegMcuRows& mcu, int rows, int cols, uint8_t* out, ptrdiff_t outStep,
                   int slack) {
  JpegMcuRowCursor at(mcu);
  for (int i = 0; i < rows; i++, out += outStep, at.next(mcu))
    rowToRgb<kRepeat>(at.y, at.red, at.greenCb, at.greenCr, at.blue, cols, out, slack);
}

}  // namespace

AVX2 void jpegMcuToRgbAvx2(const JpegMcuRows& mcu, int rows, int cols, uint8_t* out,
                           ptrdiff_t outStep, int slack) {
  if (mcu.chromaRepeat == 1) mcuToRgb<1>(mcu, rows, cols, out, outStep, slack);
  else mcuToRgb<2>(mcu, rows, cols, out, outStep, slack);
}
#endif
