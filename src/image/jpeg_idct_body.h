// The IDCT's accumulation, shared by the portable and the AVX2 builds.
//
// Every basis but that of coefficient (4, 4) is symmetric: sample (7 - x, y)
// gets the term of (x, y) negated for odd u, and likewise for y and odd v.
// So each coefficient adds to one quarter (16 samples) only, into one of four
// parity classes, and the quarters are mirrored together at the end. A term
// shifted right by 10 is not odd-symmetric (the shift rounds down), so for
// those the negated product is shifted on its own. All arithmetic wraps as
// unsigned 32-bit values.
#pragma once

#include <cstdint>

#include "image/jpeg_tables.h"

// plus[c]: quarter sums for the samples where class c keeps its sign;
// minus[c]: where it flips (class 0, both frequencies even, never flips).
// Classes: 0 even v even u, 1 even v odd u, 2 odd v even u, 3 odd v odd u.
struct JpegIdctQuarters {
  alignas(32) uint32_t plus[4][16];
  alignas(32) uint32_t minus[4][16];
  uint32_t dc;      // the DC term, the same for all 64 samples
  uint32_t centre;  // coefficient (4, 4), taken with its full basis
};

__attribute__((always_inline)) inline void jpegIdctAccumulate(const int32_t* coef,
                                                              const uint8_t* positions, int count,
                                                              JpegIdctQuarters& q) {
  for (int c = 0; c < 4; c++)
    for (int i = 0; i < 16; i++) q.plus[c][i] = q.minus[c][i] = 0;
  q.dc = q.centre = 0;
  for (int n = 0; n < count; n++) {
    const int pos = positions[n];
    const uint32_t f = static_cast<uint32_t>(coef[pos]);
    if (f == 0) continue;
    if (pos == 0) {
      q.dc += static_cast<uint32_t>(
          static_cast<int32_t>((f << 9) * static_cast<uint32_t>(gJpegBasis[0][0])) >> 10);
      continue;
    }
    if (pos == 36) {
      q.centre += f;
      continue;
    }
    const int c = (pos >> 3 & 1) * 2 + (pos & 1);
    const int32_t* __restrict basis = gJpegQuarterBasis[pos];
    uint32_t* __restrict plus = q.plus[c];
    uint32_t* __restrict minus = q.minus[c];
    if (pos < 8 || (pos & 7) == 0) {
      const uint32_t scaled = f * 724u;
      for (int i = 0; i < 16; i++) {
        const uint32_t p = scaled * static_cast<uint32_t>(basis[i]);
        plus[i] += static_cast<uint32_t>(static_cast<int32_t>(p) >> 10);
        minus[i] += static_cast<uint32_t>(static_cast<int32_t>(0u - p) >> 10);
      }
    } else {
      for (int i = 0; i < 16; i++) {
        const uint32_t p = f * static_cast<uint32_t>(basis[i]);
        plus[i] += p;
        minus[i] -= p;
      }
    }
  }
}
