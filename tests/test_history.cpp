// The history screen and rollback through the real main loop: the keys,
// the frames they present, and the smallest and largest windows.
#include <string>

#include "support/play_support.h"
#include "support/text_support.h"

namespace {

class History : public PlayerDirTest {};

// Messages "message 1" ... "message n", each counted in entry 0 of gFlag8.
std::string messages(int n) {
  std::string s = "SCENE:1\n";
  for (int i = 1; i <= n; i++) s += "FLAG8.PLUS:1\nMSG:message " + std::to_string(i) + "\n";
  return s;
}

std::string repeat(const std::string& key, int n) {
  std::string s;
  for (int i = 0; i < n; i++) s += key + ",";
  return s;
}

}  // namespace

TEST_F(History, ScrollsClosesAndTakesEveryInputWhileOpen) {
  const bool font = installDemoFont(dir_);
  writeFile("sinario.txt", messages(9));
  // Nine messages, back two by Page Up and the wheel; the history then holds
  // seven entries, one more than a 576 x 384 window shows.
  const std::string keys = repeat("enter", 9) + "pageup,wheelup," +
                           "l,pageup,pageup,pagedown,wheelup,wheeldown,wheeldown,l,space,enter,l";
  const PlayRun r = playScenario(dir_, keys, "--mode 1");
  ASSERT_EQ(r.status, 0) << r.output;  // quit works with the history open
  for (const auto& [name, value] : {std::pair{"historyOpen", "1"}, {"historyEntries", "7"},
                                    {"rollbackSteps", "6"}, {"gFlag8", "0:7"}, {"menumode", "0"}})
    EXPECT_EQ(r.state.at(name), value) << name;
  ASSERT_EQ(r.frames, 21) << "title, nine messages, two rollbacks, nine history changes";
  // Each rollback shows the frame first shown at its message (the title is frame 1).
  EXPECT_TRUE(r.frame(11).rgb == r.frame(9).rgb && r.frame(12).rgb == r.frame(8).rgb);
  const PpmImage newest = r.frame(13), older = r.frame(14);
  EXPECT_NE(newest.rgb, older.rgb);
  for (int n : {15, 17, 19, 21}) EXPECT_EQ(r.frame(n).rgb, newest.rgb) << "frame " << n;
  EXPECT_EQ(r.frame(16).rgb, older.rgb) << "the wheel scrolls like Page Up";
  for (int n : {18, 20}) EXPECT_EQ(r.frame(n).rgb, r.frame(12).rgb) << "closed on frame " << n;
  // The newest entry at the bottom: its panel ends 16 rows above the bottom, its text is drawn.
  EXPECT_EQ(inkIn(newest, 32, 366, 544, 368, 0x7F7F00), 512 * 2);
  if (font) {
    EXPECT_GT(inkIn(newest, 72, 326, 72 + 9 * 18, 358), 100);
  }
}

TEST_F(History, PanelsFitTheSmallestAndTheLargestWindow) {
  installDemoFont(dir_);
  const std::string fourLines(96, 'W');
  writeFile("sinario.txt", "SCENE:1\nSELECT.MODE:1\nSELECT.MSG:Yes\nSELECT.GOTO:2\nMSG:" + fourLines +
                               "\nSCENE:2\nMSG:" + fourLines + "\n");
  const struct { const char* mode; int w, h, fs; } windows[] = {{"1", 576, 384, 32}, {"132", 1920, 1080, 96}};
  for (const auto& win : windows) {
    const PlayRun r = playScenario(dir_, "enter,down,enter,l", std::string("--mode ") + win.mode);
    ASSERT_EQ(r.state.at("historyEntries"), "3") << r.output;
    const PpmImage f = r.frame(r.frames);
    const int fs = win.fs, left = (win.w - 12 * fs - 48) / 2, x0 = left - fs - 8, x1 = left + 13 * fs + 56;
    const int pad = fs / 4 + 2, bottom = win.h - fs / 2, top = bottom - (2 * pad + 4 * (fs + 4) - 4);
    ASSERT_TRUE(x0 >= 0 && x1 < win.w && f.width == win.w) << win.mode;
    // The four-line message fills its panel; the chosen answer sits in a highlighted one above it.
    EXPECT_EQ(inkIn(f, x0, top, x1, top + 1, 0x7F7F00) + inkIn(f, x0, bottom - 1, x1, bottom, 0x7F7F00),
              2 * (x1 - x0)) << win.mode;
    EXPECT_EQ(inkIn(f, x0, top - fs / 4 - 1, x1, top - fs / 4, 0x7FAF00), x1 - x0) << win.mode;
    EXPECT_EQ(inkIn(f, x0 - 1, top, x0, bottom, 0x7F7F00), 0) << "darkened scene beside it: " << win.mode;
  }
}
