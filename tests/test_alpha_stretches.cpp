// Alpha drawing goes sixteen pixels a step where a stretch is wholly
// transparent or wholly opaque: every mix of such stretches and blends, in
// both pixel orders and clipped at both frame edges, must draw what one
// pixel at a time would.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "image/blit.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

TEST(AlphaStretches, AreSkippedCopiedOrBlendedLikeSinglePixels) {
  // Runs of alpha 0, 255 and 128 of every length up to 40: some cover whole
  // sixteen-pixel steps, some end inside one.
  const int width = 900;
  Bytes pixels(size_t(width) * 4);
  std::mt19937 rng(8);
  for (int x = 0, run = 0; x < width; run++) {
    const uint8_t alpha = run % 3 == 2 ? 128 : run % 3 ? 255 : 0;
    for (int n = 1 + int(rng() % 40); n > 0 && x < width; n--, x++) {
      for (int c = 0; c < 3; c++) pixels[size_t(x) * 4 + c] = uint8_t(rng());
      pixels[size_t(x) * 4 + 3] = alpha;
    }
  }
  for (PixelOrder order : {PixelOrder::RGB, PixelOrder::BGR})
    for (int x0 : {0, -5, 1500}) {
      fillFrame();
      blitPicture(gHaikeiBits, {pixels.data(), width, 1, 4, order, RowOrder::TopDown}, x0, 1, BlitMode::Alpha);
      for (int x = std::max(0, x0); x < std::min(kFrameW, x0 + width); x++) {
        const uint8_t* p = &pixels[size_t(x - x0) * 4];
        const Rgb source = order == PixelOrder::RGB ? Rgb{p[0], p[1], p[2]} : Rgb{p[2], p[1], p[0]};
        const auto half = [](uint8_t v) { return uint8_t((v * 50 + kFill * 50) / 100); };
        const Rgb want = p[3] == 0     ? kUntouched
                         : p[3] == 255 ? source
                                       : Rgb{half(source.r), half(source.g), half(source.b)};
        ASSERT_EQ(pixelAt(x, 0), want) << "x " << x << ", picture at " << x0;
      }
    }
}
