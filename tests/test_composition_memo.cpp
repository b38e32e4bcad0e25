// The composition memo against composing every time. One walk of scene
// changes runs twice: with the memo, and with the memo forgotten after every
// presented frame. After each step every buffer and value the compositor
// leaves must be the same in both runs, and the memo run must paint exactly
// where the scene could have changed.
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "display/composition_memo.h"
#include "display/display.h"
#include "display/overlays.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "support/image_support.h"

namespace {

// Pictures in the cache: `seed` varies every byte, so that a picture stored
// again under the same number differs from the one it replaces.
void storePicture(int32_t number, int width, int height, int bpp, uint32_t seed) {
  Bytes px(size_t(width) * height * bpp);
  uint32_t s = seed * 2654435761u + 1;
  for (size_t i = 0; i < px.size(); i++) px[i] = uint8_t((s = s * 1103515245u + 12345u) >> 24);
  if (bpp == 4) {
    // Runs of transparent, opaque and half-covering pixels.
    for (size_t p = 0; p < px.size() / 4; p++) px[p * 4 + 3] = (p / 37) % 3 == 0 ? 0 : (p / 37) % 3 == 1 ? 255 : 128;
  } else {
    for (size_t p = 0; p < px.size() / 3; p += 5) std::memcpy(&px[p * 3], px.data(), 3);  // key colour
  }
  cacheStorePicture(number, px.data(), width, height, bpp);
}

void storeScene(uint32_t seed) {
  storePicture(1, 1920, 1080, 3, seed);  // backgrounds
  storePicture(2, 1920, 1080, 3, seed + 1);
  storePicture(3, 1280, 720, 3, seed + 2);   // does not cover the frame
  storePicture(4, 1920, 1080, 4, seed + 3);  // has alpha
  storePicture(10, 640, 900, 4, seed + 4);   // characters
  storePicture(11, 500, 700, 3, seed + 5);
  storePicture(12, 700, 1000, 4, seed + 6);
}

void scene(int32_t background, int32_t left, int32_t centre, int32_t right) {
  HaikeiCG = background;
  CharaCG[0] = centre, CharaCG[1] = left, CharaCG[2] = right;
}

struct Step {
  const char* name;
  std::function<void()> change;
  int redraw;
  bool paints;  // with the memo
};

const Step kWalk[] = {
    {"fill colour", [] { HaikeiCGtype = 0x336699; }, 1, true},
    {"the same fill", [] {}, 1, false},
    {"cached background and characters", [] { scene(1, 10, 11, 12); }, 1, true},
    {"the same scene", [] {}, 1, false},
    {"text only", [] { std::strcpy(Msg1, "\x82\xa0"); }, 0, false},
    {"windows hidden", [] { gWindowsHidden = true; }, 1, false},
    {"frozen display", [] { SystemMode = 1, gWindowsHidden = false; }, 1, false},
    {"one character changed", [] { SystemMode = 0, CharaCG[1] = 0; }, 1, true},
    {"an overlay type its layer cannot load", [] { KoukeiCG = 99, KoukeiCGtype = 2; }, 1, true},
    {"the same scene", [] {}, 1, false},
    {"brightness on", [] { CgBright = 1, CgBrighttype = 60; }, 1, true},
    {"the same brightness", [] {}, 1, false},
    {"brightness off", [] { CgBright = 0; }, 1, true},
    {"pictures evicted and others stored under the same numbers",
     [] {
       for (int n = 0; n < kCacheEntries; n++) storePicture(200 + n, 1, 1, 3, n);
       storeScene(7);
     },
     1, true},
    {"the same scene", [] {}, 1, false},
    {"window of the design size", [] { w = 1920, h = 1080; }, 1, true},
    {"the same scene", [] {}, 1, false},
    {"back to the first stop, never composed", [] { ASSERT_TRUE(rollBackOneStop()); }, 0, false},
    {"the scene before the rollback",
     [] { scene(1, 0, 11, 12), KoukeiCG = 99, KoukeiCGtype = 2, HaikeiCGtype = 0x336699, CgBrighttype = 60; },
     1, true},
    {"a small window", [] { w = 576, h = 384; }, 1, true},
    {"the same scene", [] {}, 1, false},
    {"a picture area put back from another window", [] { resizeX = 300, resizeY = 200; }, 1, true},
    {"a character whose type this layer cannot load", [] { CharaCGtype[0] = 2; }, 1, true},
    {"that character gone from the cache", [] { cacheRelease(cash_get2(11)); }, 1, true},
    {"scaled afresh for another window in between",
     [] {
       cashok = 0, w = 800, h = 600;
       rGame(0);
       w = 576, h = 384;
     },
     1, true},
    {"an overlay through the BMP loader", [] { KoukeiCG = 5, KoukeiCGtype = 1; }, 1, true},
    {"the same overlay, loaded again", [] {}, 1, true},
    {"a background that does not cover", [] { KoukeiCG = 0, HaikeiCG = 3; }, 1, true},
    {"the same, blended again over the uncovered part", [] {}, 1, true},
    {"a background with alpha", [] { HaikeiCG = 4; }, 1, true},
    {"the same", [] {}, 1, true},
    {"a background nothing draws", [] { HaikeiCG = 77, HaikeiCGtype = 9; }, 1, true},
    {"the same", [] {}, 1, true},
};

uint64_t digest(const uint8_t* bytes, size_t n) {
  return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(bytes), n));
}

