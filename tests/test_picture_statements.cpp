// Picture statements: the slots and flags they set, and what the scene shows
// after a redraw.
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "support/image_support.h"

namespace {

int32_t run(const std::string& line) {
  std::strncpy(SinaMsg, line.c_str(), sizeof SinaMsg - 1);
  return rSPGkaiseki();
}

class PictureStatements : public PlayerDirTest {};

TEST_F(PictureStatements, EachKeywordFillsItsSlotWithItsType) {
  const struct { const char* keyword; int32_t* number; int32_t* type; int32_t wantType; } cases[] = {
      {"HAIKEI", &HaikeiCG, &HaikeiCGtype, 0},     {"HAIKEI1", &HaikeiCG, &HaikeiCGtype, 0},
      {"HAIKEIBMP", &HaikeiCG, &HaikeiCGtype, 1},  {"HAIKEIJPG", &HaikeiCG, &HaikeiCGtype, 2},
      {"HAIKEIPNG", &HaikeiCG, &HaikeiCGtype, 3},  {"KOUKEIBMP", &KoukeiCG, &KoukeiCGtype, 1},
      {"KOUKEIPNG", &KoukeiCG, &KoukeiCGtype, 3},  {"ZENKEIBMP", &ZenkeiCG, &ZenkeiCGtype, 1},
      {"ZENKEIPNG", &ZenkeiCG, &ZenkeiCGtype, 3},  {"CHARA", &CharaCG[0], &CharaCGtype[0], 0},
      {"CHARA1", &CharaCG[0], &CharaCGtype[0], 0}, {"CHARABMP", &CharaCG[0], &CharaCGtype[0], 1},
      {"CHARAPNG", &CharaCG[0], &CharaCGtype[0], 3},
  };
  for (const auto& c : cases) {
    engineStateClear();
    *c.type = 77;
    EXPECT_EQ(run(std::string(c.keyword) + ": 42xyz\r\n"), 0) << c.keyword;
    EXPECT_TRUE(*c.number == 42 && *c.type == c.wantType && cgChange == 1) << c.keyword;
  }
}

TEST_F(PictureStatements, CharacterStatementsFillTheChosenSlot) {
  for (const char* line : {"CHARA.ICHI:1", "CHARAPNG:12", "CHARA.ICHI:3", "CHARA.ICHI:-1"}) run(line);
  EXPECT_TRUE(CharaCG[1] == 12 && CharaCGtype[1] == 3 && CharaCG[0] == 0 && CharaIchi == 1) << "out of range: ignored";
}

class Stage : public PictureStatements {
 protected:
  void SetUp() override {
    PictureStatements::SetUp();
    w = 640, h = 480, resizeX = 640, resizeY = 480, SystemFontSize = 24;
    SystemSizeW = 640, SystemSizeH = 480;
  }
};

TEST_F(Stage, LayersStackInOrderAndShowAtTheRedraw) {
  // Key black. Background red; overlay behind: green 100 wide; centre
  // character: blue 50 wide; front overlay: white 10 wide; all centred.
  auto bar = [](int inner, Rgb c) {
    return makeBmp(inner + 2, 480, 24, [=](int x, int) { return x < 1 || x > inner ? Rgb{0, 0, 0} : c; });
  };
  writeFile("1.jpg", makeBmp(640, 480, 24, [](int, int) { return Rgb{200, 0, 0}; }));
  writeFile("2.jpg", bar(100, {0, 200, 0}));
  writeFile("3.jpg", bar(50, {0, 0, 200}));
  writeFile("4.jpg", bar(10, {200, 200, 200}));
  for (const char* line : {"HAIKEIBMP:1", "KOUKEIBMP:2", "CHARABMP:3", "ZENKEIBMP:4"}) run(line);
  EXPECT_EQ(pixelAt(320, 100), (Rgb{0, 0, 0})) << "nothing shows before the redraw";
  run("CG.REDRAW:");
  const struct { int x; Rgb c; } row0[] = {{0, {200, 0, 0}},     {270, {0, 100, 0}},         {280, {0, 200, 0}},
                                           {295, {0, 0, 100}},   {300, {0, 0, 200}},         {315, {100, 100, 100}},
                                           {320, {200, 200, 200}}, {330, {0, 0, 200}}};
  for (const auto& p : row0) EXPECT_EQ(pixelAt(p.x, 0), p.c) << p.x;  // edges darkened
  EXPECT_EQ(pixelAt(639, 479), (Rgb{200, 0, 0}));
}

TEST_F(Stage, RunLengthBackgroundAndCharacterWithSkippedSurroundings) {
  writeFile("5.jpg", greyRunLength(640 * 480));
  writeFile("6.jpg", Bytes{128, kRleSkip, 9, 255, 128});  // right half: 10 skipped, then white
  for (const char* line : {"HAIKEI:5", "CHARA.ICHI:2", "CHARA:6", "CG.REDRAW:"}) run(line);
  EXPECT_TRUE(pixelAt(329, 479) == (Rgb{100, 100, 100}) && pixelAt(330, 479) == (Rgb{255, 255, 255}) &&
              pixelAt(331, 479) == (Rgb{100, 100, 100}));
}

}  // namespace
