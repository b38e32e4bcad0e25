// The save file: exact bytes written, captions, and what a load restores.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <ctime>

#include "menu/save_file.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

// 3 October 2026, 09:05:07 UTC.
std::time_t october3() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 9;
  t.tm_mday = 3;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  return timegm(&t);
}

// The record the writer must produce for the state set up by setState().
std::string expectedRecord(int slot, const std::string& jikoku, const std::string& sioriLine = "") {
  std::string d(1, char('0' + slot));
  std::string flag1(2048, '0');
  flag1[3] = '1';
  flag1[2047] = '1';
  std::string flag8;
  for (int i = 0; i < 256; ++i) flag8 += "120";
  flag8.replace(0, 3, "119");
  flag8.replace(3, 3, "247");
  std::string flag16;
  for (int i = 0; i < 128; ++i) flag16 += "32000";
  flag16.replace(5, 5, "31995");
  std::string out = d + "SCENENUM:42\r\n";
  out += d + "FLAG1   :" + flag1 + "\r\n";
  out += d + "FLAG8   :" + flag8 + "\r\n";
  out += d + "FLAG16  :" + flag16 + "\r\n";
  out += d + "SINAFILE:sinario.txt\r\n";
  if (!sioriLine.empty()) out += d + "SIORI   :" + sioriLine + "\r\n";
  out += d + "JIKOKU  :" + jikoku + "\r\n";
  return out;
}

void setState() {
  SceneNum = 42;
  gFlag1[3] = 1;
  gFlag1[2047] = 9;  // any non-zero byte is stored as 1
  gFlag8[0] = -1;
  gFlag8[1] = 127;
  gFlag16[1] = -5;
  std::strcpy(SinaFile, "sinario.txt");
}

class SaveFileTest : public PlayerDirTest {};

TEST_F(SaveFileTest, NewSlotGoesFirstAndOtherSlotsKeepTheirOrder) {
  const std::string old =
      "3SCENENUM:7\r\n3JIKOKU  :250102030405\r\n\r\n1SCENENUM:5\r\n1SIORI   :yes\r\n\r\n";
  writeFile("tavino.sav", old);
  setState();
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(2, october3()));
  EXPECT_EQ(readFile("tavino.sav"),
            expectedRecord(2, "261003090507") +
                "3SCENENUM:7\r\n3JIKOKU  :250102030405\r\n1SCENENUM:5\r\n1SIORI   :yes\r\n\r\n");
  EXPECT_FALSE(fileExists("tavino.sav.tmp"));
}

TEST_F(SaveFileTest, SavingASlotTwiceKeepsOneRecord) {
  setState();
  saveReadCaptions();
  EXPECT_EQ(savedatamax, 0);
  ASSERT_TRUE(saveWriteSlotAt(1, october3()));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003090507") + "\r\n");

  std::strcpy(siori, "chapter two");
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(1, october3() + 3600));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003100507", "chapter two") + "\r\n");
}

TEST_F(SaveFileTest, FlagsOutsideTheFieldsAreClampedToTheirLowestValue) {
  gFlag8[0] = -121;
  gFlag8[1] = -128;
  gFlag8[2] = -120;
  gFlag16[0] = -32001;
  gFlag16[1] = -32768;
  gFlag16[2] = 32767;
  std::string file = saveComposeFile(5, october3(), nullptr, 0);
  EXPECT_NE(file.find("5FLAG8   :000000000120"), std::string::npos);
  EXPECT_NE(file.find("5FLAG16  :000000000064767"), std::string::npos);
  // Every field keeps its width, so the rest of the table stays in place.
  size_t at = file.find("5FLAG8   :");
  EXPECT_EQ(file.find("\r\n", at) - at, 10u + 768u);
  at = file.find("5FLAG16  :");
  EXPECT_EQ(file.find("\r\n", at) - at, 10u + 640u);
}

TEST_F(SaveFileTest, CaptionsShowBookmarkAndTimeStamp) {
  std::strcpy(siori, "ABCDEFGHIJKLMNOPQRST");  // 20 bytes, 16 shown
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(4, october3()));
  saveReadCaptions();
  EXPECT_STREQ(menu4, "4:ABCDEFGHIJKLMNOP03 09:05");
  EXPECT_STREQ(menu1, "1:");
  EXPECT_EQ(savedatamax, int32_t(readFile("tavino.sav").size()));
  EXPECT_EQ(gfilework[savedatamax], 0);
}

TEST_F(SaveFileTest, CaptionsOfMissingOrOddFiles) {
  std::strcpy(menu3, "stale");
  saveReadCaptions();
  EXPECT_EQ(savedatamax, 0);
  EXPECT_STREQ(menu3, "3:");
  EXPECT_STREQ(menu6, "6:");

  // Lines append in file order and never past 31 characters; a cut time
  // stamp and a final fragment without a line end add nothing.
  writeFile("tavino.sav",
            "2SIORI   :0123456789abcdefXYZ\r\n2JIKOKU  :261003090507\r\n"
            "2SIORI   :0123456789abcdef\r\n5JIKOKU  :2610030\r\n"
            "6SIORI   :short\n\n\r6JIKOKU  :991231235959");
  saveReadCaptions();
  EXPECT_STREQ(menu2, "2:0123456789abcdef03 09:0501234");
  EXPECT_STREQ(menu5, "5:");
  EXPECT_STREQ(menu6, "6:short");
}

