// Constant tables of the JPEG decoder.
#pragma once

#include <cstdint>

// Natural (row-major) position of the k-th coefficient in zig-zag order.
extern const int32_t gJpegZigZag[64];

// IDCT basis, flat index 512*y + 64*v + 8*x + u:
// 2048 * cos((2x+1)u*pi/16) * cos((2y+1)v*pi/16), truncated toward zero.
extern int32_t gJpegCosTable[4096];

// Fills gJpegCosTable and the decoder's derived tables; cheap after the first call.
void jpegBuildTables();

// The same basis regrouped per coefficient: entry [8v + u][8y + x], so the
// 64 samples one coefficient contributes to lie next to each other.
extern int32_t gJpegBasis[64][64];

// One quarter of each coefficient's basis, entry [8v + u][4y + x] for x, y
// below 4: mirroring x (or y) changes only the sign for odd u (or v), so the
// quarter holds the whole basis of every coefficient but (4, 4), whose
// truncated entries are not symmetric.
alignas(32) extern int32_t gJpegQuarterBasis[64][16];

// What one coefficient adds to the IDCT's partial sums (see
// jpeg_idct_body.h), so that one loop without branches serves them all but
// (4, 4): 16 basis entries times the coefficient, with the factor of its rule
// folded in, shifted right by `shift` and added, 8 at a time, to the sums
// numbered `sum`. Entries past those it has are 0.
// Sums 2c and 2c + 1 are the quarter of parity class c; then one value per
// column (the DC term included), and one per row.
enum { kJpegAcrossSum = 8, kJpegDownSum = 9, kJpegIdctSums = 10 };
struct alignas(128) JpegIdctTerm {  // a power of two, for cheap indexing
  int32_t basis[2][8];
  int64_t shift;  // as wide as a vector shift count
  uint32_t sum[2];
};
extern JpegIdctTerm gJpegIdctTerms[64];

// Builds gBitC (bit i of byte v, most significant first) unless gJpegWTable says it is built.
void jpegBuildBitTable();
