// The message window's tint in vector form.
#pragma once

#include <cstdint>

#include "image/vector_paths.h"

#if TAVINO_HAS_AVX2
// Tints `count` pixels in each of `rows` frame rows from `first` as the
// window tint does; false, touching nothing, for a green target it has no
// form for.
bool tintRowsAvx2(uint8_t* first, int rows, int count, int greenTarget);
#else
inline bool tintRowsAvx2(uint8_t*, int, int, int) { return false; }
#endif
