// How the IDCT's sum is split, shared by the portable and the AVX2 builds.
//
// - A coefficient of the first row (v = 0) has a basis that varies with x
//   alone, as cos(0) is 1; one of the first column (u = 0) with y alone. Each
//   adds 8 shifted terms to a row (column) sum instead of 64. The DC term,
//   the same for every sample, joins the row sum.
// - Every other basis but that of (4, 4) is symmetric: sample (7 - x, y)
//   gets the term of (x, y) negated for odd u, and likewise for y and odd v.
//   These terms are unshifted, so negation is exact: each such coefficient
//   adds to one quarter (16 samples) of one of four parity classes, and the
//   quarters are mirrored together at the end.
// - (4, 4), whose truncated entries are not symmetric, keeps its full basis.
// gJpegIdctTerms holds the first two kinds. All arithmetic wraps as unsigned
// 32-bit values.
#pragma once

#include <cstdint>

#include "image/jpeg_tables.h"

constexpr int kJpegCentre = 36;  // natural position of (4, 4)

// (F * 512 * T) >> 10 with T = 2048, F * 512 formed first.
inline uint32_t jpegIdctDcTerm(uint32_t f) {
  return static_cast<uint32_t>(
      static_cast<int32_t>((f << 9) * static_cast<uint32_t>(gJpegBasis[0][0])) >> 10);
}
