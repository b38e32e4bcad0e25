// Skip, automatic reading, hiding the text, the added menu keys, the label,
// screenshots and the seen-text marks.
#include <unistd.h>

#include <cstring>

#include "display/display.h"
#include "display/screenshot.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/seen_text.h"
#include "support/image_support.h"
#include "support/play_support.h"
#include "support/scenario_support.h"
#include "support/text_support.h"

namespace {

const char kFiveThenChoice[] =
    "HAIKEI.CLEAR:255\nSCENE:1\nMSG:m1\nMSG:m2\nMSG:m3\nMSG:m4\nMSG:m5\n"
    "SELECT.MODE:1\nSELECT.MSG:go\nSELECT.GOTO:1\nKEYWAIT:\n";

class ReadingComforts : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    readingComfortsReset();
    seenTextForget();
  }
};

uint32_t gNow;

}  // namespace

// The state each key list leaves, over a blue scene with five messages and a
// choice. The first run has seen m1 to m3 (kept at quit); each run adds what
// it showed. Hiding the windows and the label of a toggled comfort change
// only the frame presented, and the next press brings the one before back.
TEST_F(ReadingComforts, KeysLeaveTheirStateAndFrames) {
  writeFile("sinario.txt", kFiveThenChoice);
  const bool font = installDemoFont(dir_);
  ASSERT_EQ(playScenario(dir_, "enter,enter,enter").status, 0);
  enum class Shown { kNothing, kPictureAlone, kLabel };
  const struct {
    const char *keys, *want;
    Shown shown = Shown::kNothing;
    const char* mode = "1";
  } cases[] = {
      {"enter,tab", "Msg1=6d34 skip=0"},  // m4, never seen, is shown and stops the skip
      {"enter,tab,tab", "Msg1= SelectMode=1 skip=0"},  // m5 stops the first, the choice the second
      {"enter,hold:rctrl,sleep:300", "SelectMode=1 SelectNow=-1 skip=2"},  // paused at the choice
      {"enter,escape", "menumode=3"}, {"enter,rightclick", "menumode=3"},
      {"enter,escape,rightclick", "menumode=0"}, {"enter,rightclick,escape", "menumode=0"},
      {"minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,kpplus,equals,kpminus,"
       "m,f,enter,f11,f,m,m",  // the window keys, in the menu and in the scenario
       "menumode=0 volume=10 muted=1 fullscreen=1 skip=0 auto=0 hidden=0"},
      {"enter,h,enter", "hidden=0 Msg1=6d31", Shown::kPictureAlone},  // the press only unhid
      {"enter,middleclick,wheelup", "hidden=0 Msg1=6d31", Shown::kPictureAlone},
      {"enter,a,a", "auto=0 Msg1=6d31", Shown::kLabel}, {"enter,a,a", "auto=0", Shown::kLabel, "132"}};
  for (const auto& c : cases) {
    const PlayRun r = playScenario(dir_, c.keys, std::string("--mode ") + c.mode);
    EXPECT_EQ(r.values(c.want), c.want) << c.keys;
    if (c.shown == Shown::kNothing) continue;
    ASSERT_GE(r.frames, 3) << c.keys;
    const PpmImage on = r.frame(r.frames - 1);
    EXPECT_TRUE(r.frame(r.frames).rgb == r.frame(r.frames - 2).rgb) << c.keys << ": gone without a trace";
    if (c.shown == Shown::kPictureAlone) {
      const int pictureOrBars = inkIn(on, 0, 0, on.width, on.height, 0x0000FF) + inkIn(on, 0, 0, on.width, on.height);
      EXPECT_EQ(pictureOrBars, on.width * on.height) << c.keys << ": the picture alone";
    } else if (font) {
      // White glyphs, which nothing else on this blue scene has, in the top-right corner.
      const int cell = on.width < 1000 ? 16 : 48;
      EXPECT_GT(inkIn(on, on.width - 4 * cell, 0, on.width, 2 * cell, 0xFFFFFF), 4 * cell) << c.mode;
    }
  }
}

