// Inverse DCT of one 8x8 block in the decoder's 32-bit integer arithmetic.
#pragma once

#include <cstdint>

// coef: dequantised coefficients in natural order. positions: the natural
// positions of the `count` coefficients that may be non-zero (any order);
// every other coefficient must be 0. out: 8 rows of 8 samples, `stride`
// samples apart, unclamped.
// Intermediate results wrap as two's-complement 32-bit values, so any
// coefficient value gives a defined result.
void jpegIdct(const int32_t* coef, const uint8_t* positions, int count, int32_t* out,
              int stride = 8);
