#include "image/jpeg_colour.h"

#include <algorithm>

namespace {

// Plain loops the compiler vectorises (the divisions by 100 become
// multiplications); each is built twice below, for AVX2 and for any x86-64.
#define JPEG_ALWAYS_INLINE __attribute__((always_inline)) inline

JPEG_ALWAYS_INLINE void cbTermsBody(const int32_t* cb, int count, int32_t* green, int32_t* blue) {
  for (int i = 0; i < count; i++) {
    green[i] = jpegGreenFromCb(cb[i]);
    blue[i] = jpegBlueFromCb(cb[i]);
  }
}

JPEG_ALWAYS_INLINE void crTermsBody(const int32_t* cr, int count, int32_t* red, int32_t* green) {
  for (int i = 0; i < count; i++) {
    red[i] = jpegRedFromCr(cr[i]);
    green[i] = jpegGreenFromCr(cr[i]);
  }
}

JPEG_ALWAYS_INLINE void termsToRgbBody(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                                       const int32_t* greenCr, const int32_t* blue, int count,
                                       uint8_t* rgb) {
  constexpr int kChunk = 32;
  uint8_t r[kChunk], g[kChunk], b[kChunk];
  for (int start = 0; start < count; start += kChunk) {
    const int n = std::min(kChunk, count - start);
    for (int i = start; i < start + n; i++) {
      const uint32_t luma = static_cast<uint32_t>(y[i]);
      r[i - start] = jpegClampByte(luma + static_cast<uint32_t>(red[i]));
      g[i - start] = jpegClampByte(luma - static_cast<uint32_t>(greenCb[i]) -
                                   static_cast<uint32_t>(greenCr[i]));
      b[i - start] = jpegClampByte(luma + static_cast<uint32_t>(blue[i]));
    }
    for (int i = 0; i < n; i++, rgb += 3) rgb[0] = r[i], rgb[1] = g[i], rgb[2] = b[i];
  }
}

#define JPEG_COLOUR_VARIANT(suffix, attributes)                                                   \
  attributes void cbTerms##suffix(const int32_t* cb, int n, int32_t* g, int32_t* b) {            \
    cbTermsBody(cb, n, g, b);                                                                     \
  }                                                                                               \
  attributes void crTerms##suffix(const int32_t* cr, int n, int32_t* r, int32_t* g) {            \
    crTermsBody(cr, n, r, g);                                                                     \
  }                                                                                               \
  attributes void termsToRgb##suffix(const int32_t* y, const int32_t* r, const int32_t* gb,       \
                                     const int32_t* gr, const int32_t* b, int n, uint8_t* rgb) { \
    termsToRgbBody(y, r, gb, gr, b, n, rgb);                                                      \
  }

JPEG_COLOUR_VARIANT(Plain, )
#if defined(__x86_64__)
JPEG_COLOUR_VARIANT(Avx2, __attribute__((target("avx2"))))
#endif

struct ColourFunctions {
  decltype(&cbTermsPlain) cbTerms = cbTermsPlain;
  decltype(&crTermsPlain) crTerms = crTermsPlain;
  decltype(&termsToRgbPlain) termsToRgb = termsToRgbPlain;
  ColourFunctions() {
#if defined(__x86_64__)
    __builtin_cpu_init();  // this may run before the runtime's own constructors
    if (__builtin_cpu_supports("avx2")) {
      cbTerms = cbTermsAvx2;
      crTerms = crTermsAvx2;
      termsToRgb = termsToRgbAvx2;
    }
#endif
  }
};

const ColourFunctions colour;

}  // namespace

void jpegCbTerms(const int32_t* cb, int count, int32_t* green, int32_t* blue) {
  colour.cbTerms(cb, count, green, blue);
}

void jpegCrTerms(const int32_t* cr, int count, int32_t* red, int32_t* green) {
  colour.crTerms(cr, count, red, green);
}

void jpegTermsToRgb(const int32_t* y, const int32_t* red, const int32_t* greenCb,
                    const int32_t* greenCr, const int32_t* blue, int count, uint8_t* rgb) {
  colour.termsToRgb(y, red, greenCb, greenCr, blue, count, rgb);
}
