// The row kernels of the bilinear scaler, for the vector builds. They do the
// same double operations in the same order as the scaler's own loops, so the
// bytes are the same (nothing may be fused into multiply-adds).
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

// One destination column: byte offsets of its left and right source pixels
// in the row, and its horizontal weight, also in 1/65536ths when that is
// exact (-1 when not).
struct ScaleColumn {
  int offset, nextOffset;
  double t;
  int weight;
};

// A weight that is a whole number of 1/65536ths makes every product and sum
// of the filter exact in doubles (values are bytes), so integers give the
// same results: the truncation of a sum, never negative, is a shift.
constexpr int kWeightBits = 16;

// t (0 <= t < 1) in 1/65536ths, or -1 when that is not exact.
inline int exactWeight(double t) {
  const double scaled = t * (1 << kWeightBits);  // a power of two: exact
  const int whole = static_cast<int>(scaled);
  return whole == scaled ? whole : -1;
}

// Values the kernels may read past the last channel of a row.
constexpr int kScaleSlack = 8;

#if TAVINO_HAS_AVX2
// out[i] = (int)(row0[i] + (row1[i] - row0[i]) * ty) for i < count.
void scaleVerticalAvx2(const uint8_t* row0, const uint8_t* row1, double ty, int count,
                       int32_t* out);
// Each destination pixel from two interpolated source pixels of `vertical`.
void scaleHorizontalAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                         uint8_t* out);
// The same two steps with exact weights (exactWeight), in integers.
void scaleVerticalExactAvx2(const uint8_t* row0, const uint8_t* row1, int weight, int count,
                            int32_t* out);
void scaleHorizontalExactAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                              uint8_t* out);
#else
inline void scaleVerticalAvx2(const uint8_t*, const uint8_t*, double, int, int32_t*) {}
inline void scaleHorizontalAvx2(const int32_t*, const ScaleColumn*, int, uint8_t*) {}
inline void scaleVerticalExactAvx2(const uint8_t*, const uint8_t*, int, int, int32_t*) {}
inline void scaleHorizontalExactAvx2(const int32_t*, const ScaleColumn*, int, uint8_t*) {}
#endif
