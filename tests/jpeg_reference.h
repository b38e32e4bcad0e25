// The player's IDCT written out as the plain double sum, term by term, in
// wrapping 32-bit arithmetic: the yardstick for the decoder's sparse IDCT.
#pragma once

#include <cstdint>

#include "image/jpeg_tables.h"

inline int32_t wrap32(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

inline void referenceIdct(const int32_t* coef, int32_t* out) {
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) {
      int32_t sum = 0;
      for (int v = 0; v < 8; v++)
        for (int u = 0; u < 8; u++) {
          const int64_t f = coef[8 * v + u];
          const int64_t t = gJpegCosTable[512 * y + 64 * v + 8 * x + u];
          int32_t term;
          if (u == 0 && v == 0) term = wrap32(int64_t(wrap32(f * 512)) * t) >> 10;
          else if (u == 0 || v == 0) term = wrap32(int64_t(wrap32(f * 724)) * t) >> 10;
          else term = wrap32(f * t);
          sum = wrap32(int64_t(sum) + term);
        }
      out[8 * y + x] = (sum >> 13) + 128;
    }
}
