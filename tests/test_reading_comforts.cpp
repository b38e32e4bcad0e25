// Skip, automatic reading, hiding the text, the added menu keys, the label,
// screenshots and the seen-text marks.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "display/display.h"
#include "display/screenshot.h"
#include "image/bmp.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/seen_text.h"
#include "support/play_support.h"
#include "support/scenario_support.h"
#include "support/text_support.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char kFiveThenChoice[] =
    "SCENE:1\nMSG:m1\nMSG:m2\nMSG:m3\nMSG:m4\nMSG:m5\n"
    "SELECT.MODE:1\nSELECT.MSG:go\nSELECT.GOTO:1\nKEYWAIT:\n";

class ReadingComforts : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    readingComfortsReset();
    seenTextForget();
  }
  void TearDown() override {
    gTicksSource = nullptr;
    PlayerDirTest::TearDown();
  }
  // `name=value` pairs of the state dump for the names in `want`, in its form.
  static std::string values(const PlayRun& r, const std::string& want) {
    std::istringstream pairs(want);
    std::string out, pair;
    while (pairs >> pair) {
      const std::string name = pair.substr(0, pair.find('='));
      out += (out.empty() ? "" : " ") + name + "=" + r.state.at(name);
    }
    return out;
  }
};

bool sameFrame(const PpmImage& a, const PpmImage& b) { return a.width > 0 && a.rgb == b.rgb; }

uint32_t gNow;

}  // namespace

// The state each key list leaves, over five messages and a choice. The
// first run has seen m1 to m3 (kept at quit); each run adds what it showed.
TEST_F(ReadingComforts, KeysLeaveTheirState) {
  writeFile("sinario.txt", kFiveThenChoice);
  ASSERT_EQ(playScenario(dir_, "enter,enter,enter").status, 0);
  const std::pair<const char*, const char*> cases[] = {
      {"enter,tab", "Msg1=6d34 skip=0"},  // m4, never seen, is shown and stops the skip
      {"enter,tab,tab", "Msg1= SelectMode=1 skip=0"},  // m5 stops the first, the choice the second
      {"enter,hold:rctrl,sleep:300", "SelectMode=1 SelectNow=-1 skip=2"},  // paused at the choice
      {"enter,escape", "menumode=3"}, {"enter,rightclick", "menumode=3"},
      {"enter,escape,rightclick", "menumode=0"}, {"enter,rightclick,escape", "menumode=0"},
      {"minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,kpplus,equals,kpminus,"
       "m,f,enter,f11,f,m,m",  // the window keys, in the menu and in the scenario
       "menumode=0 volume=10 muted=1 fullscreen=1 skip=0 auto=0 hidden=0"}};
  for (const auto& [keys, want] : cases) EXPECT_EQ(values(playScenario(dir_, keys), want), want) << keys;
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
  menumode = 0;
  auto passAt = [](uint32_t t, bool inputActed = false) {
    gNow = t;
    readingComfortsPass(inputActed);
    return std::string(Msg1);
  };
  gNow = 5000;
  toggleAutoRead();  // three characters shown: 1,150 ms
  EXPECT_EQ(passAt(6149), "ab\x82\xa0");
  EXPECT_EQ(passAt(6150), "c ") << "two characters with the layout's space: 1,100 ms";
  gNow = 6500;
  rSPGkeyin(101);  // the player advances early; the time starts again
  EXPECT_EQ(passAt(6500, true), "d ");
  EXPECT_EQ(passAt(7599), "d ");
  menumode = 1;
  EXPECT_EQ(passAt(9000), "d ") << "the menu pauses it";
  menumode = 0;
  EXPECT_EQ(passAt(9010), "d ");
  EXPECT_EQ(passAt(10109), "d ");
  passAt(10110);  // the key wait, then the choices
  passAt(11210);
  EXPECT_EQ((Ints{SelectMode, int(gAutoRead)}), (Ints{1, 1}));
  passAt(99999);
  EXPECT_EQ(SelectNow, -1) << "choices wait for the player";
}

