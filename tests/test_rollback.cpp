// Rollback and history. In-process, what lies beyond the engine variables the
// rollback fuzz target compares: the frame of a scene never composed, the
// font, the scenario file and the sound channels. Then the history screen and
// rollback through the player's keys.
#include <string>
#include <vector>

#include "display/display.h"
#include "main/startup.h"
#include "scenario/channel_sounds.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "support/play_support.h"
#include "support/scenario_support.h"
#include "support/sound_support.h"
#include "support/text_support.h"
#include "text/text.h"

namespace {

std::vector<uint8_t> lastFrame;  // the frame last presented, as the window shows it

void keepFrame() {
  lastFrame.clear();
  for (int y = 0; y < h; y++)
    lastFrame.insert(lastFrame.end(), gUra + y * kFrameStride, gUra + y * kFrameStride + w * 3);
}

// A 576 x 384 window, so every frame goes through the scaler.
class Rollback : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    w = 576, h = 384, resizeX = w, resizeY = h, SystemFontSize = 32;
    gFrameHook = keepFrame;
  }
  void TearDown() override {
    gFrameHook = nullptr;
    PlayerDirTest::TearDown();
  }
  static void advance() { rSPGkeyin(101); }
};

}  // namespace

TEST_F(Rollback, AcrossAnotherScenarioFileAndAnotherFont) {
  writeFile("pelorune96.dat", "BM" + std::string(2000, '\x11'));
  writeFile("pelorune96pb.dat", "BM" + std::string(2000, '\x22'));
  fontread();
  writeFile("two.txt", "MSG.FONT:2\nMSG:second\nMSG:third\n");
  // No picture statement before the first stop: it shows the scene buffer never composed.
  startScenario("MSG:first\nHAIKEI.CLEAR:255\nSINARIO.READ:two.txt\n");
  const std::vector<uint8_t> first = lastFrame;
  advance();
  ASSERT_EQ(gfont[1000], 0x22);
  ASSERT_TRUE(rollBackOneStop());
  EXPECT_TRUE(lastFrame == first);
  EXPECT_EQ((Ints{gfont[1000], MsgFont}), (Ints{0x11, 0}));
  advance();
  advance();
  EXPECT_STREQ(SinaFile, "two.txt");
  EXPECT_STREQ(Msg1, "third ") << "the reader goes on from the restored place in the other file";
}

// The channels as the device holds them, under SDL's disk audio driver.
TEST_F(Rollback, SoundChannelsReloadAndRestartOrStopAsAtTheStop) {
  startDiskAudio(dir_ + "/mixed.raw");
  const std::string wavs = std::string(TAVINO_SOURCE_DIR) + "/fuzz/corpus/wav/";
  writeFile("a.wav", readFile(wavs + "stereo16_22050.wav"));
  writeFile("b.wav", readFile(wavs + "mono8_11025.wav"));
  startScenario("SCENE:1\nOTO1.WAV:a\nOTO1.PLAY:1\nMSG:one\nOTO1.WAV:b\nOTO1.PLAY:1\nMSG:two\n"
                "OTO1.STOP:\nOTO2.WAV:b\nOTO2.PLAY:1\nMSG:three\n");
  auto channels = [] {
    std::string out;
    for (int c : {1, 2}) out += std::string(channelSound(c).name) + (channelSound(c).playing ? "+ " : "- ");
    return out;
  };
  advance();
  advance();
  EXPECT_EQ(channels(), "b- b+ ");
  EXPECT_TRUE(rollBackOneStop());
  EXPECT_EQ(channels(), "b+ b- ") << "channel 2 held nothing then: only stopped";
  EXPECT_TRUE(rollBackOneStop());
  EXPECT_EQ(channels(), "a+ b- ") << "a reloaded";
  stopDiskAudio();
}

// The history screen and rollback through the real main loop: the keys and
// the frames they present.
TEST_F(PlayerDirTest, HistoryScrollsClosesAndTakesEveryInputWhileOpen) {
  const bool font = installDemoFont(dir_);
  // A composed scene (almost black, unlike one never composed); blue and
  // another design size from the last message on.
  std::string scenario = "SCENE:1\nHAIKEI.CLEAR:1\n", keys;
  for (int i = 1; i <= 9; i++) {
    if (i == 9) scenario += "HAIKEI.CLEAR:255\nSYSTEMSIZE:800x600\n";
    scenario += "FLAG8.PLUS:1\nMSG:message " + std::to_string(i) + "\n";
    keys += "enter,";
  }
  writeFile("sinario.txt", scenario);
  // Back two messages by Page Up and the wheel, on one again: eight entries,
  // more than the window shows.
  keys += "pageup,wheelup,enter,l,pageup,pagedown,wheelup,wheeldown,wheeldown,l,space,enter,l";
  const PlayRun r = playScenario(dir_, keys, "--mode 1");  // the smallest window, 576 x 384
  ASSERT_EQ(r.status, 0) << r.output;  // quit works with the history open
  const std::string open = "historyOpen=1 historyEntries=8 rollbackSteps=7 gFlag8=0:8 menumode=0";
  EXPECT_EQ(r.values(open), open);
  ASSERT_EQ(r.frames, 22) << "title, nine messages, two rollbacks, one more, nine history frames";
  // Each rollback shows the frame first shown at its message (the title is
  // frame 1), and the scenario runs on from there as the first time.
  EXPECT_TRUE(r.frame(11).rgb == r.frame(9).rgb && r.frame(12).rgb == r.frame(8).rgb);
  EXPECT_EQ(r.frame(13).rgb, r.frame(9).rgb);
  const PpmImage newest = r.frame(14), older = r.frame(15);
  EXPECT_NE(newest.rgb, older.rgb);
  for (int n : {16, 18, 20, 22}) EXPECT_EQ(r.frame(n).rgb, newest.rgb) << "frame " << n;
  EXPECT_EQ(r.frame(17).rgb, older.rgb) << "the wheel scrolls like Page Up";
  for (int n : {19, 21}) EXPECT_EQ(r.frame(n).rgb, r.frame(13).rgb) << "closed on frame " << n;
  // The newest entry's panel: within the window, half a cell above its bottom, its text drawn.
  const int fs = 32, left = (576 - 12 * fs - 48) / 2, x0 = left - fs - 8, x1 = left + 13 * fs + 56;
  const int bottom = 384 - fs / 2, top = bottom - (2 * (fs / 4 + 2) + fs);
  ASSERT_TRUE(x0 >= 0 && x1 < 576);
  const uint32_t panel = 0x7F7F00;  // the message window's tint over black
  EXPECT_EQ(inkIn(newest, x0, top, x1, top + 1, panel) + inkIn(newest, x0, bottom - 1, x1, bottom, panel),
            2 * (x1 - x0));
  EXPECT_EQ(inkIn(newest, x0 - 1, top, x0, bottom, panel), 0) << "the darkened scene beside it";
  if (font) {
    EXPECT_GT(inkIn(newest, left, top, left + 9 * (fs / 2 + 2), bottom), 3 * fs);
  }
}
