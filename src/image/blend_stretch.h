// The alpha blend of a stretch of sixteen 4-byte pixels over 3-byte frame
// pixels, in vector form: the same whole-percent blend as one pixel at a
// time, for pictures whose alpha is neither wholly clear nor wholly solid.
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

constexpr int kBlendStretch = 16;

#if TAVINO_HAS_AVX2
void blendStretchAvx2(uint8_t* out, const uint8_t* in, bool bgr);
#else
inline void blendStretchAvx2(uint8_t*, const uint8_t*, bool) {}
#endif
