// Rollback: a stop comes back exactly as it was first shown, and the
// scenario then runs on from it as if for the first time.
#include <malloc.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "display/display.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "scenario/rollback.h"
#include "scenario/sound.h"
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

TEST_F(Rollback, PicturesFlagsAndSettingsComeBackWithTheFrameFirstShown) {
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
  ASSERT_EQ((Ints{gFlag8[0], SystemSizeW, rollbackStepsAvailable()}), (Ints{3, 800, 2}));

  EXPECT_TRUE(back() == two);
  EXPECT_EQ((Ints{gFlag8[0], gFlag32[0], CharaIchi, CharaCG[1], KoukeiCG, CgBright, SystemSizeW, MsgColor}),
            (Ints{2, 5, 1, 8, 7, 0, 1920, 0}));
  EXPECT_TRUE(back() == one);
  EXPECT_EQ((Ints{gFlag8[0], gFlag32[0], CharaCG[1], KoukeiCG, HaikeiCGtype}), (Ints{1, 0, 0, 0, 255}));
  EXPECT_TRUE(back().empty()) << "nothing beyond the oldest stop";
  EXPECT_EQ(gFlag8[0], 1);

  // On from there as if for the first time: the same frames, each addition counted once.
  advance();
  EXPECT_TRUE(shown.back() == two);
  advance();
  EXPECT_EQ((Ints{gFlag8[0], SystemSizeW, CgBright}), (Ints{3, 800, 1}));
  // Waiting at the end of the file, where no stop is recorded: back goes to the last stop.
  advance();
  EXPECT_EQ(rollbackStepsAvailable(), 3);
  EXPECT_TRUE(rollBackOneStop());
  EXPECT_EQ((Ints{gFlag8[0], SystemSizeW, rollbackStepsAvailable()}), (Ints{3, 800, 2}));
}

TEST_F(Rollback, AChoiceRolledBackToCanBeAnsweredDifferently) {
  startScenario("SCENE:1\nSELECT.MODE:1\nSELECT.MSG:A\nSELECT.GOTO:20\nSELECT.MSG:B\nSELECT.GOTO:30\n"
                "MSG:Which?\nSCENE:20\nFLAG8.PLUS:20\nMSG:went A\nSCENE:30\nFLAG8.PLUS:30\nMSG:went B\n");
  const Frame question = shown.back();
  rSPGkeyin(2), advance();  // row A
  ASSERT_EQ((Ints{gFlag8[0], historyCount()}), (Ints{20, 3}));
  EXPECT_TRUE(back() == question);
  EXPECT_EQ((Ints{SelectMode, SelectNow, SelectGoto[1], gFlag8[0], historyCount()}), (Ints{1, -1, 30, 0, 1}));
  EXPECT_STREQ(SelectMsg1, "A");
  rSPGkeyin(2), rSPGkeyin(2), advance();  // row B
  EXPECT_EQ((Ints{gFlag8[0], SceneNum}), (Ints{30, 30}));
  ASSERT_EQ(historyCount(), 3);
  EXPECT_TRUE(historyEntry(1).chosen);
  EXPECT_STREQ(historyEntry(1).lines[0], "B") << "the first answer left the history with its stop";
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
  EXPECT_TRUE(rollBackOneStop());
  EXPECT_EQ((Ints{gFlag8[0], historyCount()}), (Ints{98, kHistoryEntries - 1}));
  startScenario("MSG:b\n");
  EXPECT_EQ((Ints{historyCount(), rollbackStepsAvailable()}), (Ints{1, 0})) << "a new game has no past";
}

namespace {

// The real mixed output, captured by SDL's disk audio driver.
class RollbackSound : public Rollback {
 protected:
  void SetUp() override {
    Rollback::SetUp();
    startDiskAudio(dir_ + "/mixed.raw");
  }
  void TearDown() override {
    stopDiskAudio();
    Rollback::TearDown();
  }
  // A device buffer (2048 bytes) mixed from now on: its one sample value, or -1 when it holds several.
  static int heard() {
    const size_t from = (readFile("mixed.raw").size() / 2048 + 4) * 2048;
    std::string raw;
    for (int tries = 0; tries < 1000 && raw.size() < from + 2048; tries++) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      raw = readFile("mixed.raw");
    }
    if (raw.size() < from + 2048) return -2;
    for (size_t i = from; i < from + 2048; i += 2)
      if (raw.compare(i, 2, raw, from, 2) != 0) return -1;
    return int16_t(uint8_t(raw[from]) | uint8_t(raw[from + 1]) << 8);
  }
};

// Four device buffers of one value, in the device format: looping, it leaves no gap.
std::string steadyWav(int16_t value) {
  std::string s;
  auto le = [&s](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) s += char(v >> (8 * i));
  };
  s += "RIFF", le(36 + 8192, 4), s += "WAVEfmt ", le(16, 4), le(1, 2), le(2, 2), le(22050, 4);
  le(88200, 4), le(4, 2), le(16, 2), s += "data", le(8192, 4);
  for (int i = 0; i < 4096; i++) le(uint16_t(value), 2);
  return s;
}

}  // namespace

TEST_F(RollbackSound, ChannelsReloadAndRestartOrStopAsAtTheStop) {
  writeFile("a.wav", steadyWav(1000));
  writeFile("b.wav", steadyWav(2000));
  startScenario("SCENE:1\nOTO1.WAV:a\nOTO1.PLAY:1\nMSG:one\nOTO1.WAV:b\nOTO1.PLAY:1\nMSG:two\n"
                "OTO1.STOP:\nOTO2.WAV:b\nOTO2.PLAY:1\nMSG:three\n");
  advance();
  advance();
  EXPECT_EQ(heard(), 2000) << "channel 1 stopped, channel 2 plays b";
  ASSERT_TRUE(rollBackOneStop());
  EXPECT_EQ(heard(), 2000) << "b again on channel 1 alone: channel 2 held nothing then";
  ASSERT_TRUE(rollBackOneStop());
  EXPECT_EQ(heard(), 1000) << "a reloaded";
}
