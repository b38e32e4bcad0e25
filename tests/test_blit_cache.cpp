// The drawing routine shared by the loaders, and the decoded-picture cache
// with its painter.
#include <climits>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "image/blit.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

namespace {

// The layer positions at design width 800 are checked through the painter below.
TEST(Blit, PlacementForDesignWidths640AndTheExtremes) {
  const struct { int32_t layer, designW, width, x; } cases[] = {
      {1, 640, 301, 169}, {1, 640, 640, 0}, {2, 640, 200, 60}, {3, 640, 200, 380}, {0, 800, 300, 0},
      {2, 641, 301, 9},  // truncation toward zero at each step: (320 - 301) / 2
      {1, 640, 1001, -180}};
  for (const auto& c : cases)
    EXPECT_EQ(layerLeftEdge(c.layer, c.designW, c.width), c.x) << c.layer << " " << c.designW << " " << c.width;
  // Extreme design widths must not overflow.
  EXPECT_EQ(layerLeftEdge(3, INT_MAX, 0), int32_t((int64_t(INT_MAX) / 2 + INT_MAX) / 2));
  EXPECT_EQ(layerLeftEdge(3, INT_MIN, 65535), int32_t((int64_t(INT_MIN) / 2 + INT_MIN - 65535) / 2));
}

TEST(Blit, NothingIsWrittenOutsideTheFrame) {
  constexpr size_t kGuard = 4096;
  const int w = 2500, h = 1300;
  Bytes px(size_t(w) * h * 4, 200);
  px[0] = px[1] = px[2] = 0;  // key pixel
  for (int bpp : {3, 4})
    for (BlitMode mode : {BlitMode::Opaque, BlitMode::Keyed, BlitMode::Alpha})
      for (int x0 : {-3000, -1, 700, 1919, INT_MIN, INT_MAX}) {
        Bytes guarded(kFrameBytes + 2 * kGuard, kFill);
        blitPicture(guarded.data() + kGuard, {px.data(), w, h, bpp, PixelOrder::RGB, RowOrder::BottomUp}, x0,
                    INT_MAX, mode);
        const bool intact = std::count(guarded.begin(), guarded.begin() + kGuard, kFill) == kGuard &&
                            std::count(guarded.end() - kGuard, guarded.end(), kFill) == kGuard;
        ASSERT_TRUE(intact) << bpp << " " << int(mode) << " " << x0;
      }
}

class CacheTest : public PlayerDirTest {
 protected:
  void store(int32_t number, int width, int height, int bpp, uint8_t value) {
    const Bytes px(size_t(width) * height * bpp, value);
    cacheStorePicture(number, px.data(), width, height, bpp);
  }
};

TEST_F(CacheTest, SixteenEntriesFirstInFirstOut) {
  for (int n = 1; n <= 16; n++) store(n * 10, 2, 2, 3, uint8_t(n));
  for (int n = 1; n <= 16; n++) EXPECT_EQ(cash_get2(n * 10), n - 1);
  rOPGpng2(gHaikeiBits, cash_get2(10), 0);  // using an entry does not protect it
  store(170, 2, 2, 3, 17);
  EXPECT_EQ((std::vector<int>{cash_get2(10), cash_get2(170), cash_get2(20), cashins2, cashimg_CG2[0][0]}),
            (std::vector<int>{-1, 0, 1, 1, 17}));
}

TEST_F(CacheTest, DuplicatesAreRefusedReleaseAndResetForget) {
  store(12, 2, 2, 3, 1);
  EXPECT_EQ(cash_put2(12), -1);
  store(12, 4, 4, 4, 2);  // the first copy stays
  EXPECT_TRUE(cashins2 == 1 && cash_width2[0] == 2 && cashimg_CG2[0][0] == 1);
  store(6, 2, 2, 3, 1);
  cacheRelease(cash_get2(12));
  EXPECT_TRUE(cash_get2(12) == -1 && cash_get2(6) == 1);
  cacheFreeAll();
  EXPECT_TRUE(cash_get2(6) == -1 && cashins2 == 0);
  for (int i = 0; i < kCacheEntries; i++) EXPECT_EQ(cashimg_CG2[i], nullptr);
}

TEST_F(CacheTest, PainterDrawsOpaqueKeyedOrBlendedByLayerAndDepth) {
  SystemSizeW = 800, SystemSizeH = 600;
  Bytes px(300 * 2 * 3, 7);  // key colour everywhere but column 1 of row 0
  px[3] = px[4] = px[5] = 120;
  cacheStorePicture(12, px.data(), 300, 2, 3);
  const int entry = cash_get2(12);
  fillFrame();
  rOPGpng2(gHaikeiBits, entry, 0);  // background: opaque, key colour included
  EXPECT_TRUE(pixelAt(0, 0).r == 7 && pixelAt(299, 1).r == 7);
  for (auto [layer, x0] : {std::pair{1, 250}, {2, 50}, {3, 450}, {6, 0}}) {
    fillFrame();
    rOPGpng2(gHaikeiBits, entry, layer);
    EXPECT_TRUE(untouched(x0, 0) && pixelAt(x0 + 1, 0).r == 60 && untouched(x0 + 2, 0)) << layer;  // darkened edge
  }
  // Four channels blend in whole percent on every layer, the background too: source 200 over 100.
  const uint8_t alphas[] = {0, 1, 2, 3, 128, 254, 255};
  const uint8_t want[] = {100, 100, 100, 101, 150, 199, 200};
  Bytes rgba;
  for (uint8_t a : alphas) rgba.insert(rgba.end(), {200, 200, 200, a});
  cacheStorePicture(13, rgba.data(), 7, 1, 4);
  fillFrame(100);
  rOPGpng2(gHaikeiBits, cash_get2(13), 0);
  for (int i = 0; i < 7; i++) EXPECT_EQ(pixelAt(i, 0).r, want[i]) << "alpha " << int(alphas[i]);
  // A depth other than 3 or 4 draws nothing; nor does a bad entry index.
  cash_dotsize2[cash_get2(13)] = 2;
  fillFrame();
  for (int bad : {cash_get2(13), -1, 16}) rOPGpng2(gHaikeiBits, bad, 0);
  EXPECT_EQ(gHaikeiBits[0], kFill);
}

}  // namespace
