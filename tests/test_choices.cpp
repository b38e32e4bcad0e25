// The player's input while the scenario runs: advancing, the choice cursor
// and confirmation, in-process and through scripted play with its frames.
#include <filesystem>
#include <string>

#include "display/display.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "support/play_support.h"
#include "support/scenario_support.h"
#include "support/text_support.h"

namespace {

int framesShown;

// Rows A, B, C... lead to scenes 20, 30, 40..., which record themselves in entry 0 of gFlag8.
std::string choiceScenario(int rows) {
  std::string s = "SCENE:1\nSELECT.MODE:1\n", scenes;
  for (int k = 0; k < rows; k++) {
    const std::string scene = std::to_string(20 + 10 * k);
    s += "SELECT.MSG:" + std::string(1, char('A' + k)) + "\nSELECT.GOTO:" + scene + "\n";
    scenes += "SCENE:" + scene + "\nFLAG8.SET:" + scene + "\nKEYWAIT:\n";
  }
  return s + "MSG:Which?\n" + scenes;
}

constexpr uint8_t kAdvance = 101, kUp = 8, kDown = 2;

class PlayerInput : public PlayerDirTest {
 protected:
  void TearDown() override {
    gFrameHook = nullptr;
    PlayerDirTest::TearDown();
  }
  void start(const std::string& scenario) {
    w = SystemSizeW = resizeX = 1920, h = SystemSizeH = resizeY = 1080;
    SystemFontSize = 96;
    framesShown = 0;
    gFrameHook = [] { framesShown++; };
    startScenario(scenario);
  }
  // Sends one action and returns how many frames it presented.
  static int press(uint8_t code) {
    const int before = framesShown;
    rSPGkeyin(code);
    return framesShown - before;
  }
};

}  // namespace

TEST_F(PlayerInput, CursorWalkStopsAtTheFirstRowWithoutTarget) {
  start(choiceScenario(2));
  ASSERT_EQ(SelectNow, -1);
  EXPECT_EQ(press(kAdvance), 0) << "no row under the cursor";
  // Each step: the key, the frames it presents, the row it leaves the cursor on.
  const int steps[][3] = {{kDown, 1, 0}, {kUp, 0, 0}, {kDown, 1, 1},
                          {kDown, 1, 2},  // onto the empty row after the last choice
                          {kDown, 0, 2}, {kAdvance, 0, 2}, {kUp, 1, 1}};
  for (const auto& s : steps) {
    EXPECT_EQ(press(uint8_t(s[0])), s[1]) << "key " << s[0] << " to row " << s[2];
    EXPECT_EQ(SelectNow, s[2]) << "key " << s[0];
  }
  EXPECT_EQ(gFlag8[0], 0) << "a row without target is not confirmed";
  start(choiceScenario(2));
  EXPECT_TRUE(press(kUp) == 1 && SelectNow == 0) << "from no row, up lands on row 0";
  start(choiceScenario(6));
  for (int k = 0; k < 6; k++) EXPECT_EQ(press(kDown), 1);
  EXPECT_TRUE(press(kDown) == 0 && SelectNow == 5) << "six choices stop at row five";
}

// Through the real main loop: the default 1280 x 720 window shows the design
// scaled to fill it, so FS = 72 and lines start at x = 184.
namespace {
constexpr int kFs = 72, kBarX = 184 - kFs + 4 + 2;
constexpr uint32_t kOrange = 0xFFBF7F, kYellow = 0xFFFF7F, kWhite = 0xFFFFFF;
int barRow(int k) { return (k + 2) * (kFs + 4); }  // k = 1 .. 6
class ChoicePlay : public PlayerDirTest {};
}  // namespace

TEST_F(ChoicePlay, KeysWalkTheBarsAndConfirmTheHighlightedRow) {
  writeFile("sinario.txt", choiceScenario(3));
  // Start; confirm with no row (nothing); down by keypad and joystick; confirm by the wheel.
  const PlayRun r = playScenario(dir_, "enter,enter,kp2,joy:6,wheeldown");
  EXPECT_EQ(r.state.at("gFlag8") + " " + r.state.at("SceneNum") + " " + r.state.at("SelectMode") + " " +
                r.state.at("SelectNow"), "0:30 30 0 1") << r.output;
  // The last frames: choices, cursor on row 0, on row 1, the chosen row
  // alone, scene 30 (the title screen comes before them).
  const int n = r.frames;
  ASSERT_TRUE(r.status == 0 && n >= 5) << r.output;
  const uint32_t bars[4][4] = {{kOrange, kOrange, kOrange, kWhite}, {kYellow, kOrange, kOrange, kWhite},
                               {kOrange, kYellow, kOrange, kWhite}, {kWhite, kYellow, kWhite, kWhite}};
  for (int i = 0; i < 4; i++) {
    const PpmImage f = r.frame(n - 4 + i);
    for (int k = 1; k <= 4; k++)
      EXPECT_EQ(inkIn(f, kBarX, barRow(k) + 2, kBarX + 1, barRow(k) + 3, bars[i][k - 1]), 1) << i << ":" << k;
  }
  // The chosen row stays alone on screen for half a second.
  auto written = [&](int k) { return std::filesystem::last_write_time(r.framePath(k)); };
  EXPECT_GE(written(n) - written(n - 1), std::chrono::milliseconds(450));
}
