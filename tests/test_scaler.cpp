// The bilinear scaler against a straightforward filter.
#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "display/display.h"
#include "display/scale.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

class Scaler : public PlayerDirTest {};

// Straightforward bilinear filter over a w x h picture in a frame buffer,
// with the edge pixel repeated past the last column and row.
std::vector<uint8_t> referenceResize(const uint8_t* src, int sw, int sh, int dw, int dh) {
  std::vector<uint8_t> out(size_t(dw) * dh * 3);
  const double sx = double(sw) / dw, sy = double(sh) / dh;
  auto at = [&](int x, int y, int c) {
    x = std::min(x, sw - 1), y = std::min(y, sh - 1);
    return int(src[size_t(y) * kFrameStride + size_t(x) * 3 + c]);
  };
  double fy = 0;
  for (int y = 0; y < dh; y++, fy += sy) {
    const int iy = int(fy);
    double fx = 0, ty = fy - iy;
    for (int x = 0; x < dw; x++, fx += sx) {
      const int ix = int(fx);
      for (int c = 0; c < 3; c++) {
        const double tx = fx - ix;
        const int left = int(at(ix, iy, c) + (at(ix, iy + 1, c) - at(ix, iy, c)) * ty);
        const int right = int(at(ix + 1, iy, c) + (at(ix + 1, iy + 1, c) - at(ix + 1, iy, c)) * ty);
        out[(size_t(y) * dw + x) * 3 + c] = uint8_t(left + int((right - left) * tx));
      }
    }
  }
  return out;
}

}  // namespace

// The source frame is random beyond the picture too, so reading a neighbour
// outside it at the last column or row shows up as a mismatch.
TEST_F(Scaler, MatchesTheReferenceFilterRepeatsEdgesAndSkipsEmptySizes) {
  std::mt19937 rng(2);
  for (int i = 0; i < kFrameBytes; i++) gHaikeiBits[i] = uint8_t(rng());
  const int sizes[][4] = {{1920, 1080, 1280, 720}, {1000, 750, 850, 636}, {5, 3, 17, 11}, {41, 24, 32, 64}, {333, 211, 333, 211}};
  for (const auto& s : sizes) {
    std::memset(gUraCash, 0, kFrameBytes);
    rOPGresize(gUraCash, s[2], s[3], gHaikeiBits, s[0], s[1]);
    const std::vector<uint8_t> want = referenceResize(gHaikeiBits, s[0], s[1], s[2], s[3]);
    for (int y = 0; y < s[3]; y++) {
      ASSERT_EQ(std::memcmp(gUraCash + size_t(y) * kFrameStride, &want[size_t(y) * s[2] * 3],
                            size_t(s[2]) * 3), 0)
          << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3] << " row " << y;
    }
    EXPECT_TRUE(s[2] == kFrameW || framePixel(gUraCash, s[2], 0)[0] == 0) << "right of it";
    EXPECT_TRUE(s[3] == kFrameH || framePixel(gUraCash, 0, s[3])[0] == 0) << "below it";
  }
  std::memset(gUraCash, 0xAB, kFrameBytes);
  for (const auto& [dw, dh, sw] : {std::tuple{100, 0, 10}, {0, 100, 10}, {100, 100, 0}})
    rOPGresize(gUraCash, dw, dh, gHaikeiBits, sw, 10);
  EXPECT_EQ(gUraCash[0], 0xAB) << "an empty size writes nothing";
}
