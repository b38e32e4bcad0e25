// The message window's tint in vector form.
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
// Tints the first whole multiple of 32 of `count` pixels (three bytes each)
// at p as the window tint does, and returns how many it tinted; 0 for a
// green target it has no form for.
int tintPixelsAvx2(uint8_t* p, int count, int greenTarget);
#else
inline int tintPixelsAvx2(uint8_t*, int, int) { return 0; }
#endif
