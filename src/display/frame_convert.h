// The presenter's 24-to-32-bit conversion in vector form.
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
// dst[i] = R << 16 | G << 8 | B of the i-th three bytes of src, i < count.
void convertPixelsAvx2(const uint8_t* src, uint32_t* dst, int count);
#else
inline void convertPixelsAvx2(const uint8_t*, uint32_t*, int) {}
#endif
