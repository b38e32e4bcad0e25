// The row kernels of the bilinear scaler, for the vector builds. They do the
// same double operations in the same order as the scaler's own loops, so the
// bytes are the same (nothing may be fused into multiply-adds).
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

// One destination column: byte offsets of its left and right source pixels
// in the row, and its horizontal weight.
struct ScaleColumn {
  int offset, nextOffset;
  double t;
};

// Values the kernels may read past the last channel of a row.
constexpr int kScaleSlack = 8;

#if TAVINO_HAS_AVX2
// out[i] = (int)(row0[i] + (row1[i] - row0[i]) * ty) for i < count.
void scaleVerticalAvx2(const uint8_t* row0, const uint8_t* row1, double ty, int count,
                       int32_t* out);
// Each destination pixel from two interpolated source pixels of `vertical`.
void scaleHorizontalAvx2(const int32_t* vertical, const ScaleColumn* columns, int count,
                         uint8_t* out);
#else
inline void scaleVerticalAvx2(const uint8_t*, const uint8_t*, double, int, int32_t*) {}
inline void scaleHorizontalAvx2(const int32_t*, const ScaleColumn*, int, uint8_t*) {}
#endif