TEST_F(SaveFileTest, LoadRestoresFlagsSceneAndFileButNotBookmarkOrFlag32) {
  setState();
  std::strcpy(SinaFile, "part2.txt");
  gFlag16[127] = 32000;
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(3, october3()));

  std::memset(gFlag1, 1, sizeof gFlag1);
  std::memset(gFlag8, 7, sizeof gFlag8);
  std::memset(gFlag16, 0x11, sizeof gFlag16);
  gFlag32[0] = 1234;
  std::strcpy(siori, "kept");
  SceneNum = 1;
  SystemSizeW = 1280;
  SystemSizeH = 720;
  KisyuMode = 2;
  saveReadCaptions();
  saveLoadSlot(3);

  EXPECT_EQ(SceneNum, 42);
  EXPECT_STREQ(SinaFile, "part2.txt");
  EXPECT_EQ(gFlag1[3], 1);
  EXPECT_EQ(gFlag1[2047], 1);
  EXPECT_EQ(gFlag1[0], 0);
  EXPECT_EQ(gFlag8[0], -1);
  EXPECT_EQ(gFlag8[1], 127);
  EXPECT_EQ(gFlag8[2], 0);
  EXPECT_EQ(gFlag16[1], -5);
  EXPECT_EQ(gFlag16[127], 32000);
  EXPECT_EQ(gFlag16[0], 0);
  EXPECT_EQ(gFlag32[0], 1234);
  EXPECT_STREQ(siori, "kept");
  // A game was running: its design size and platform stay.
  EXPECT_EQ(SystemSizeW, 1280);
  EXPECT_EQ(SystemSizeH, 720);
  EXPECT_EQ(KisyuMode, 2);
}

TEST_F(SaveFileTest, LoadOfAnEmptySlotStartsTheDefaultScenario) {
  writeFile("tavino.sav", "1SCENENUM:9\r\n1SINAFILE:other.txt\r\n\r\n");
  std::strcpy(SinaFile, "mine.txt");
  SceneNum = 4;
  gFlag8[0] = 3;
  saveReadCaptions();
  saveLoadSlot(2);
  EXPECT_STREQ(SinaFile, "sinario.txt");
  EXPECT_EQ(SceneNum, 0);
  EXPECT_EQ(gFlag8[0], 3);
}

TEST_F(SaveFileTest, LoadFromTheTitleScreenComposesAtTheNewGameSize) {
  writeFile("tavino.sav", "1SCENENUM:9\r\n\r\n");
  saveReadCaptions();
  ASSERT_EQ(SystemSizeW, 0);
  saveLoadSlot(1);
  EXPECT_EQ(SystemSizeW, 1920);
  EXPECT_EQ(SystemSizeH, 1080);
  EXPECT_EQ(KisyuMode, 7);
  EXPECT_EQ(SceneNum, 9);
}

TEST_F(SaveFileTest, DamagedLinesRestoreOnlyWhatTheyHold) {
  std::memset(gFlag1, 5, sizeof gFlag1);
  std::memset(gFlag8, 5, sizeof gFlag8);
  for (auto& f : gFlag16) f = 5;
  // Exactly sized heap copy: reading past the end is caught by the sanitizer.
  const std::string text =
      "1FLAG1   :101\r\n1FLAG8   :11912012\r\n1FLAG16  :3199531\r\n1SINAFILE\r\n"
      "1SCENEN\r\n1SCENENUM:  -17x";
  std::vector<uint8_t> bytes(text.begin(), text.end());
  std::strcpy(SinaFile, "sinario.txt");
  saveRestoreSlot(bytes.data(), int32_t(bytes.size()), 1);
  EXPECT_EQ(gFlag1[0], 1);
  EXPECT_EQ(gFlag1[1], 0);
  EXPECT_EQ(gFlag1[2], 1);
  EXPECT_EQ(gFlag1[3], 5);
  EXPECT_EQ(gFlag8[0], -1);
  EXPECT_EQ(gFlag8[1], 0);
  EXPECT_EQ(gFlag8[2], 5);
  EXPECT_EQ(gFlag16[0], -5);
  EXPECT_EQ(gFlag16[1], 5);
  EXPECT_STREQ(SinaFile, "sinario.txt");
  EXPECT_EQ(SceneNum, -17);  // the final fragment still holds the scene
}

TEST_F(SaveFileTest, AFailedWriteLeavesTheOldFileIntact) {
  const std::string old = "1SCENENUM:5\r\n\r\n";
  writeFile("tavino.sav", old);
  saveReadCaptions();
  ASSERT_EQ(mkdir("tavino.sav.tmp", 0700), 0);  // the new file cannot be created
  EXPECT_FALSE(saveWriteSlotAt(2, october3()));
  EXPECT_EQ(readFile("tavino.sav"), old);
}

TEST_F(SaveFileTest, ADiskFullDuringTheWriteLeavesTheOldFileIntact) {
  std::string old = "1SCENENUM:5\r\n";
  old += "1SIORI   :" + std::string(3000, 'x') + "\r\n\r\n";
  writeFile("tavino.sav", old);
  saveReadCaptions();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Files may not grow beyond 2 KB: the write fails part-way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2048, 2048};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(saveWriteSlotAt(2, october3()) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
  EXPECT_EQ(readFile("tavino.sav"), old);
  EXPECT_FALSE(fileExists("tavino.sav.tmp"));
}

}  // namespace
