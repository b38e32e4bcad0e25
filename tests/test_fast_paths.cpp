// The presenter's frame conversion, whichever path start-up chose: the AVX2
// kernel, or under TAVINO_PORTABLE=1 (a CTest run of its own) the portable
// loop. The other kernels are judged where their results are: the scaler
// and JPEG tests run on both paths too, fuzz_vector_paths compares the
// kernels on any input, and fuzz_inflate holds the inflate to zlib.
#include <gtest/gtest.h>

#include <random>

#include "display/display.h"
#include "scenario/engine_state.h"

TEST(FastPaths, PresenterConvertsEveryPixelOfTheFrame) {
  std::mt19937 rng(2);
  for (int i = 0; i < kFrameBytes; i++) gUra[i] = uint8_t(rng());
  SDLview();  // no window: only the conversion runs
  for (int i = 0; i < kFrameW * kFrameH; i++) {
    const uint8_t* p = gUra + 3 * i;
    ASSERT_EQ(pix[i], uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) << "pixel " << i;
  }
}
