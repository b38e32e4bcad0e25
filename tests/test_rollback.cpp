// Rollback: a stop comes back exactly as it was first shown, and the
// scenario then runs on from it as if for the first time.
#include <malloc.h>

#include <string>
#include <vector>

#include "display/display.h"
#include "main/startup.h"
#include "scenario/channel_sounds.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "scenario/rollback.h"
#include "support/image_support.h"
#include "support/scenario_support.h"
#include "support/sound_support.h"
#include "support/text_support.h"
#include "text/text.h"

namespace {

using Frame = std::vector<uint8_t>;
std::vector<Frame> shown;

void recordFrame() {
  Frame f;
  for (int y = 0; y < h; y++) f.insert(f.end(), gUra + y * kFrameStride, gUra + y * kFrameStride + w * 3);
  shown.push_back(std::move(f));
}

// A 576 x 384 window, so every frame goes through the scaler.
class Rollback : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    w = 576, h = 384, resizeX = w, resizeY = h, SystemFontSize = 32;
    if (installDemoFont(dir_)) fontread();
    shown.clear();
    gFrameHook = recordFrame;
  }
  void TearDown() override {
    gFrameHook = nullptr;
    PlayerDirTest::TearDown();
  }
  static void advance() { rSPGkeyin(101); }
  // Steps back once; the frame it showed, or nothing.
  static Frame back() {
    const size_t before = shown.size();
    if (!rollBackOneStop()) return {};
    EXPECT_EQ(shown.size(), before + 1) << "one frame per rollback";
    return shown.back();
  }
};

}  // namespace

// What each stop holds is compared field by field by the rollback fuzz
// target; here the frames, which it does not compose.
TEST_F(Rollback, PicturesComeBackWithTheFrameFirstShownAndRunOnAsNew) {
  writeFile("7.jpg", makeBmp(64, 32, 24, [](int x, int) { return Rgb{uint8_t(x * 4), 200, 0}; }));
  writeFile("8.jpg", makeBmp(16, 16, 24, [](int x, int y) { return Rgb{0, 9, uint8_t(x + y)}; }));
  startScenario("SCENE:1\nHAIKEI.CLEAR:255\nFLAG8.PLUS:1\nMSG:one\n"
                "HAIKEI.CLEAR:65280\nKOUKEIBMP:7\nCHARA.ICHI:1\nCHARABMP:8\n"
                "FLAG8.PLUS:1\nFLAG32.SET:5\nMSG:two\n"
                "CG.BRIGHT:50\nSYSTEMSIZE:800x600\nMSG.COLOR:16777215\nFLAG8.PLUS:1\nKEYWAIT:\n");
  const Frame one = shown.back();
  advance();
  const Frame two = shown.back();
  advance();
  EXPECT_TRUE(back() == two);
  EXPECT_TRUE(back() == one);
  EXPECT_TRUE(back().empty()) << "nothing beyond the oldest stop";
  // On from there as if for the first time: the same frames, each addition counted once.
  advance();
  EXPECT_TRUE(shown.back() == two);
  advance();
  EXPECT_EQ((Ints{gFlag8[0], SystemSizeW, CgBright}), (Ints{3, 800, 1}));
}

TEST_F(Rollback, AcrossAnotherScenarioFileAndAnotherFont) {
  writeFile("pelorune96.dat", "BM" + std::string(2000, '\x11'));
  writeFile("pelorune96pb.dat", "BM" + std::string(2000, '\x22'));
  fontread();
  writeFile("two.txt", "MSG.FONT:2\nMSG:second\nMSG:third\n");
  // No picture statement before the first stop: it shows the scene buffer never composed.
  startScenario("MSG:first\nHAIKEI.CLEAR:255\nSINARIO.READ:two.txt\n");
  const Frame first = shown.back();
  advance();
  ASSERT_EQ(gfont[1000], 0x22);
  EXPECT_TRUE(back() == first);
  EXPECT_EQ((Ints{gfont[1000], MsgFont}), (Ints{0x11, 0}));
  EXPECT_STREQ(SinaFile, "sinario.txt");
  advance();
  advance();
  EXPECT_STREQ(SinaFile, "two.txt");
  EXPECT_STREQ(Msg1, "third ") << "the reader goes on from the restored place in the other file";
}

TEST_F(Rollback, TenThousandStopsKeepTheNewestHundredInFixedMemory) {
  startScenario("SCENE:1\nMSG:a\n");
  size_t inUse = 0;
  for (int i = 0; i < 10000; i++) {
    if (i == 200) inUse = mallinfo2().uordblks;
    gFlag8[0] = int8_t(i % 100);
    noteReaderRuns();
    historyAddMessage();
    noteWaitingStatement();
  }
  EXPECT_LE(mallinfo2().uordblks, inUse + 4096);
  EXPECT_EQ((Ints{historyCount(), rollbackStepsAvailable()}), (Ints{kHistoryEntries, kRollbackStops - 1}));
  startScenario("MSG:b\n");
  EXPECT_EQ((Ints{historyCount(), rollbackStepsAvailable()}), (Ints{1, 0})) << "a new game has no past";
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
