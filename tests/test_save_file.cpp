// The save file: exact bytes written, captions, and what a load restores.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

#include "menu/save_file.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"

namespace {

constexpr std::time_t kOctober3 = 1791018307;  // 2026-10-03 09:05:07 UTC

// The record the writer must produce for the state set up by setState().
std::string expectedRecord(int slot, const std::string& jikoku, const std::string& siori = "") {
  const std::string d(1, char('0' + slot));
  std::string flag1(2048, '0'), flag8, flag16;
  flag1[3] = flag1[2047] = '1';
  for (int i = 0; i < 256; ++i) flag8 += i == 0 ? "119" : i == 1 ? "247" : "120";  // value + 120
  for (int i = 0; i < 128; ++i) flag16 += i == 1 ? "31995" : "32000";              // value + 32000
  return d + "SCENENUM:42\r\n" + d + "FLAG1   :" + flag1 + "\r\n" + d + "FLAG8   :" + flag8 + "\r\n" + d +
         "FLAG16  :" + flag16 + "\r\n" + d + "SINAFILE:sinario.txt\r\n" +
         (siori.empty() ? "" : d + "SIORI   :" + siori + "\r\n") + d + "JIKOKU  :" + jikoku + "\r\n";
}

void setState() {
  SceneNum = 42;
  gFlag1[3] = 1, gFlag1[2047] = 9;  // any non-zero byte is stored as 1
  gFlag8[0] = -1, gFlag8[1] = 127, gFlag16[1] = -5;
  std::strcpy(SinaFile, "sinario.txt");
}

class SaveFileTest : public PlayerDirTest {};

}  // namespace

TEST_F(SaveFileTest, NewSlotGoesFirstAndEachSlotKeepsOneRecord) {
  setState();
  saveReadCaptions();
  EXPECT_EQ(savedatamax, 0);
  ASSERT_TRUE(saveWriteSlotAt(1, kOctober3));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003090507") + "\r\n");
  std::strcpy(siori, "chapter two");  // the same slot again, an hour later
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(1, kOctober3 + 3600));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003100507", "chapter two") + "\r\n");

  // Slot 2 into a file holding 3 and 1: the other slots follow in their order.
  const std::string three = "3SCENENUM:7\r\n3JIKOKU  :250102030405\r\n";
  const std::string one = "1SCENENUM:5\r\n1SIORI   :yes\r\n";
  writeFile("tavino.sav", three + "\r\n" + one + "\r\n");
  siori[0] = 0;
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(2, kOctober3));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(2, "261003090507") + three + one + "\r\n");
  EXPECT_FALSE(fileExists("tavino.sav.tmp"));
}

TEST_F(SaveFileTest, FlagsOutsideTheFieldsAreClampedToTheirLowestValue) {
  gFlag8[0] = -121, gFlag8[1] = -128, gFlag8[2] = -120;
  gFlag16[0] = -32001, gFlag16[1] = -32768, gFlag16[2] = 32767;
  const std::string file = saveComposeFile(5, kOctober3, nullptr, 0);
  // Every field keeps its width, so the rest of the table stays in place.
  const size_t f8 = file.find("5FLAG8   :000000000120"), f16 = file.find("5FLAG16  :000000000064767");
  ASSERT_TRUE(f8 != std::string::npos && f16 != std::string::npos) << file.substr(0, 120);
  EXPECT_TRUE(file.find("\r\n", f8) - f8 == 10u + 768u && file.find("\r\n", f16) - f16 == 10u + 640u);
}

TEST_F(SaveFileTest, CaptionsShowBookmarkAndTimeStamp) {
  std::strcpy(menu3, "stale");
  saveReadCaptions();
  EXPECT_TRUE(savedatamax == 0 && std::string(menu3) == "3:") << "no file: bare captions";
  std::strcpy(siori, "ABCDEFGHIJKLMNOPQRST");  // 20 bytes, 16 shown
  ASSERT_TRUE(saveWriteSlotAt(4, kOctober3));
  saveReadCaptions();
  EXPECT_EQ(std::string(menu4) + " " + menu1, "4:ABCDEFGHIJKLMNOP03 09:05 1:");
  EXPECT_TRUE(savedatamax == int32_t(readFile("tavino.sav").size()) && gfilework[savedatamax] == 0);

  // Lines append in file order and never past 31 characters; a cut time
  // stamp and a final fragment without a line end add nothing.
  writeFile("tavino.sav",
            "2SIORI   :0123456789abcdefXYZ\r\n2JIKOKU  :261003090507\r\n2SIORI   :0123456789abcdef\r\n"
            "5JIKOKU  :2610030\r\n6SIORI   :short\n\n\r6JIKOKU  :991231235959");
  saveReadCaptions();
  EXPECT_STREQ(menu2, "2:0123456789abcdef03 09:0501234");
  EXPECT_EQ(std::string(menu5) + " " + menu6, "5: 6:short");
}

