// The player's input while the scenario runs: advancing, the choice cursor
// and confirmation, in-process and through scripted play with its frames.
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"
#include "support/test_support.h"

namespace {

int framesShown;
void countFrame() { framesShown++; }

// Rows A, B, C lead to scenes 20, 30 and 40; each scene records itself in
// entry 0 of gFlag8.
std::string choiceScenario(int rows) {
  std::string s = "SCENE:1\nSELECT.MODE:1\n";
  for (int k = 0; k < rows; k++) {
    s += "SELECT.MSG:" + std::string(1, char('A' + k)) + "\nSELECT.GOTO:" + std::to_string(20 + 10 * k) + "\n";
  }
  s += "MSG:Which?\n";
  for (int k = 0; k < rows; k++) {
    const std::string scene = std::to_string(20 + 10 * k);
    s += "SCENE:" + scene + "\nFLAG8.SET:" + scene + "\nKEYWAIT:\n";
  }
  return s;
}

class PlayerInput : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    gFrameHook = countFrame;
  }
  void TearDown() override {
    gFrameHook = nullptr;
    PlayerDirTest::TearDown();
  }
  void start(const std::string& scenario) {
    w = SystemSizeW = 1920, h = SystemSizeH = 1080;
    resizeX = w, resizeY = h;
    SystemFontSize = 96;
    framesShown = 0;
    startScenario(scenario);
  }
  // Sends one action and returns how many frames it presented.
  size_t press(uint8_t code) {
    const int before = framesShown;
    rSPGkeyin(code);
    return size_t(framesShown - before);
  }
};

constexpr uint8_t kAdvance = 101, kUp = 8, kDown = 2;

}  // namespace

TEST_F(PlayerInput, AdvanceRunsTheReaderOnlyAfterItHasStopped) {
  start("SCENE:1\nKEYWAIT:\nFLAG8.SET:7\nKEYWAIT:\n");
  KeyWait = 0;
  rSPGkeyin(kAdvance);
  EXPECT_EQ(gFlag8[0], 0);
  KeyWait = 1;
  rSPGkeyin(kAdvance);
  EXPECT_EQ(gFlag8[0], 7);
  EXPECT_EQ(press(kUp) + press(kDown), 0u) << "up and down outside choices";
  EXPECT_EQ(gFlag8[0], 7);
}

TEST_F(PlayerInput, NoWaitShowsEachMessageOnceWithoutStopping) {
  start("SCENE:1\nNOWAIT:1\nMSG:one\nMSG:two\nMSG:three\nNOWAIT:0\nMSG:four\nFLAG8.SET:1\n");
  // NOWAIT:1, three messages, NOWAIT:0 and the message that stops.
  EXPECT_EQ(framesShown, 6);
  EXPECT_STREQ(Msg1, "four");
  EXPECT_EQ(gFlag8[0], 0);
}

TEST_F(PlayerInput, CursorWalkStopsAtTheFirstRowWithoutTarget) {
  start(choiceScenario(2));
  ASSERT_EQ(SelectMode, 1);
  ASSERT_EQ(SelectNow, -1);
  EXPECT_EQ(press(kAdvance), 0u) << "no row under the cursor";
  EXPECT_EQ(press(kDown), 1u);
  EXPECT_EQ(SelectNow, 0);
  EXPECT_EQ(press(kUp), 0u) << "row 0 is the top";
  EXPECT_EQ(press(kDown), 1u);
  EXPECT_EQ(SelectNow, 1);
  EXPECT_EQ(press(kDown), 1u) << "onto the empty row after the last choice";
  EXPECT_EQ(SelectNow, 2);
  EXPECT_EQ(press(kDown), 0u) << "row 2 has no target";
  EXPECT_EQ(press(kAdvance), 0u);
  EXPECT_EQ(gFlag8[0], 0);
  EXPECT_EQ(press(kUp), 1u);
  EXPECT_EQ(SelectNow, 1);

  // From no row, up also lands on row 0.
  start(choiceScenario(2));
  EXPECT_EQ(press(kUp), 1u);
  EXPECT_EQ(SelectNow, 0);
}

