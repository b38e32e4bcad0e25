#include <cstring>

#include "scenario/engine_state.h"
#include "support/test_support.h"

TEST(EngineState, ProcessStartValues) {
  engineStateClear();
  EXPECT_EQ(menumode, 1);
  EXPECT_EQ(SystemSizeW, 0);
  EXPECT_EQ(pSinaFile, nullptr);
  EXPECT_EQ(std::strlen(SinaFile), 0u);
}

TEST(EngineState, LineAccessorsCoverEveryLine) {
  EXPECT_EQ(messageLine(0), Msg1);
  EXPECT_EQ(messageLine(3), Msg4);
  EXPECT_EQ(selectLine(0), SelectMsg1);
  EXPECT_EQ(selectLine(5), SelectMsg6);
}
