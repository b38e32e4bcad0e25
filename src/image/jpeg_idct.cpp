#include "image/jpeg_idct.h"

#include "image/jpeg_tables.h"

namespace {

// Adds the contribution of each non-zero coefficient to all 64 samples. The
// shift is applied per term (not to the sum), so skipping zero coefficients
// changes nothing, and unsigned arithmetic gives the 32-bit wrap-around
// without undefined behaviour. Each term is a 64-lane loop the compiler
// vectorises.
__attribute__((always_inline)) inline void idctBody(const int32_t* coef, const uint8_t* positions,
                                                    int count, int32_t* out) {
  uint32_t acc[64] = {};
  for (int n = 0; n < count; n++) {
    const int pos = positions[n];
    const uint32_t f = static_cast<uint32_t>(coef[pos]);
    if (f == 0) continue;
    const int32_t* basis = gJpegBasis[pos];
    if (pos == 0) {
      // Every DC basis entry is 2048, so the term is the same for all samples.
      const uint32_t term = static_cast<uint32_t>(
          static_cast<int32_t>((f << 9) * static_cast<uint32_t>(basis[0])) >> 10);
      for (int i = 0; i < 64; i++) acc[i] += term;
    } else if (pos < 8 || (pos & 7) == 0) {
      const uint32_t scaled = f * 724u;
      for (int i = 0; i < 64; i++)
        acc[i] += static_cast<uint32_t>(
            static_cast<int32_t>(scaled * static_cast<uint32_t>(basis[i])) >> 10);
    } else {
      for (int i = 0; i < 64; i++) acc[i] += f * static_cast<uint32_t>(basis[i]);
    }
  }
  for (int i = 0; i < 64; i++) out[i] = (static_cast<int32_t>(acc[i]) >> 13) + 128;
}

void idctPlain(const int32_t* coef, const uint8_t* positions, int count, int32_t* out) {
  idctBody(coef, positions, count, out);
}

#if defined(__x86_64__)
// AVX2 has the 32-bit vector multiply the plain x86-64 target lacks.
__attribute__((target("avx2"))) void idctAvx2(const int32_t* coef, const uint8_t* positions,
                                              int count, int32_t* out) {
  idctBody(coef, positions, count, out);
}
#endif

using IdctFunction = void (*)(const int32_t*, const uint8_t*, int, int32_t*);

IdctFunction chooseIdct() {
#if defined(__x86_64__)
  __builtin_cpu_init();  // this may run before the runtime's own constructors
  if (__builtin_cpu_supports("avx2")) return idctAvx2;
#endif
  return idctPlain;
}

const IdctFunction idct = chooseIdct();

}  // namespace

void jpegIdct(const int32_t* coef, const uint8_t* positions, int count, int32_t* out) {
  idct(coef, positions, count, out);
}