TEST_F(ReadingComforts, CtrlSkipsWhileHeldAndEndsTimedWaits) {
  // Every round shows a message and waits 30 seconds, unless skipping.
  writeFile("sinario.txt", "SCENE:1\nFLAG8.PLUS:1\nMSG:x\nWAIT:30\nGOTO:1\n");
  const PlayRun r = playScenario(dir_, "enter,hold:lctrl,sleep:500,release:lctrl,sleep:1000");
  const int rounds = std::stoi(r.state.at("gFlag8").substr(2));
  EXPECT_GE(rounds, 4);
  EXPECT_LT(rounds, 60) << "still skipping after the release";
  EXPECT_EQ(r.state.at("skip"), "0");
}

TEST_F(ReadingComforts, AutomaticReadingTakesASecondPlus50MsACharacter) {
  gTicksSource = [] { return gNow; };
  startScenario("MSG:ab\x82\xa0\nMSG:c\nMSG:d\nKEYWAIT:\nSELECT.MODE:1\nSELECT.GOTO:1\nKEYWAIT:\n");
  gNow = 5000;
  toggleAutoRead();
  const struct { uint32_t at; int32_t menu; bool playerAdvances; const char* shown; } passes[] = {
      {6149, 0, false, "ab\x82\xa0"},  // three characters shown: 1,150 ms
      {6150, 0, false, "c "},           // two characters with the layout's space: 1,100 ms
      {6500, 0, true, "d "},            // the player advances early; the time starts again
      {7599, 0, false, "d "}, {9000, 1, false, "d "},  // the menu pauses it
      {9010, 0, false, "d "}, {10110, 0, false, "d "},  // the key wait, 1,100 ms after the menu
      {11209, 0, false, "d "}, {11210, 0, false, "|choices"}, {99999, 0, false, "|choices"}};
  for (const auto& p : passes) {
    gNow = p.at, menumode = p.menu;
    if (p.playerAdvances) rSPGkeyin(101);
    readingComfortsPass(p.playerAdvances);
    EXPECT_EQ(Msg1 + std::string(SelectMode == 1 ? "|choices" : ""), p.shown) << p.at;
  }
  EXPECT_EQ((Ints{SelectNow, int(gAutoRead)}), (Ints{-1, 1})) << "choices wait for the player";
  gTicksSource = nullptr;
}

TEST_F(ReadingComforts, ScreenshotsTakeTheNextFreeNumberAndReadBackExactly) {
  w = 13, h = 7;  // an odd width: rows are padded
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w * 3; x++) gUra[y * kFrameStride + x] = uint8_t(x * 7 + y * 31);
  writeFile("screenshot0002.bmp", "someone else's");
  EXPECT_EQ(stdoutOf([] { takeScreenshot(), takeScreenshot(); }),
            "screenshot0001.bmp saved\nscreenshot0003.bmp saved\n");
  EXPECT_EQ(readFile("screenshot0002.bmp"), "someone else's");

  // Read back by the player's own BMP loader.
  const PpmImage shot = decodeWithTool("bmp", "screenshot0001.bmp");
  ASSERT_EQ((Ints{shot.width, shot.height}), (Ints{13, 7}));
  for (int y = 0; y < h; y++)
    EXPECT_EQ(std::memcmp(shot.at(0, y), framePixel(gUra, 0, y), w * 3), 0) << "row " << y;

  ASSERT_EQ(chdir("/proc"), 0);  // where no file can be made
  EXPECT_EQ(stdoutOf(takeScreenshot), "screenshot not saved: No such file or directory\n");
}

TEST_F(ReadingComforts, MarksAreWrittenEvery50AndADamagedFileIsIgnoredOnce) {
  writeFile("tavino.seen", "TAVINO SEEN 1\nF sinario.txt\n1");
  std::string scenario = "NOWAIT:1\n";
  for (int i = 0; i < 60; i++) scenario += "MSG:x\n";
  EXPECT_EQ(stdoutOf([&] { startScenario(scenario + "NOWAIT:0\nMSG:y\n"); }),
            "tavino.seen: damaged or not a seen-text file; ignored\n");
  SeenMarks marks;
  ASSERT_TRUE(seenTextParse(readFile("tavino.seen"), marks));
  EXPECT_EQ(marks["sinario.txt"].size(), 50u) << "written at the 50th new mark";
  seenTextFlush();
  ASSERT_TRUE(seenTextParse(readFile("tavino.seen"), marks));
  EXPECT_EQ(marks["sinario.txt"].size(), 61u);
  EXPECT_FALSE(fileExists("tavino.seen.tmp"));
}
