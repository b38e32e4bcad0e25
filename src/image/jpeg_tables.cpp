#include "image/jpeg_tables.h"

#include <cmath>

#include "scenario/engine_state.h"

const int32_t gJpegZigZag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

int32_t gJpegCosTable[4096];
int32_t gJpegBasis[64][64];
alignas(32) int32_t gJpegQuarterBasis[64][16];
JpegIdctTerm gJpegIdctTerms[64];

namespace {
const int32_t gBitChange[8] = {128, 64, 32, 16, 8, 4, 2, 1};
bool tablesBuilt = false;
}  // namespace

void jpegBuildTables() {
  if (tablesBuilt) return;
  for (int y = 0; y < 8; y++)
    for (int v = 0; v < 8; v++)
      for (int x = 0; x < 8; x++)
        for (int u = 0; u < 8; u++) {
          // Truncating the double product (not rounding) is what the pixels depend on.
          double t = 2048.0 * std::cos((2 * x + 1) * u * M_PI / 16) *
                     std::cos((2 * y + 1) * v * M_PI / 16);
          int32_t entry = static_cast<int32_t>(t);
          gJpegCosTable[512 * y + 64 * v + 8 * x + u] = entry;
          gJpegBasis[8 * v + u][8 * y + x] = entry;
          if (x < 4 && y < 4) gJpegQuarterBasis[8 * v + u][4 * y + x] = entry;
        }
  for (int pos = 0; pos < 64; pos++) {
    JpegIdctTerm& t = gJpegIdctTerms[pos];
    const int v = pos / 8, u = pos % 8;
    if (v == 0 || u == 0) {
      // One varying axis: 8 terms into the row (or column) sums, whose rule
      // scales by 512 (DC) or 724 before a shift by 10.
      const uint32_t scale = pos == 0 ? 512u : 724u;
      for (int i = 0; i < 8; i++) {
        t.basis[0][i] = static_cast<int32_t>(
            scale * static_cast<uint32_t>(gJpegBasis[pos][v == 0 ? i : 8 * i]));
        t.basis[1][i] = 0;
      }
      t.sum[0] = t.sum[1] = v == 0 ? kJpegAcrossSum : kJpegDownSum;
      t.shift = 10;
    } else {
      const int parity = (v & 1) * 2 + (u & 1);
      for (int i = 0; i < 16; i++) t.basis[i / 8][i % 8] = gJpegQuarterBasis[pos][i];
      t.sum[0] = 2u * uint32_t(parity);
      t.sum[1] = 2u * uint32_t(parity) + 1;
      t.shift = 0;
    }
  }
  tablesBuilt = true;
}

void jpegBuildBitTable() {
  if (gJpegWTable != 0) return;
  for (int v = 0; v < 256; v++) {
    int32_t rest = v;
    for (int i = 0; i < 8; i++) {
      int32_t bit = rest / gBitChange[i];
      if (bit == 1) rest -= gBitChange[i];
      gBitC[v][i] = bit;
    }
  }
  gJpegWTable = 1;
}
