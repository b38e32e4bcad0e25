// The millisecond tick counter, driven by a stand-in clock.
#include "main/platform.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

uint32_t fakeNow;
uint32_t fakeClock() { return fakeNow; }

class TickCount : public ::testing::Test {
 protected:
  void SetUp() override { gTicksSource = fakeClock; }
  void TearDown() override { gTicksSource = nullptr; }
};

}  // namespace

TEST_F(TickCount, CountsSinceTheResetAndAWrapCountsOneShort) {
  fakeNow = 1000;
  resetTickCount();
  fakeNow = 1016;
  EXPECT_EQ(getTickCount(), 16u);
  EXPECT_EQ(getTickCount(), 16u) << "no time passed: the count stays";
  fakeNow = 4294967290u;
  resetTickCount();
  fakeNow = 5;  // 11 ms later, across the wrap
  EXPECT_EQ(getTickCount(), 10u);
  fakeNow = 25;
  EXPECT_EQ(getTickCount(), 30u);
}