TEST_F(PlayerInput, SixChoicesStopAtRowFive) {
  start(choiceScenario(6));
  for (int k = 0; k < 6; k++) EXPECT_EQ(press(kDown), 1u);
  EXPECT_EQ(SelectNow, 5);
  EXPECT_EQ(press(kDown), 0u);
  EXPECT_EQ(SelectNow, 5);
}

// ---- Through the real main loop, with recorded frames ----------------------

namespace {

class ChoicePlay : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    if (fileExists(TAVINO_FONT)) writeFile(dir_ + "/pelorune96.dat", readFile(TAVINO_FONT));
  }
  CommandResult play(const std::string& keys) {
    return runCommand(std::string(TAVINO_TOOL) + " play --dir '" + dir_ + "' --keys '" + keys +
                      "' --frames '" + dir_ + "/frames' --state '" + dir_ + "/state.txt' 2>&1");
  }
  std::map<std::string, std::string> state() {
    std::map<std::string, std::string> values;
    std::istringstream in(readFile(dir_ + "/state.txt"));
    std::string line;
    while (std::getline(in, line)) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }
  std::string framePath(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frames/frame-%04d.ppm", n);
    return dir_ + name;
  }
  PpmImage frame(int n) {
    PpmImage f;
    EXPECT_TRUE(readPpm(framePath(n), f)) << framePath(n);
    return f;
  }
  int frameCount() {
    int n = 0;
    while (fileExists(framePath(n + 1))) n++;
    return n;
  }
};

bool pixelIs(const PpmImage& f, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t* p = f.at(x, y);
  return p[0] == r && p[1] == g && p[2] == b;
}

// Pixels of exactly the text colour (black) in a rectangle.
int inkIn(const PpmImage& f, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; y++) {
    for (int x = x0; x < x1; x++) n += pixelIs(f, x, y, 0, 0, 0);
  }
  return n;
}

// The default window is 1280 x 720 showing the 1920 x 1080 design scaled to
// fill it: FS = 72, top = 0, bottom = 720, lines start at x = 184.
constexpr int kFs = 72, kLeft = 184, kBarX = kLeft - kFs + 4;
int barRow(int k) { return (k + 2) * (kFs + 4); }  // k = 1 .. 6

}  // namespace

