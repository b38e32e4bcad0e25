// The display reset and the start of a new game.
#include <cstring>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"

class Resets : public PlayerDirTest {};

TEST_F(Resets, DisplayResetLeavesAWhiteEmptyStage) {
  CharaCG[1] = CharaIchi = FaceCG = SelectGoto[5] = HaikeiCG = cashok = 4;
  std::strcpy(Msg3, "xx");
  std::strcpy(SelectMsg6, "yy");
  gFlag8[1] = KoukeiCG = SelectMode = 5;
  gNextTickCount = 7;
  const uint8_t pixels[3] = {1, 2, 3};
  cacheStorePicture(77, pixels, 1, 1, 3);
  ASSERT_GE(cash_get2(77), 0);

  rSPGbegin();
  EXPECT_EQ((Ints{CharaCG[1], CharaIchi, FaceCG, SelectGoto[5], HaikeiCG, cashok, Msg3[0],
                  SelectMsg6[0], cash_get2(77), cashins2, int(gNextTickCount)}),
            (Ints{0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0}));
  EXPECT_EQ(HaikeiCGtype, 0xFFFFFF);
  EXPECT_EQ((Ints{gFlag8[1], KoukeiCG, SelectMode}), (Ints{5, 5, 5})) << "flags and overlays stay";
}

TEST_F(Resets, NewGameClearsFlagsSetsDesignSizeAndStartsAtTheTop) {
  startScenario("FLAG8.PLUS:1\nKEYWAIT:\nFLAG8.PLUS:10\nKEYWAIT:\n");
  rCPGgetsina(0);
  ASSERT_EQ(gFlag8[0], 11);
  gFlag1[2047] = gFlag16Now = gFlag32[63] = 1;
  SystemSizeW = 480;
  KisyuMode = 8;
  rOPGstartsina();
  EXPECT_EQ(gFlag8[0], 1) << "ran from the first line again";
  EXPECT_EQ((Ints{gFlag1[2047], gFlag16Now, gFlag32[63]}), (Ints{0, 0, 0}));
  EXPECT_EQ((Ints{SystemSizeW, SystemSizeH, KisyuMode}), (Ints{1920, 1080, 7}));
}
