// The history screen and rollback through the real main loop: the keys, the
// frames they present, at the smallest and the largest window.
#include <string>

#include "support/play_support.h"
#include "support/text_support.h"

namespace {
class History : public PlayerDirTest {};
}  // namespace

TEST_F(History, ScrollsClosesAndTakesEveryInputWhileOpen) {
  const bool font = installDemoFont(dir_);
  std::string scenario = "SCENE:1\n", keys;
  for (int i = 1; i <= 9; i++) {
    scenario += "FLAG8.PLUS:1\nMSG:message " + std::to_string(i) + "\n";
    keys += "enter,";
  }
  writeFile("sinario.txt", scenario);
  // Back two messages by Page Up and the wheel: seven entries, more than either window shows.
  keys += "pageup,wheelup,l,pageup,pagedown,wheelup,wheeldown,wheeldown,l,space,enter,l";
  const struct { const char* mode; int w, h, fs; } windows[] = {{"1", 576, 384, 32}, {"132", 1920, 1080, 96}};
  for (const auto& win : windows) {
    SCOPED_TRACE(win.mode);
    const PlayRun r = playScenario(dir_, keys, std::string("--mode ") + win.mode);
    ASSERT_EQ(r.status, 0) << r.output;  // quit works with the history open
    for (const auto& [name, value] : {std::pair{"historyOpen", "1"}, {"historyEntries", "7"},
                                      {"rollbackSteps", "6"}, {"gFlag8", "0:7"}, {"menumode", "0"}})
      EXPECT_EQ(r.state.at(name), value) << name;
    ASSERT_EQ(r.frames, 21) << "title, nine messages, two rollbacks, nine history frames";
    // Each rollback shows the frame first shown at its message (the title is frame 1).
    EXPECT_TRUE(r.frame(11).rgb == r.frame(9).rgb && r.frame(12).rgb == r.frame(8).rgb);
    const PpmImage newest = r.frame(13), older = r.frame(14);
    EXPECT_NE(newest.rgb, older.rgb);
    for (int n : {15, 17, 19, 21}) EXPECT_EQ(r.frame(n).rgb, newest.rgb) << "frame " << n;
    EXPECT_EQ(r.frame(16).rgb, older.rgb) << "the wheel scrolls like Page Up";
    for (int n : {18, 20}) EXPECT_EQ(r.frame(n).rgb, r.frame(12).rgb) << "closed on frame " << n;
    // The newest entry's panel: within the window, half a cell above its bottom, its text drawn.
    const int fs = win.fs, left = (win.w - 12 * fs - 48) / 2, x0 = left - fs - 8, x1 = left + 13 * fs + 56;
    const int bottom = win.h - fs / 2, top = bottom - (2 * (fs / 4 + 2) + fs);
    ASSERT_TRUE(x0 >= 0 && x1 < win.w);
    const uint32_t panel = 0x7F7F00;  // the message window's tint over black
    EXPECT_EQ(inkIn(newest, x0, top, x1, top + 1, panel) + inkIn(newest, x0, bottom - 1, x1, bottom, panel),
              2 * (x1 - x0));
    EXPECT_EQ(inkIn(newest, x0 - 1, top, x0, bottom, panel), 0) << "the darkened scene beside it";
    if (font) {
      EXPECT_GT(inkIn(newest, left, top, left + 9 * (fs / 2 + 2), bottom), 3 * fs);
    }
  }
}