TEST_F(ChoicePlay, KeysWalkTheBarsAndConfirmTheHighlightedRow) {
  writeFile("sinario.txt", choiceScenario(3));
  // Start; confirm with no row (nothing); down by keypad and joystick; confirm
  // by the wheel.
  const CommandResult r = play("enter,enter,kp2,joy:6,wheeldown");
  ASSERT_EQ(r.status, 0) << r.output;
  auto s = state();
  EXPECT_EQ(s["gFlag8"], "0:30") << r.output;
  EXPECT_EQ(s["SceneNum"], "30");
  EXPECT_EQ(s["SelectMode"], "0");
  EXPECT_EQ(s["SelectNow"], "1");

  // The last frames: choices, cursor on row 0, on row 1, the chosen row
  // alone, scene 30 (the title screen comes before them).
  const int n = frameCount();
  ASSERT_GE(n, 5) << r.output;
  const uint8_t orange[3] = {255, 191, 127}, yellow[3] = {255, 255, 127};
  auto bar = [&](const PpmImage& f, int k, const uint8_t* c) {
    return pixelIs(f, kBarX + 2, barRow(k) + 2, c[0], c[1], c[2]);
  };
  auto white = [&](const PpmImage& f, int k) { return pixelIs(f, kBarX + 2, barRow(k) + 2, 255, 255, 255); };

  PpmImage f = frame(n - 4);
  EXPECT_TRUE(bar(f, 1, orange) && bar(f, 2, orange) && bar(f, 3, orange));
  EXPECT_TRUE(white(f, 4));
  f = frame(n - 3);
  EXPECT_TRUE(bar(f, 1, yellow) && bar(f, 2, orange));
  f = frame(n - 2);
  EXPECT_TRUE(bar(f, 1, orange) && bar(f, 2, yellow) && bar(f, 3, orange));
  f = frame(n - 1);
  EXPECT_TRUE(white(f, 1) && bar(f, 2, yellow) && white(f, 3));
  // Bars span FS rows.
  EXPECT_TRUE(pixelIs(f, kBarX + 2, barRow(2) + kFs - 1, 255, 255, 127));
  EXPECT_TRUE(pixelIs(f, kBarX + 2, barRow(2) + kFs, 255, 255, 255));

  if (fileExists(TAVINO_FONT)) {
    // The choice letters are drawn on their bars; the cleared rows are gone.
    EXPECT_GT(inkIn(frame(n - 2), kLeft, barRow(1), kLeft + kFs, barRow(1) + kFs), 50);
    EXPECT_GT(inkIn(f, kLeft, barRow(2), kLeft + kFs, barRow(2) + kFs), 50);
    EXPECT_EQ(inkIn(f, kLeft, barRow(1), kLeft + kFs, barRow(1) + kFs), 0);
    EXPECT_EQ(inkIn(f, kLeft, barRow(3), kLeft + kFs, barRow(3) + kFs), 0);
    // The question on the first line at the top.
    EXPECT_GT(inkIn(frame(n - 4), kLeft, 0, kLeft + 5 * 38, kFs), 100);
  }

  // The chosen row stays alone on screen for half a second.
  struct stat a, b;
  ASSERT_EQ(stat(framePath(n - 1).c_str(), &a), 0);
  ASSERT_EQ(stat(framePath(n).c_str(), &b), 0);
  const double gap = double(b.st_mtim.tv_sec - a.st_mtim.tv_sec) + (b.st_mtim.tv_nsec - a.st_mtim.tv_nsec) / 1e9;
  EXPECT_GE(gap, 0.45);
}

TEST_F(ChoicePlay, MessageLinesAndTheHangingMarkOnScreen) {
  if (!fileExists(TAVINO_FONT)) GTEST_SKIP() << "no demo font at " << TAVINO_FONT;
  std::string twelve;
  for (int i = 0; i < 12; i++) twelve += "\x88\x9F";
  writeFile("sinario.txt", "SCENE:1\nMSG:" + twelve + "\x81\x42\nMSG:" + twelve + "\x88\x9F\nKEYWAIT:\n");
  const CommandResult r = play("enter,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  const int n = frameCount();
  ASSERT_GE(n, 2) << r.output;
  const int line1 = 720 - (4 * kFs + 16), line2 = 720 - (3 * kFs + 12);
  const int x13 = kLeft + (kFs / 2 + 2) * 24;  // the 13th cell of a line
  const int x1 = kLeft + (kFs / 2 + 2) * 2;    // the second cell

  PpmImage hung = frame(n - 1);
  EXPECT_GT(inkIn(hung, x13, line1, x13 + kFs, line1 + kFs), 20) << "the full stop hangs on line 1";
  EXPECT_EQ(inkIn(hung, kLeft, line2, kLeft + kFs, line2 + kFs), 0);
  PpmImage wrapped = frame(n);
  EXPECT_EQ(inkIn(wrapped, x13, line1, x13 + kFs, line1 + kFs), 0);
  EXPECT_GT(inkIn(wrapped, kLeft, line2, kLeft + kFs, line2 + kFs), 200) << "the 13th kanji wraps";
  EXPECT_GT(inkIn(wrapped, x1, line1, x1 + kFs, line1 + kFs), 200);
  // The message window is tinted towards yellow around the text.
  EXPECT_TRUE(pixelIs(wrapped, kLeft - 20, line1 + 5, 255, 255, 127));
}
