#include <cstring>
#include <string>

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

}  // namespace
