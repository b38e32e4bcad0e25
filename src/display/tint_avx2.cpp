// The window tint, 32 pixels a step: per byte (p + target) >> 1, saturated,
// with each channel's target repeating every three bytes.
#include "display/tint_kernel.h"

#if TAVINO_HAS_AVX2
#include <immintrin.h>

#include <cstring>

#include "scenario/engine_state.h"

namespace {

// (p + t) >> 1 without overflow: the rounded-up average, less the bit it rounded.
__attribute__((target("avx2"))) __m256i halfwayDown(__m256i p, __m256i t) {
  const __m256i odd = _mm256_and_si256(_mm256_xor_si256(p, t), _mm256_set1_epi8(1));
  return _mm256_sub_epi8(_mm256_avg_epu8(p, t), odd);
}

// 32 pixels: three vectors, each with its own phase of the channel pattern.
__attribute__((target("avx2"))) void tint96(uint8_t* p, const __m256i* t, const __m256i* s) {
  for (int k = 0; k < 3; k++) {
    __m256i* v = reinterpret_cast<__m256i*>(p + 32 * k);
    _mm256_storeu_si256(v, _mm256_adds_epu8(halfwayDown(_mm256_loadu_si256(v), t[k]), s[k]));
  }
}

}  // namespace

__attribute__((target("avx2"))) bool tintRowsAvx2(uint8_t* first, int rows, int count, int greenTarget) {
  if (greenTarget < 0 || greenTarget > 511) return false;
  // A green target past 255 is 256 more than its byte: half of that, 128,
  // is added after the average, saturating where the sum passes 255.
  const uint8_t green = uint8_t(greenTarget), greenLift = greenTarget > 255 ? 128 : 0;
  alignas(32) uint8_t targets[96], lifts[96];
  for (int i = 0; i < 96; i += 3) {
    targets[i] = 255, targets[i + 1] = green, targets[i + 2] = 0;
    lifts[i] = 0, lifts[i + 1] = greenLift, lifts[i + 2] = 0;
  }
  __m256i t[3], s[3];
  for (int k = 0; k < 3; k++) {
    t[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(targets + 32 * k));
    s[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(lifts + 32 * k));
  }
  const int whole = count / 32 * 96, tail = count % 32 * 3;
  for (int y = 0; y < rows; y++) {
    uint8_t* p = first + long(y) * kFrameStride;
    for (int i = 0; i < whole; i += 96) tint96(p + i, t, s);
    if (tail) {
      // The last pixels go through a copy, so no byte past the box is touched.
      alignas(32) uint8_t rest[96] = {};
      std::memcpy(rest, p + whole, size_t(tail));
      tint96(rest, t, s);
      std::memcpy(p + whole, rest, size_t(tail));
    }
  }
  return true;
}
#endif
