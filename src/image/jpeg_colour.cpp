#include "image/jpeg_colour.h"

namespace {

// Chroma samples from IDCT ringing stay well inside this range; others are computed.
constexpr int32_t kLow = -384;
constexpr uint32_t kSpan = 1024;

struct ChromaTerms {
  int32_t fromCb[kSpan][2];  // green, blue
  int32_t fromCr[kSpan][2];  // red, green
  ChromaTerms() {
    for (uint32_t i = 0; i < kSpan; i++) {
      const int32_t c = kLow + static_cast<int32_t>(i);
      fromCb[i][0] = jpegGreenFromCb(c);
      fromCb[i][1] = jpegBlueFromCb(c);
      fromCr[i][0] = jpegRedFromCr(c);
      fromCr[i][1] = jpegGreenFromCr(c);
    }
  }
};

const ChromaTerms terms;

}  // namespace

void jpegYccRowToRgb(const int32_t* y, const int32_t* cb, const int32_t* cr, int count,
                     uint8_t* rgb) {
  for (int i = 0; i < count; i++, rgb += 3) {
    const uint32_t b = static_cast<uint32_t>(cb[i]) - static_cast<uint32_t>(kLow);
    const uint32_t r = static_cast<uint32_t>(cr[i]) - static_cast<uint32_t>(kLow);
    if (b >= kSpan || r >= kSpan) {
      jpegYccToRgb(y[i], cb[i], cr[i], rgb);
      continue;
    }
    const uint32_t luma = static_cast<uint32_t>(y[i]);
    rgb[0] = jpegClampByte(luma + static_cast<uint32_t>(terms.fromCr[r][0]));
    rgb[1] = jpegClampByte(luma - static_cast<uint32_t>(terms.fromCb[b][0]) -
                           static_cast<uint32_t>(terms.fromCr[r][1]));
    rgb[2] = jpegClampByte(luma + static_cast<uint32_t>(terms.fromCb[b][1]));
  }
}
