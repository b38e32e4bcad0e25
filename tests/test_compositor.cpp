// The compositor: background fill, brightness, fitting to the window, the
// message window and the choice bars, and what it hands to the presenter.
#include <array>
#include <cstring>
#include <initializer_list>
#include <string>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"

namespace {

using Rgb = std::array<int, 3>;
Rgb at(const uint8_t* frame, int x, int y) {
  const uint8_t* p = framePixel(frame, x, y);
  return {p[0], p[1], p[2]};
}

struct Probe { int x, y; Rgb want; };
void expectComposed(std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) EXPECT_EQ(at(gUra, p.x, p.y), p.want) << "at " << p.x << "," << p.y;
}

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};
const Rgb kWin{127, 127, 0};   // message window and question box, over black
const Rgb kBar{127, 63, 0};    // choice bar
const Rgb kLit{127, 175, 0};   // highlighted choice bar
const char kOneCharacter[] = "\x82\xa0";

class Compositor : public PlayerDirTest {
 protected:
  // A window of the given mode size with its start-up font size; a black
  // scene at the full design size.
  void window(int width, int height, int fontSize) {
    w = width, h = height, SystemFontSize = fontSize;
    resizeX = w, resizeY = h;
    SystemSizeW = 1920, SystemSizeH = 1080;
    HaikeiCG = 0;
    HaikeiCGtype = 0x000000;
  }
};

}  // namespace

TEST_F(Compositor, BrightnessScalesEveryByteAndSaturates) {
  window(1920, 1080, 96);
  HaikeiCGtype = 0x64C800;  // 100, 200, 0
  const struct { int on, percent; Rgb want; } cases[] = {{1, 100, {100, 200, 0}}, {1, 150, {150, 255, 0}},
      {1, 50, {50, 100, 0}}, {1, 0, {0, 0, 0}}, {1, -100, {255, 255, 0}}, {0, 0, {100, 200, 0}}};
  for (const auto& c : cases) {
    CgBright = c.on, CgBrighttype = c.percent;
    rGame(1);
    EXPECT_EQ(at(gUra, 1000, 500), c.want) << c.percent << "%, on " << c.on;
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
  std::memset(gUra, 0x5A, kFrameBytes);
  std::memset(gHaikeiBits, 0x11, kFrameBytes);
  HaikeiCGtype = 0xFFFFFF;
  std::strcpy(Msg1, kOneCharacter);
  rGame(1);
  EXPECT_EQ(at(gUra, 640, 600), (Rgb{0x5A, 0x5A, 0x5A}));
  EXPECT_EQ(at(gHaikeiBits, 10, 10), (Rgb{0x11, 0x11, 0x11}));
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