// Hiding the windows and the label of a toggled comfort change only the
// frame presented: the next press brings the message back, nothing read on.
TEST_F(ReadingComforts, HideAndTheLabelLeaveNoTrace) {
  writeFile("sinario.txt", "HAIKEI.CLEAR:255\nMSG:\x82\xa0\x82\xa2\nMSG:next\n");
  const bool font = installDemoFont(dir_);
  const struct { const char* keys; const char* mode; bool label; } cases[] = {
      {"enter,h,enter", "1", false}, {"enter,middleclick,wheelup", "1", false},
      {"enter,a,a", "1", true}, {"enter,a,a", "132", true}};
  for (const auto& c : cases) {
    const PlayRun r = playScenario(dir_, c.keys, std::string("--mode ") + c.mode);
    ASSERT_GE(r.frames, 3) << c.keys;
    EXPECT_EQ(values(r, "hidden=0 auto=0 Msg1=82a082a2"), "hidden=0 auto=0 Msg1=82a082a2") << c.keys;
    const PpmImage on = r.frame(r.frames - 1);
    EXPECT_TRUE(sameFrame(r.frame(r.frames), r.frame(r.frames - 2))) << c.keys << ": gone without a trace";
    if (!c.label) {
      const int pictureOrBars = inkIn(on, 0, 0, on.width, on.height, 0x0000FF) + inkIn(on, 0, 0, on.width, on.height);
      EXPECT_EQ(pictureOrBars, on.width * on.height) << c.keys << ": the picture alone";
    } else if (font) {
      // White glyphs, which nothing else on this blue scene has, in the top-right corner.
      const int cell = on.width < 1000 ? 16 : 48;
      EXPECT_GT(inkIn(on, on.width - 4 * cell, 0, on.width, 2 * cell, 0xFFFFFF), 4 * cell) << c.mode;
    }
  }
}

TEST_F(ReadingComforts, ScreenshotsTakeTheNextFreeNumberAndReadBackExactly) {
  w = 13, h = 7;  // an odd width: rows are padded
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w * 3; x++) gUra[y * kFrameStride + x] = uint8_t(x * 7 + y * 31);
  writeFile("screenshot0002.bmp", "someone else's");
  CaptureStdout();
  takeScreenshot();
  takeScreenshot();
  EXPECT_EQ(GetCapturedStdout(), "screenshot0001.bmp saved\nscreenshot0003.bmp saved\n");
  EXPECT_EQ(readFile("screenshot0002.bmp"), "someone else's");

  const std::string bytes = readFile("screenshot0001.bmp");
  std::memcpy(gfilework, bytes.data(), bytes.size());
  BmpPicture pic;
  ASSERT_EQ(bmpConvert(int32_t(bytes.size()), pic), BmpStatus::Ok);
  ASSERT_EQ((Ints{pic.width, pic.height, pic.rowsHeld}), (Ints{13, 7, 7}));
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const uint8_t* bgr = pic.rows + ((h - 1 - y) * w + x) * 3;
      const uint8_t* rgb = framePixel(gUra, x, y);
      ASSERT_TRUE(bgr[0] == rgb[2] && bgr[1] == rgb[1] && bgr[2] == rgb[0]) << x << "," << y;
    }

  ASSERT_EQ(mkdir("gone", 0777), 0);
  ASSERT_EQ(chdir("gone"), 0);
  ASSERT_EQ(rmdir((dir_ + "/gone").c_str()), 0);
  CaptureStdout();
  takeScreenshot();
  EXPECT_EQ(GetCapturedStdout(), "screenshot not saved: No such file or directory\n");
}

TEST_F(ReadingComforts, MarksAreWrittenEvery50AndADamagedFileIsIgnoredOnce) {
  writeFile("tavino.seen", "TAVINO SEEN 1\nF sinario.txt\n1");
  std::string scenario = "NOWAIT:1\n";
  for (int i = 0; i < 60; i++) scenario += "MSG:x\n";
  CaptureStdout();
  startScenario(scenario + "NOWAIT:0\nMSG:y\n");
  EXPECT_EQ(GetCapturedStdout(), "tavino.seen: damaged or not a seen-text file; ignored\n");
  SeenMarks marks;
  ASSERT_TRUE(seenTextParse(readFile("tavino.seen"), marks));
  EXPECT_EQ(marks["sinario.txt"].size(), 50u) << "written at the 50th new mark";
  seenTextFlush();
  ASSERT_TRUE(seenTextParse(readFile("tavino.seen"), marks));
  EXPECT_EQ(marks["sinario.txt"].size(), 61u);
  EXPECT_FALSE(fileExists("tavino.seen.tmp"));
}
