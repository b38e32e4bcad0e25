// Start-up without a usable display: SDL cannot start its video, and the
// player ends at once with -1 and not a word (SDL_Init failed).
#include <string>

#include "support/test_support.h"

TEST_F(PlayerDirTest, WithoutADisplayThePlayerEndsSilentlyWithMinusOne) {
  const CommandResult r = runCommand(
      "LSAN_OPTIONS=suppressions=" TAVINO_SOURCE_DIR "/tests/support/x11.supp "
      "SDL_VIDEODRIVER=x11 DISPLAY=:97 SDL_AUDIODRIVER=dummy " TAVINO_PLAYER " 131 2>&1");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.output, "");
}
