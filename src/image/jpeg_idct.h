// Inverse DCT of one 8x8 block in the decoder's 32-bit integer arithmetic.
#pragma once

#include <cstdint>

// The block's `count` coefficients that may be non-zero: their natural
// positions (distinct, any order) and dequantised values; every other
// coefficient is 0. out: 8 rows of 8 samples, `stride` samples apart,
// unclamped. Intermediate results wrap as two's-complement 32-bit values,
// so any coefficient value gives a defined result.
void jpegIdct(const uint8_t* positions, const int32_t* values, int count, int32_t* out,
              int stride = 8);
