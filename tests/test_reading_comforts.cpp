// Skip, automatic reading, hiding the text, the added menu keys, the label,
// screenshots and the seen-text marks.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "display/display.h"
#include "display/overlays.h"
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
  // `name=value` pairs of the state dump, in order, for the names asked.
  static std::string values(const PlayRun& r, std::initializer_list<const char*> names) {
    std::string out;
    for (const char* n : names) out += std::string(n) + "=" + r.state.at(n) + " ";
    return out;
  }
};

bool sameFrame(const PpmImage& a, const PpmImage& b) { return a.width > 0 && a.rgb == b.rgb; }

uint32_t gNow;

}  // namespace

TEST_F(ReadingComforts, TabSkipsSeenTextUpToUnseenTextAndChoices) {
  writeFile("sinario.txt", kFiveThenChoice);
  ASSERT_EQ(playScenario(dir_, "enter,enter,enter").status, 0);  // m1 to m3 seen
  SeenMarks marks;
  ASSERT_TRUE(seenTextParse(readFile("tavino.seen"), marks)) << "kept at quit";
  EXPECT_EQ(marks["sinario.txt"].size(), 3u);

  PlayRun r = playScenario(dir_, "enter,tab");
  EXPECT_EQ(values(r, {"Msg1", "skip"}), "Msg1=6d34 skip=0 ") << "m4, never seen, is shown and stops it";
  r = playScenario(dir_, "enter,tab,tab");
  EXPECT_EQ(values(r, {"Msg1", "SelectMode", "skip"}), "Msg1= SelectMode=1 skip=0 ")
      << "m5 stops the first run, the choice the second";
}

TEST_F(ReadingComforts, CtrlSkipsEverythingWhileHeldAndEndsTimedWaits) {
  // Every round shows a message and waits 30 seconds, unless skipping.
  writeFile("sinario.txt", "SCENE:1\nFLAG8.PLUS:1\nMSG:x\nWAIT:30\nGOTO:1\n");
  PlayRun r = playScenario(dir_, "enter,hold:lctrl,sleep:500,release:lctrl,sleep:1000");
  const int rounds = std::stoi(r.state.at("gFlag8").substr(2));
  EXPECT_GE(rounds, 4);
  EXPECT_LT(rounds, 60) << "still skipping after the release";
  EXPECT_EQ(r.state.at("skip"), "0");

  writeFile("sinario.txt", kFiveThenChoice);
  r = playScenario(dir_, "enter,hold:rctrl,sleep:300");
  EXPECT_EQ(values(r, {"SelectMode", "SelectNow", "skip"}), "SelectMode=1 SelectNow=-1 skip=2 ")
      << "paused at the choice, which is left to the player";
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

TEST_F(ReadingComforts, HideShowsThePictureAloneUntilTheNextPress) {
  writeFile("sinario.txt", "HAIKEI.CLEAR:255\nMSG:\x82\xa0\x82\xa2\nMSG:next\n");
  for (const char* keys : {"enter,h,enter", "enter,middleclick,wheelup"}) {
    const PlayRun r = playScenario(dir_, keys);
    ASSERT_GE(r.frames, 3) << keys;
    EXPECT_EQ(values(r, {"hidden", "Msg1"}), "hidden=0 Msg1=82a082a2 ") << keys << ": the press only unhid";
    EXPECT_FALSE(sameFrame(r.frame(r.frames - 1), r.frame(r.frames - 2))) << keys << ": windows hidden";
    EXPECT_TRUE(sameFrame(r.frame(r.frames), r.frame(r.frames - 2))) << keys << ": and back";
  }
}

TEST_F(ReadingComforts, EscapeAndRightClickOpenAndCancelTheMenu) {
  writeFile("sinario.txt", "SCENE:2\nMSG:a\n");
  const struct { const char* keys; const char* menumode; } cases[] = {
      {"enter,escape", "3"}, {"enter,rightclick", "3"},
      {"enter,escape,rightclick", "0"}, {"enter,rightclick,escape", "0"}};
  for (const auto& c : cases) EXPECT_EQ(playScenario(dir_, c.keys).state.at("menumode"), c.menumode) << c.keys;
}

TEST_F(ReadingComforts, WindowKeysWorkInTheMenuAndInTheScenario) {
  writeFile("sinario.txt", "MSG:a\n");
  const PlayRun r = playScenario(
      dir_, "minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,minus,kpplus,equals,kpminus,"
            "m,f,enter,f11,f,m,m");
  EXPECT_EQ(values(r, {"menumode", "volume", "muted", "fullscreen", "skip", "auto", "hidden"}),
            "menumode=0 volume=10 muted=1 fullscreen=1 skip=0 auto=0 hidden=0 ");
}

TEST_F(ReadingComforts, LabelShowsOnlyInThePresentedFrameAtEverySize) {
  writeFile("sinario.txt", "HAIKEI.CLEAR:255\nMSG:a\n");
  const bool font = installDemoFont(dir_);
  for (const char* mode : {"1", "132"}) {
    const PlayRun r = playScenario(dir_, "enter,a,a", std::string("--mode ") + mode);
    ASSERT_GE(r.frames, 4) << mode;
    EXPECT_TRUE(sameFrame(r.frame(r.frames), r.frame(r.frames - 2))) << mode << ": gone without a trace";
    if (!font) continue;
    // White glyphs, which nothing else on this blue scene has, in the top-right corner.
    const PpmImage on = r.frame(r.frames - 1);
    const int cell = on.width < 1000 ? 16 : 48;
    EXPECT_GT(inkIn(on, on.width - 4 * cell, 0, on.width, 2 * cell, 0xFFFFFF), 4 * cell) << mode;
  }
}

TEST_F(ReadingComforts, ScreenshotsTakeTheNextFreeNumberAndReadBackExactly) {
  w = 13, h = 7;  // an odd width: rows are padded
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w * 3; x++) gUra[y * kFrameStride + x] = uint8_t(x * 7 + y * 31);
  const std::vector<uint8_t> before(gUra, gUra + kFrameBytes);
  gIndicatorLabel = "SKIP";
  SDLview();  // the label is presented, never kept in the frame
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
      const uint8_t* rgb = framePixel(before.data(), x, y);
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