TEST_F(SaveFileTest, LoadRestoresFlagsSceneAndFileButNotBookmarkOrFlag32) {
  setState();
  std::strcpy(SinaFile, "part2.txt");
  gFlag16[127] = 32000;
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(3, kOctober3));
  std::memset(gFlag1, 1, sizeof gFlag1), std::memset(gFlag8, 7, sizeof gFlag8);
  std::memset(gFlag16, 0x11, sizeof gFlag16);
  std::strcpy(siori, "kept");
  gFlag32[0] = 1234, SceneNum = 1, SystemSizeW = 1280, SystemSizeH = 720, KisyuMode = 2;
  saveReadCaptions();
  saveLoadSlot(3);
  EXPECT_TRUE(SceneNum == 42 && std::string(SinaFile) == "part2.txt");
  EXPECT_EQ((Ints{gFlag1[3], gFlag1[2047], gFlag1[0], gFlag8[0], gFlag8[1], gFlag8[2]}), (Ints{1, 1, 0, -1, 127, 0}));
  EXPECT_EQ((Ints{gFlag16[1], gFlag16[127], gFlag16[0]}), (Ints{-5, 32000, 0}));
  EXPECT_TRUE(gFlag32[0] == 1234 && std::string(siori) == "kept") << "the bookmark and 32-bit flags stay";
  EXPECT_EQ((Ints{SystemSizeW, SystemSizeH, KisyuMode}), (Ints{1280, 720, 2})) << "a game's size stays";
}

TEST_F(SaveFileTest, LoadOfAnEmptySlotOrFromTheTitleScreen) {
  writeFile("tavino.sav", "1SCENENUM:9\r\n1SINAFILE:other.txt\r\n\r\n");
  std::strcpy(SinaFile, "mine.txt");
  SceneNum = 4, gFlag8[0] = 3;
  saveReadCaptions();
  saveLoadSlot(2);  // empty: the default scenario from its start, flags kept
  EXPECT_TRUE(std::string(SinaFile) == "sinario.txt" && SceneNum == 0 && gFlag8[0] == 3);

  engineStateClear();  // the title screen: no design size yet
  ASSERT_EQ(SystemSizeW, 0);
  saveReadCaptions();
  saveLoadSlot(1);
  EXPECT_EQ((Ints{SceneNum, SystemSizeW, SystemSizeH, KisyuMode}), (Ints{9, 1920, 1080, 7})) << "new game size";
}

TEST_F(SaveFileTest, DamagedLinesRestoreOnlyWhatTheyHold) {
  std::memset(gFlag1, 5, sizeof gFlag1), std::memset(gFlag8, 5, sizeof gFlag8);
  std::fill(std::begin(gFlag16), std::end(gFlag16), 5);
  // Exactly sized heap copy: reading past the end is caught by the sanitizer.
  const std::string text =
      "1FLAG1   :101\r\n1FLAG8   :11912012\r\n1FLAG16  :3199531\r\n1SINAFILE\r\n1SCENEN\r\n1SCENENUM:  -17x";
  std::vector<uint8_t> bytes(text.begin(), text.end());
  std::strcpy(SinaFile, "sinario.txt");
  saveRestoreSlot(bytes.data(), int32_t(bytes.size()), 1);
  EXPECT_EQ((Ints{gFlag1[0], gFlag1[1], gFlag1[2], gFlag1[3]}), (Ints{1, 0, 1, 5}));
  EXPECT_EQ((Ints{gFlag8[0], gFlag8[1], gFlag8[2], gFlag16[0], gFlag16[1]}), (Ints{-1, 0, 5, -5, 5}));
  EXPECT_STREQ(SinaFile, "sinario.txt");
  EXPECT_EQ(SceneNum, -17) << "the final fragment still holds the scene";
}

TEST_F(SaveFileTest, ADiskFullDuringTheWriteLeavesTheOldFileIntact) {
  const std::string old = "1SCENENUM:5\r\n1SIORI   :" + std::string(3000, 'x') + "\r\n\r\n";
  writeFile("tavino.sav", old);
  saveReadCaptions();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Files may not grow beyond 2 KB: the disk fills part-way through the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2048, 2048};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(saveWriteSlotAt(2, kOctober3) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save reported success";
  EXPECT_EQ(readFile("tavino.sav"), old);
  EXPECT_FALSE(fileExists("tavino.sav.tmp"));
}
