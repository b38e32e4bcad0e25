// The display reset and the start of a new game.
#include <cstring>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "support/scenario_support.h"
#include "support/test_support.h"

class Resets : public PlayerDirTest {};

TEST_F(Resets, DisplayResetLeavesAWhiteEmptyStage) {
  CharaCG[1] = 4;
  CharaIchi = 2;
  FaceCG = 1;
  std::strcpy(Msg3, "xx");
  std::strcpy(SelectMsg6, "yy");
  SelectGoto[5] = 3;
  HaikeiCG = 12;
  gFlag8[1] = 5;
  KoukeiCG = 9;
  SelectMode = 1;
  cashok = 1;
  gNextTickCount = 7;
  const uint8_t pixels[3] = {1, 2, 3};
  cacheStorePicture(77, pixels, 1, 1, 3);
  ASSERT_GE(cash_get2(77), 0);

  rSPGbegin();
  EXPECT_EQ(CharaCG[1] + CharaIchi + FaceCG + HaikeiCG + SelectGoto[5] + cashok, 0);
  EXPECT_EQ(HaikeiCGtype, 0xFFFFFF);
  EXPECT_EQ(Msg3[0] + SelectMsg6[0], 0);
  EXPECT_EQ(cash_get2(77), -1);
  EXPECT_EQ(cashins2, 0);
  EXPECT_EQ(gNextTickCount, 0u);
  EXPECT_EQ(gFlag8[1], 5) << "flags survive";
  EXPECT_EQ(KoukeiCG, 9) << "overlays survive";
  EXPECT_EQ(SelectMode, 1);
}

TEST_F(Resets, NewGameClearsFlagsSetsDesignSizeAndStartsAtTheTop) {
  startScenario("FLAG8.PLUS:1\nKEYWAIT:\nFLAG8.PLUS:10\nKEYWAIT:\n");
  rCPGgetsina(0);
  ASSERT_EQ(gFlag8[0], 11);
  gFlag1[2047] = 1;
  gFlag16Now = 5;
  gFlag32[63] = 9;
  SystemSizeW = 480;
  KisyuMode = 8;
  rOPGstartsina();
  EXPECT_EQ(gFlag8[0], 1) << "ran from the first line again";
  EXPECT_EQ(gFlag1[2047] + gFlag16Now + gFlag32[63], 0);
  EXPECT_EQ(SystemSizeW, 1920);
  EXPECT_EQ(SystemSizeH, 1080);
  EXPECT_EQ(KisyuMode, 7);
}
