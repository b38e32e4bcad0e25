#include "image/jpeg_colour.h"

#include <algorithm>

#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
void jpegCbTermsAvx2(const int32_t* cb, int count, int32_t* green, int32_t* blue);
void jpegCrTermsAvx2(const int32_t* cr, int count, int32_t* red, int32_t* green);
void jpegMcuToRgbAvx2(const JpegMcuRows& mcu, int rows, int cols, uint8_t* out, ptrdiff_t outStep,
                      int slack);
#endif

void jpegCbTerms(const int32_t* cb, int count, int32_t* green, int32_t* blue) {
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled()) return jpegCbTermsAvx2(cb, count, green, blue);
#endif
  for (int i = 0; i < count; i++) {
    green[i] = jpegGreenFromCb(cb[i]);
    blue[i] = jpegBlueFromCb(cb[i]);
  }
}

void jpegCrTerms(const int32_t* cr, int count, int32_t* red, int32_t* green) {
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled()) return jpegCrTermsAvx2(cr, count, red, green);
#endif
  for (int i = 0; i < count; i++) {
    red[i] = jpegRedFromCr(cr[i]);
    green[i] = jpegGreenFromCr(cr[i]);
  }
}

namespace {

void termsToRgbPortable(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                        const int32_t* greenCr, const int32_t* blue, int count, uint8_t* rgb,
                        int chromaRepeat) {
  // Planar first, interleaved after, so the arithmetic loop stays simple.
  constexpr int kChunk = 32;
  uint8_t r[kChunk], g[kChunk], b[kChunk];
  for (int start = 0; start < count; start += kChunk) {
    const int n = std::min(kChunk, count - start);
    for (int i = start; i < start + n; i++) {
      const int c = i / chromaRepeat;
      const uint32_t luma = static_cast<uint32_t>(y[i]);
      r[i - start] = jpegClampByte(luma + static_cast<uint32_t>(red[c]));
      g[i - start] = jpegClampByte(luma - static_cast<uint32_t>(greenCb[c]) -
                                   static_cast<uint32_t>(greenCr[c]));
      b[i - start] = jpegClampByte(luma + static_cast<uint32_t>(blue[c]));
    }
    for (int i = 0; i < n; i++, rgb += 3) rgb[0] = r[i], rgb[1] = g[i], rgb[2] = b[i];
  }
}

}  // namespace

void jpegMcuToRgb(const JpegMcuRows& mcu, int rows, int cols, uint8_t* out, ptrdiff_t outStep,
                  [[maybe_unused]] int slack) {
#if TAVINO_HAS_AVX2
  if (avx2PathsEnabled() && (mcu.chromaRepeat == 1 || mcu.chromaRepeat == 2))
    return jpegMcuToRgbAvx2(mcu, rows, cols, out, outStep, slack);
#endif
  JpegMcuRowCursor at(mcu);
  for (int i = 0; i < rows; i++, out += outStep, at.next(mcu))
    termsToRgbPortable(at.y, at.red, at.greenCb, at.greenCr, at.blue, cols, out, mcu.chromaRepeat);
}
