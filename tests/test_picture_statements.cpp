#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "support/test_support.h"

namespace {

int32_t run(const std::string& line) {
  std::strncpy(SinaMsg, line.c_str(), sizeof SinaMsg - 1);
  return rSPGkaiseki();
}

class PictureStatements : public PlayerDirTest {};

TEST_F(PictureStatements, EachKeywordFillsItsSlotWithItsType) {
  struct Case {
    const char* keyword;
    int32_t* number;
    int32_t* type;
    int32_t wantType;
  } cases[] = {
      {"HAIKEI", &HaikeiCG, &HaikeiCGtype, 0},     {"HAIKEI1", &HaikeiCG, &HaikeiCGtype, 0},
      {"HAIKEIBMP", &HaikeiCG, &HaikeiCGtype, 1},  {"HAIKEIJPG", &HaikeiCG, &HaikeiCGtype, 2},
      {"HAIKEIPNG", &HaikeiCG, &HaikeiCGtype, 3},  {"KOUKEIBMP", &KoukeiCG, &KoukeiCGtype, 1},
      {"KOUKEIPNG", &KoukeiCG, &KoukeiCGtype, 3},  {"ZENKEIBMP", &ZenkeiCG, &ZenkeiCGtype, 1},
      {"ZENKEIPNG", &ZenkeiCG, &ZenkeiCGtype, 3},  {"CHARA", &CharaCG[0], &CharaCGtype[0], 0},
      {"CHARA1", &CharaCG[0], &CharaCGtype[0], 0}, {"CHARABMP", &CharaCG[0], &CharaCGtype[0], 1},
      {"CHARAPNG", &CharaCG[0], &CharaCGtype[0], 3},
  };
  for (const Case& c : cases) {
    engineStateClear();
    *c.type = 77;
    EXPECT_EQ(run(std::string(c.keyword) + ": 42xyz\r\n"), 0) << c.keyword;
    EXPECT_EQ(*c.number, 42) << c.keyword;
    EXPECT_EQ(*c.type, c.wantType) << c.keyword;
    EXPECT_EQ(cgChange, 1) << c.keyword;
  }
}

TEST_F(PictureStatements, CharacterStatementsFillTheChosenSlot) {
  run("CHARA.ICHI:1");
  EXPECT_EQ(cgChange, 0);  // choosing a slot changes no picture
  run("CHARAPNG:12");
  EXPECT_EQ(CharaCG[1], 12);
  EXPECT_EQ(CharaCGtype[1], 3);
  run("CHARA:13");
  EXPECT_EQ(CharaCG[1], 13);
  EXPECT_EQ(CharaCGtype[1], 0);
  run("CHARA.ICHI:3");
  run("CHARA.ICHI:-1");
  EXPECT_EQ(CharaIchi, 1);
  run("CHARA.ICHI:2");
  run("CHARABMP:14");
  EXPECT_EQ(CharaCG[2], 14);
  EXPECT_EQ(CharaCG[0], 0);
}

TEST_F(PictureStatements, ClearingTheBackgroundStoresItsColour) {
  run("HAIKEIPNG:9");
  run("HAIKEI.CLEAR:255");
  EXPECT_EQ(HaikeiCG, 0);
  EXPECT_EQ(HaikeiCGtype, 255);
  run("HAIKEI.CLEAR:16711680");
  EXPECT_EQ(HaikeiCGtype, 0xFF0000);
  EXPECT_EQ(cgChange, 1);
  run("HAIKEI:0");  // a picture statement with 0 leaves a black background
  EXPECT_EQ(HaikeiCG, 0);
  EXPECT_EQ(HaikeiCGtype, 0);
}

TEST_F(PictureStatements, BrightnessHundredSwitchesOffWithoutRecomposing) {
  run("CG.BRIGHT:100");
  EXPECT_EQ(CgBright, 0);
  EXPECT_EQ(CgBrighttype, 100);
  EXPECT_EQ(cgChange, 0);
  run("CG.BRIGHT:150");
  EXPECT_EQ(CgBright, 1);
  EXPECT_EQ(CgBrighttype, 150);
  EXPECT_EQ(cgChange, 1);
  run("CG.BRIGHT:0");
  EXPECT_EQ(CgBright, 1);
  EXPECT_EQ(CgBrighttype, 0);
  run("CG.BRIGHT:100");
  EXPECT_EQ(CgBright, 0);
  EXPECT_EQ(cgChange, 1);  // never set back
}


// ---- Statements through the compositor -----------------------------------

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// 24-bit bottom-up BMP; fn gets (x, y) with y from the top.
std::vector<uint8_t> bmp24(int width, int height, const std::function<Rgb(int, int)>& fn) {
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> v(54 + stride * height, 0);
  v[0] = 'B', v[1] = 'M', v[10] = 54, v[14] = 40, v[26] = 1, v[28] = 24;
  v[18] = uint8_t(width), v[19] = uint8_t(width >> 8), v[22] = uint8_t(height), v[23] = uint8_t(height >> 8);
  for (int s = 0; s < height; s++)
    for (int x = 0; x < width; x++) {
      const Rgb c = fn(x, height - 1 - s);
      uint8_t* p = &v[54 + stride * s + size_t(x) * 3];
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return v;
}

Rgb scene(int x, int y) {
  const uint8_t* p = framePixel(gHaikeiBits, x, y);
  return {p[0], p[1], p[2]};
}

class Stage : public PictureStatements {
 protected:
  void SetUp() override {
    PictureStatements::SetUp();
    w = 640, h = 480, resizeX = 640, resizeY = 480, SystemFontSize = 24;
    SystemSizeW = 640, SystemSizeH = 480;
  }
};

const Rgb kKey{0, 0, 0};

TEST_F(Stage, LayersStackInOrderAndShowAtTheRedraw) {
  // Background red; overlay behind: a green 100-wide bar centred; centre
  // character: blue 50 wide; front overlay: white 10 wide. Key = black.
  auto bar = [](Rgb c, int inner) {
    return [=](int x, int) { return x < 1 || x > inner ? kKey : c; };
  };
  writeFile("1.jpg", bmp24(640, 480, [](int, int) { return Rgb{200, 0, 0}; }));
  writeFile("2.jpg", bmp24(102, 480, bar({0, 200, 0}, 100)));
  writeFile("3.jpg", bmp24(52, 480, bar({0, 0, 200}, 50)));
  writeFile("4.jpg", bmp24(12, 480, bar({200, 200, 200}, 10)));
  for (const char* line : {"HAIKEIBMP:1", "KOUKEIBMP:2", "CHARABMP:3", "ZENKEIBMP:4"}) run(line);
  EXPECT_EQ(scene(320, 100), (Rgb{0, 0, 0})) << "nothing shows before the redraw";
  run("CG.REDRAW:");
  EXPECT_EQ(scene(0, 0), (Rgb{200, 0, 0}));
  EXPECT_EQ(scene(270, 0), (Rgb{0, 100, 0}));  // overlay's left edge, darkened
  EXPECT_EQ(scene(280, 0), (Rgb{0, 200, 0}));
  EXPECT_EQ(scene(295, 0), (Rgb{0, 0, 100}));  // character's edge
  EXPECT_EQ(scene(300, 0), (Rgb{0, 0, 200}));
  EXPECT_EQ(scene(315, 0), (Rgb{100, 100, 100}));  // front overlay's edge
  EXPECT_EQ(scene(320, 0), (Rgb{200, 200, 200}));
  EXPECT_EQ(scene(330, 0), (Rgb{0, 0, 200}));
  EXPECT_EQ(scene(639, 479), (Rgb{200, 0, 0}));
}

TEST_F(Stage, RunLengthBackgroundAndCharacterWithSkippedSurroundings) {
  std::vector<uint8_t> background = {128, 100, 128};
  for (int i = 0; i < 640 * 480 / 256; i++) background.push_back(3), background.push_back(255);
  // Character on the right (columns 320..639): 10 positions skipped, then white.
  std::vector<uint8_t> character = {128, 7, 9, 255, 128};
  writeFile("5.jpg", background);
  writeFile("6.jpg", character);
  run("HAIKEI:5");
  run("CHARA.ICHI:2");
  run("CHARA:6");
  run("CG.REDRAW:");
  EXPECT_EQ(scene(329, 479), (Rgb{100, 100, 100}));
  EXPECT_EQ(scene(330, 479), (Rgb{255, 255, 255}));
  EXPECT_EQ(scene(331, 479), (Rgb{100, 100, 100}));
}

TEST_F(Stage, CachedNumbersAreRedrawnWithoutReadingTheFile) {
  // Picture 12 is cached (as a decoded PNG or JPEG would be); a BMP slot
  // with the same number shows the cached copy, not its own file.
  std::vector<uint8_t> cached(640 * 480 * 3, 33);
  cacheStorePicture(12, cached.data(), 640, 480, 3);
  writeFile("12.jpg", bmp24(640, 480, [](int, int) { return Rgb{200, 0, 0}; }));
  run("HAIKEIBMP:12");
  run("CG.REDRAW:");
  EXPECT_EQ(scene(5, 5), (Rgb{33, 33, 33}));
  run("HAIKEI.CLEAR:255");
  run("CG.REDRAW:");
  EXPECT_EQ(scene(5, 5), (Rgb{0, 0, 255}));
}

}  // namespace
