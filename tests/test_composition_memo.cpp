// The composition memo against composing every time: one walk of scene
// changes, run with the memo and with it forgotten after every frame, must
// leave the same buffers after every step, and the memo run paints (P) only
// where the scene may have changed.
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "display/composition_memo.h"
#include "display/display.h"
#include "display/overlays.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "support/image_support.h"

namespace {

// `seed` changes every byte; pictures with alpha have runs of 0, 255 and 128.
void store(int32_t number, int width, int height, int bpp, uint32_t seed) {
  Bytes px(size_t(width) * height * bpp);
  for (size_t i = 0; i < px.size(); i++)
    px[i] = bpp == 4 && i % 4 == 3 ? "\x00\xff\x80"[i / 148 % 3] : uint8_t((i * i + seed) * 2654435761u >> 24);
  cacheStorePicture(number, px.data(), width, height, bpp);
}

void storePictures(uint32_t seed) {  // 3 does not cover the frame, 4 has alpha
  const int pictures[][4] = {{1, 1920, 1080, 3}, {3, 1280, 720, 3}, {4, 1920, 1080, 4},
                             {10, 640, 900, 4},  {11, 500, 700, 3},  {12, 700, 1000, 4}};
  for (const auto& p : pictures) store(p[0], p[1], p[2], p[3], seed + uint32_t(p[0]));
}

void scene() {  // from the cache, with an overlay type its layer cannot load
  HaikeiCG = 1, HaikeiCGtype = 0x336699, KoukeiCG = 99, KoukeiCGtype = 2;
  CharaCG[0] = 11, CharaCG[1] = 10, CharaCG[2] = 12;
}

const struct Step {
  std::function<void()> change;
  int redraw;
  char memo;  // P: the memo run paints; -: it keeps the buffers
} kWalk[] = {
    {[] { HaikeiCGtype = 0x336699; }, 1, 'P'}, {[] {}, 1, '-'}, {scene, 1, 'P'},
    {[] { std::strcpy(Msg1, "\x82\xa0"); }, 0, '-'}, {[] { gWindowsHidden = true; }, 1, '-'},
    {[] { CgBright = 1, CgBrighttype = 60; }, 1, 'P'}, {[] {}, 1, '-'}, {[] { CgBright = 0; }, 1, 'P'},
    {[] {  // evicted, and other pictures stored under the same numbers
       for (int n = 0; n < kCacheEntries; n++) store(200 + n, 1, 1, 3, n);
       storePictures(7);
     }, 1, 'P'},
    {[] { w = 1920, h = 1080; }, 1, 'P'}, {[] {}, 1, '-'},
    {[] { ASSERT_TRUE(rollBackOneStop()); }, 0, '-'},  // to a stop never composed
    {scene, 1, 'P'}, {[] { CharaCG[1] = 0; }, 1, 'P'}, {[] { w = 576, h = 384; }, 1, 'P'}, {[] {}, 1, '-'},
    {[] { resizeX = 300, resizeY = 200; }, 1, 'P'},  // as a stop of another window holds them
    {[] { CharaCGtype[0] = 2; }, 1, 'P'}, {[] { cacheRelease(cash_get2(11)); }, 1, 'P'},
    {[] { KoukeiCG = 5, KoukeiCGtype = 1; }, 1, 'P'}, {[] {}, 1, 'P'},  // through the BMP loader
    {[] { KoukeiCG = 0, HaikeiCG = 3; }, 1, 'P'}, {[] {}, 1, 'P'}, {[] { HaikeiCG = 4; }, 1, 'P'}, {[] {}, 1, 'P'},
};

// Digests of every buffer and value rGame leaves after each step, and which steps painted.
std::pair<std::vector<uint64_t>, std::string> walk(bool memo) {
  engineStateClear();
  clearHistoryAndRollback();
  gFrameHook = memo ? nullptr : forgetComposition;
  w = 1280, h = 720, resizeX = w, resizeY = h, SystemFontSize = 48, SystemSizeW = 1920, SystemSizeH = 1080;
  writeFile("5.jpg", makeBmp(300, 200, 24, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 9}; }));
  storePictures(1);
  noteWaitingStatement();  // a stop before anything is composed, and the one the player is at
  noteWaitingStatement();
  std::pair<std::vector<uint64_t>, std::string> out;
  for (const Step& step : kWalk) {
    const uint64_t before = compositionsPainted();
    step.change();
    rGame(step.redraw);
    const double resize[2] = {resizeX, resizeY};
    const std::pair<const void*, size_t> values[] = {{&cashok, sizeof cashok}, {resize, sizeof resize},
        {gHaikeiBits, kFrameBytes}, {gUraCash, kFrameBytes}, {gUra, kFrameBytes}, {pix, size_t(kFrameW) * kFrameH * 4}};
    uint64_t d = 0;
    for (const auto& [at, size] : values)
      d = d * 1000003 ^ std::hash<std::string_view>{}({static_cast<const char*>(at), size});
    out.first.push_back(d);
    out.second += compositionsPainted() != before ? 'P' : '-';
  }
  gFrameHook = nullptr, gWindowsHidden = false;
  return out;
}

TEST_F(PlayerDirTest, CompositionMemoLeavesWhatComposingAnewLeaves) {
  const auto full = walk(false), memo = walk(true);
  std::string painted, paintedAnew;
  for (const Step& step : kWalk) painted += step.memo, paintedAnew += step.redraw ? 'P' : '-';
  EXPECT_EQ(memo.second, painted);
  EXPECT_EQ(full.second, paintedAnew);
  for (size_t i = 0; i < std::size(kWalk); i++) EXPECT_EQ(memo.first[i], full.first[i]) << "step " << i;
  EXPECT_NE(full.first[21], full.first[22]) << "blending again changes what the background leaves uncovered";
}

}  // namespace
