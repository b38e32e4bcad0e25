// The save file: exact bytes written, captions, and what a load restores.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <random>

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
  // Value + 120 and value + 32000; below the field, the lowest value.
  for (int i = 0; i < 256; ++i) flag8 += i == 0 ? "119" : i == 1 ? "247" : i == 2 ? "000" : "120";
  for (int i = 0; i < 128; ++i) flag16 += i == 1 ? "31995" : i == 2 ? "00000" : i == 3 ? "64767" : "32000";
  return d + "SCENENUM:-42\r\n" + d + "FLAG1   :" + flag1 + "\r\n" + d + "FLAG8   :" + flag8 + "\r\n" + d +
         "FLAG16  :" + flag16 + "\r\n" + d + "SINAFILE:part2.txt\r\n" +
         (siori.empty() ? "" : d + "SIORI   :" + siori + "\r\n") + d + "JIKOKU  :" + jikoku + "\r\n";
}

void setState() {
  SceneNum = -42;  // scenes may be numbered below zero
  gFlag1[3] = 1, gFlag1[2047] = 9;  // any non-zero byte is stored as 1
  gFlag8[0] = -1, gFlag8[1] = 127, gFlag8[2] = -121;
  gFlag16[1] = -5, gFlag16[2] = -32001, gFlag16[3] = 32767;
  std::strcpy(SinaFile, "part2.txt");
}

class SaveFileTest : public PlayerDirTest {};

}  // namespace

TEST_F(SaveFileTest, NewSlotGoesFirstEachSlotKeepsOneRecordAndALoadRestoresIt) {
  setState();
  std::strcpy(menu1, "stale");
  saveReadCaptions();
  EXPECT_TRUE(savedatamax == 0 && std::string(menu1) == "1:") << "no file: bare captions";
  ASSERT_TRUE(saveWriteSlotAt(1, kOctober3));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003090507") + "\r\n");
  std::strcpy(siori, "chapter two");  // the same slot again, an hour later
  saveReadCaptions();
  ASSERT_TRUE(saveWriteSlotAt(1, kOctober3 + 3600));
  EXPECT_EQ(readFile("tavino.sav"), expectedRecord(1, "261003100507", "chapter two") + "\r\n");
  saveReadCaptions();
  EXPECT_STREQ(menu1, "1:chapter two03 10:05");
  EXPECT_TRUE(savedatamax == int32_t(readFile("tavino.sav").size()) && gfilework[savedatamax] == 0);

  // A load restores flags, scene and file, but not the bookmark, the 32-bit flags or a game's size.
  std::memset(gFlag1, 1, sizeof gFlag1), std::memset(gFlag8, 7, sizeof gFlag8);
  std::memset(gFlag16, 0x11, sizeof gFlag16);
  std::strcpy(siori, "kept"), std::strcpy(SinaFile, "sinario.txt");
  gFlag32[0] = 1234, SceneNum = 1, SystemSizeW = 1280, SystemSizeH = 720, KisyuMode = 2;
  saveLoadSlot(1);
  EXPECT_TRUE(SceneNum == -42 && std::string(SinaFile) == "part2.txt");
  EXPECT_EQ((Ints{gFlag1[3], gFlag1[2047], gFlag1[0], gFlag8[0], gFlag8[1], gFlag8[2]}),
            (Ints{1, 1, 0, -1, 127, -120}));
  EXPECT_EQ((Ints{gFlag16[1], gFlag16[3], gFlag16[127]}), (Ints{-5, 32767, 0}));
  EXPECT_TRUE(gFlag32[0] == 1234 && std::string(siori) == "kept") << "the bookmark and 32-bit flags stay";
  EXPECT_EQ((Ints{SystemSizeW, SystemSizeH, KisyuMode}), (Ints{1280, 720, 2})) << "a game's size stays";
  saveLoadSlot(2);  // empty: the default scenario from its start, flags kept
  EXPECT_TRUE(std::string(SinaFile) == "sinario.txt" && SceneNum == 0 && gFlag8[0] == -1);
}

// Caption lines append in file order and never past 31 characters; a bookmark
// shows 16 bytes; a cut time stamp and a final fragment without a line end add nothing.
TEST_F(SaveFileTest, CaptionsShowBookmarkAndTimeStamp) {
  writeFile("tavino.sav",
            "2SIORI   :0123456789abcdefXYZ\r\n2JIKOKU  :261003090507\r\n2SIORI   :0123456789abcdef\r\n"
            "5JIKOKU  :2610030\r\n6SIORI   :short\n\n\r6JIKOKU  :991231235959");
  saveReadCaptions();
  EXPECT_STREQ(menu2, "2:0123456789abcdef03 09:0501234");
  EXPECT_EQ(std::string(menu5) + " " + menu6, "5: 6:short");
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

// Writes cut short: by a full disk, reported as a failure, and by kills
// (SIGKILL) at random moments. Every save writes the same bytes, so the file
// must always be exactly the old or those.
TEST_F(SaveFileTest, AWriteCutShortLeavesTheOldOrTheNewFile) {
  // A megabyte of other slots' lines, so that kills land inside writes.
  std::string old;
  for (int n = 0; old.size() < 1000000; n++) old += std::to_string(n % 5 + 2) + "LINE " + std::to_string(n) + "\r\n";
  writeFile("tavino.sav", old += "\r\n");
  setState();
  saveReadCaptions();
  const pid_t full = fork();
  ASSERT_GE(full, 0);
  if (full == 0) {
    // Files may not grow beyond 2 KB: the disk fills part-way through the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2048, 2048};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(saveWriteSlotAt(1, kOctober3) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(full, &status, 0), full);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save reported success";
  EXPECT_TRUE(readFile("tavino.sav") == old && !fileExists("tavino.sav.tmp"));

  ASSERT_TRUE(saveWriteSlotAt(1, kOctober3));
  const std::string expected = expectedRecord(1, "261003090507") + old;  // the new slot first, the others in order
  ASSERT_TRUE(readFile("tavino.sav") == expected);
  saveReadCaptions();
  std::mt19937 random(15);
  for (int k = 0; k < 20; k++) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
      for (;;) saveWriteSlotAt(1, kOctober3);
    usleep(2000 + random() % 30000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(readFile("tavino.sav") == expected) << "kill " << k;
  }
  // What the last kill left half written does not stop the next save.
  EXPECT_TRUE(saveWriteSlotAt(1, kOctober3) && !fileExists("tavino.sav.tmp"));
}
