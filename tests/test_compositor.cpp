// The drawing routine shared by the loaders, the decoded-picture cache with
// its painter, and the compositor: background fill, brightness, fitting to
// the window, the message window and the choice bars, and what it hands to
// the presenter.
#include <climits>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/blit.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"
#include "support/scenario_support.h"

namespace {

// Layer positions are checked through the painter below; here only that
// design widths at the int32 limits do not overflow.
TEST(Blit, PlacementAtExtremeDesignWidths) {
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

TEST_F(CacheTest, SixteenEntriesFirstInFirstOutDuplicatesRefusedReleaseAndResetForget) {
  for (int n = 1; n <= 16; n++) store(n * 10, 2, 2, 3, uint8_t(n));
  for (int n = 1; n <= 16; n++) EXPECT_EQ(cash_get2(n * 10), n - 1);
  EXPECT_EQ(cash_put2(20), -1);
  store(20, 4, 4, 4, 99);  // the first copy stays
  rOPGpng2(gHaikeiBits, cash_get2(10), 0);  // using an entry does not protect it
  store(170, 2, 2, 3, 17);
  EXPECT_EQ((Ints{cash_get2(10), cash_get2(170), cash_get2(20), cashins2, cashimg_CG2[0][0], cash_width2[1],
                  cashimg_CG2[1][0]}), (Ints{-1, 0, 1, 1, 17, 2, 2}));
  cacheRelease(cash_get2(30));
  EXPECT_TRUE(cash_get2(30) == -1 && cash_get2(40) == 3);
  cacheFreeAll();
  EXPECT_TRUE(cash_get2(40) == -1 && cashins2 == 0);
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

// Pixel (x, y) of the composed frame, as handed to the presenter.
Rgb composed(int x, int y) {
  const uint8_t* p = framePixel(gUra, x, y);
  return {p[0], p[1], p[2]};
}

struct Probe { int x, y; Rgb want; };
void expectComposed(std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) EXPECT_EQ(composed(p.x, p.y), p.want) << "at " << p.x << "," << p.y;
}

const Rgb kBlack{0, 0, 0};
const Rgb kWin{127, 127, 0};   // message window and question box, over black
const Rgb kBar{127, 63, 0};    // choice bar
const Rgb kLit{127, 175, 0};   // highlighted choice bar
const char kOneCharacter[] = "\x82\xa0";

class Compositor : public PlayerDirTest {
 protected:
  // A window of the given mode size with its start-up font size; the scene
  // (black until a test colours it) at the full design size.
  void window(int width, int height, int fontSize) {
    w = width, h = height, SystemFontSize = fontSize;
    resizeX = w, resizeY = h;
    SystemSizeW = 1920, SystemSizeH = 1080;
  }
};

TEST_F(Compositor, BrightnessScalesEveryByteAndSaturates) {
  window(1920, 1080, 96);
  HaikeiCGtype = 0x64C800;  // 100, 200, 0
  const struct { int on, percent; Rgb want; } cases[] = {{1, 100, {100, 200, 0}}, {1, 150, {150, 255, 0}},
      {1, 50, {50, 100, 0}}, {1, 0, {0, 0, 0}}, {1, -100, {255, 255, 0}}, {0, 0, {100, 200, 0}}};
  for (const auto& c : cases) {
    CgBright = c.on, CgBrighttype = c.percent;
    rGame(1);
    EXPECT_EQ(composed(1000, 500), c.want) << c.percent << "%, on " << c.on;
  }
}

TEST_F(Compositor, BackgroundColourFillsTheDesignScaledAndCentred) {
  const struct { int designW, designH, windowW, windowH, x0, y0, pictureW, pictureH; } cases[] = {
      {800, 600, 1280, 720, 160, 0, 960, 720},  {1000, 750, 1124, 644, 137, 3, 848, 636},
      {640, 480, 720, 480, 40, 0, 640, 480},    {1920, 1080, 720, 480, 0, 37, 720, 405},
      {0, 0, 720, 480, 0, 37, 720, 405},  // no design size yet: the full frame
      {1920, 1080, 1920, 1080, 0, 0, 1920, 1080},
  };
  for (const auto& c : cases) {
    window(c.windowW, c.windowH, 40);
    SystemSizeW = c.designW, SystemSizeH = c.designH;
    HaikeiCGtype = 0x336699;
    rGame(1);
    const Rgb colour{0x33, 0x66, 0x99};
    const int x1 = c.x0 + c.pictureW - 1, y1 = c.y0 + c.pictureH - 1;
    const int mx = c.x0 + c.pictureW / 2, my = c.y0 + c.pictureH / 2;
    SCOPED_TRACE(std::to_string(c.designW) + "x" + std::to_string(c.designH) + " in " + std::to_string(c.windowW));
    expectComposed({{c.x0, c.y0, colour}, {x1, y1, colour}});
    if (c.x0 > 0) expectComposed({{c.x0 - 1, my, kBlack}, {x1 + 1, my, kBlack}});
    if (c.y0 > 0) expectComposed({{mx, c.y0 - 1, kBlack}, {mx, y1 + 1, kBlack}});
    EXPECT_EQ(pix[y1 * kFrameW + x1], 0x336699u) << "handed to the presenter";
    EXPECT_EQ(cashok, c.pictureW < kFrameW) << "only a scaled copy is cached";
  }
}

TEST_F(Compositor, RedrawKeepsTheLastSceneAndAFrozenDisplayOnlyPresents) {
  window(1280, 720, 72);
  HaikeiCGtype = 0x00FF00, rGame(1);
  HaikeiCGtype = 0xFF0000, rGame(0);
  expectComposed({{640, 360, {0, 255, 0}}});
  rGame(1);
  expectComposed({{640, 360, {255, 0, 0}}});

  SystemMode = 1;
  std::memset(gUra, kFill, kFrameBytes);
  fillFrame(0x11);
  HaikeiCGtype = 0xFFFFFF;
  std::strcpy(Msg1, kOneCharacter);
  rGame(1);
  EXPECT_EQ(composed(640, 600), kUntouched);
  EXPECT_EQ(pixelAt(10, 10), (Rgb{0x11, 0x11, 0x11}));
  EXPECT_EQ(pix[0], 0x5A5A5Au);
}

TEST_F(Compositor, MessageWindowNeedsTheFirstLineOrAFaceAndHasItsBoundsAt72PixelFont) {
  window(1280, 720, 72);  // left = 184, window columns 150..1133
  std::strcpy(Msg2, kOneCharacter);
  rGame(1);
  expectComposed({{1100, 500, kBlack}});
  FaceCG = 1, rGame(0);
  expectComposed({{1100, 500, kWin}});
  FaceCG = 0, Msg2[0] = 0, std::strcpy(Msg1, kOneCharacter);
  rGame(0);
  expectComposed({{1100, 391, kBlack}, {1100, 392, kWin}, {1100, 667, kWin}, {1100, 668, kBlack},
                  {149, 500, kBlack},  {150, 500, kWin},  {1133, 500, kWin}, {1134, 500, kBlack}});
  std::strcpy(Msg4, kOneCharacter);
  rGame(0);
  expectComposed({{1100, 719, kWin}});  // with Msg4 it reaches the bottom
}

TEST_F(Compositor, ChoiceBarsAt72PixelFont) {
  window(1280, 720, 72);  // columns 116..1171
  SelectMode = 1;
  for (char* line : {Msg1, SelectMsg1, SelectMsg2, SelectMsg3}) std::strcpy(line, kOneCharacter);
  SelectNow = 1;
  EXPECT_EQ(stdoutOf([] { rGame(1); }), "0 : 152\n");
  expectComposed({{1160, 0, kWin},    {1160, 151, kWin}, {1160, 152, kBlack}, {1160, 227, kBlack},
                  {1160, 228, kBar},  {1160, 299, kBar}, {1160, 300, kBlack}, {1160, 304, kLit},
                  {1160, 375, kLit},  {1160, 380, kBar}, {1160, 460, kBlack},  // no fourth
                  {115, 240, kBlack}, {116, 240, kBar},  {1171, 240, kBar},   {1172, 240, kBlack}});
  std::strcpy(Msg3, kOneCharacter);
  EXPECT_EQ(stdoutOf([] { rGame(0); }), "0 : 228\n") << "a third question line makes the box taller";
  expectComposed({{1160, 227, kWin}});
}

}  // namespace