struct Outcome {
  uint64_t scene, scaled, window, presented;
  int32_t cashok;
  double resizeX, resizeY;
  bool painted, composes;  // composes: asked to compose, not frozen
};

std::vector<Outcome> walk(bool memo) {
  engineStateClear();
  clearHistoryAndRollback();
  gWindowsHidden = false;
  gFrameHook = memo ? nullptr : forgetComposition;
  w = 1280, h = 720, resizeX = w, resizeY = h, SystemFontSize = 48;
  SystemSizeW = 1920, SystemSizeH = 1080;
  writeFile("5.jpg", makeBmp(300, 200, 24, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 9}; }));
  storeScene(1);
  noteWaitingStatement();  // a stop before anything was composed, and the one the player is at
  noteWaitingStatement();
  std::vector<Outcome> out;
  for (const Step& step : kWalk) {
    const uint64_t before = compositionsPainted();
    step.change();
    rGame(step.redraw);
    out.push_back({digest(gHaikeiBits, kFrameBytes), digest(gUraCash, kFrameBytes), digest(gUra, kFrameBytes),
                   digest(reinterpret_cast<const uint8_t*>(pix), size_t(kFrameW) * kFrameH * 4), cashok, resizeX,
                   resizeY, compositionsPainted() != before, step.redraw != 0 && SystemMode != 1});
  }
  gFrameHook = nullptr;
  return out;
}

TEST_F(PlayerDirTest, CompositionMemoLeavesWhatComposingAnewLeavesAndSkipsOnlyRepeats) {
  const std::vector<Outcome> full = walk(false), memo = walk(true);
  for (size_t i = 0; i < std::size(kWalk); i++) {
    SCOPED_TRACE(std::to_string(i) + ": " + kWalk[i].name);
    const Outcome &a = memo[i], &b = full[i];
    EXPECT_EQ(a.scene, b.scene) << "gHaikeiBits";
    EXPECT_EQ(a.scaled, b.scaled) << "gUraCash";
    EXPECT_EQ(a.window, b.window) << "gUra";
    EXPECT_EQ(a.presented, b.presented) << "pix";
    EXPECT_EQ((std::vector<double>{double(a.cashok), a.resizeX, a.resizeY}),
              (std::vector<double>{double(b.cashok), b.resizeX, b.resizeY}));
    EXPECT_EQ(a.painted, kWalk[i].paints);
    EXPECT_EQ(b.painted, b.composes) << "composing anew paints every time";
  }
  // Blending again really changes the uncovered part: keeping it would show.
  for (size_t i = 1; i < std::size(kWalk); i++)
    if (std::string_view(kWalk[i].name).find("blended again") != std::string_view::npos)
      EXPECT_NE(full[i].scene, full[i - 1].scene);
}

}  // namespace
