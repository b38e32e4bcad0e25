// The scenario reader: line ends, the 103-byte cut, scene search, the stop
// rule, jumps and the files it cannot open.
#include <cstring>
#include <string>

#include "scenario/engine_state.h"
#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "support/scenario_support.h"
#include "support/test_support.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class Reader : public PlayerDirTest {};

TEST_F(Reader, LineEndsOfEveryKindGiveTheSameStatements) {
  const char* variants[] = {
      "FLAG8.PLUS:1\r\nFLAG8.PLUS:2\r\n\r\nFLAG8.PLUS:4\r\nKEYWAIT:\r\nFLAG8.PLUS:8\r\n",
      "FLAG8.PLUS:1\nFLAG8.PLUS:2\n\n\nFLAG8.PLUS:4\nKEYWAIT:\nFLAG8.PLUS:8\n",
      "FLAG8.PLUS:1\rFLAG8.PLUS:2\r\rFLAG8.PLUS:4\rKEYWAIT:\rFLAG8.PLUS:8\r",
  };
  for (const char* text : variants) {
    startScenario(text);
    EXPECT_EQ(gFlag8[0], 7) << "stops at the key wait: " << text;
    EXPECT_EQ(KeyWait, 1);
    rCPGgetsina(0);
    EXPECT_EQ(gFlag8[0], 15) << "the next step goes on after it";
  }
}

TEST_F(Reader, LongLineIsCutAt103BytesAndTheNextLineRunsNormally) {
  const std::string text(150 - 6, 'a');
  startScenario("SIORI:" + text + "\nFLAG8.PLUS:5\nKEYWAIT:\n");
  EXPECT_EQ(std::strlen(siori), 103u - 6u);
  EXPECT_EQ(std::string(siori), text.substr(0, 97));
  EXPECT_EQ(gFlag8[0], 5);
}

TEST_F(Reader, LineOfSpacesAndLineWithoutColonDoNothing) {
  startScenario("   \nFLAG8.PLUS 9\nFLAG8.PLUS:1\nKEYWAIT:\n");
  EXPECT_EQ(gFlag8[0], 1);
}

TEST_F(Reader, SceneSearchFindsColonAndSpaceFormsButNotGluedNumber) {
  startScenario(
      "KEYWAIT:\n"
      "SCENE7\nFLAG8.PLUS:100\nKEYWAIT:\n"
      "SCENE 7\nFLAG8.PLUS:1\nKEYWAIT:\n"
      "SCENE:8\nFLAG8.PLUS:10\nKEYWAIT:\n");
  rCPGgetsina(7);
  EXPECT_EQ(gFlag8[0], 1);
  EXPECT_EQ(SceneNum, 0) << "the space form is a mark but not a SCENE statement";
  rCPGgetsina(8);
  EXPECT_EQ(gFlag8[0], 11);
  EXPECT_EQ(SceneNum, 8);
}

TEST_F(Reader, SearchAlwaysStartsFromTheTop) {
  startScenario("SCENE:1\nFLAG8.PLUS:1\nKEYWAIT:\nSCENE:2\nGOTO:1\n");
  EXPECT_EQ(gFlag8[0], 1);
  rCPGgetsina(2);  // SCENE:2 then GOTO:1 searches back to the top
  EXPECT_EQ(gFlag8[0], 2);
  EXPECT_EQ(SceneNum, 1);
}

TEST_F(Reader, MissingSceneRestsAtTheEnd) {
  startScenario("KEYWAIT:\nFLAG8.PLUS:1\nKEYWAIT:\n");
  rCPGgetsina(42);
  EXPECT_EQ(gFlag8[0], 0);
  rCPGgetsina(0);
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 0) << "every later step finds the end at once";
}

TEST_F(Reader, LastLineWithoutLineEndIsExecutedAndStops) {
  startScenario("FLAG8.PLUS:1\nFLAG8.PLUS:2");
  EXPECT_EQ(gFlag8[0], 3);
  EXPECT_EQ(KeyWait, 1);
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 3);
}

TEST_F(Reader, GotoZeroSearchesNothingAndGoesOn) {
  startScenario("GOTO:0\nFLAG8.PLUS:1\nKEYWAIT:\nFLAG8.PLUS:10\n");
  EXPECT_EQ(gFlag8[0], 1);
}

TEST_F(Reader, ScenarioSwitchCarriesFlagsAndResetsTheDisplay) {
  writeFile("second.txt", "FLAG8.PLUS:10\nKEYWAIT:\n");
  startScenario("FLAG8.PLUS:1\nSINARIO.READ:second.txt\nFLAG8.PLUS:100\n");
  EXPECT_STREQ(SinaFile, "second.txt");
  EXPECT_EQ(gFlag8[0], 11);
  EXPECT_EQ(HaikeiCGtype, 0xFFFFFF);
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 11) << "the old file is not read again";
}

TEST_F(Reader, UnopenableFileIsReportedOnceAndPlaysAsEmpty) {
  std::strcpy(SinaFile, "missing.txt");
  CaptureStdout();
  rCPGgetsina(0);
  rCPGgetsina(3);
  rCPGgetsina(0);
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("missing.txt"), std::string::npos);
  EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
  EXPECT_EQ(KeyWait, 1);
  EXPECT_EQ(pSinaFile, nullptr);
}

TEST_F(Reader, EndlessGotoLoopEndsTheStepAtTheDepthCap) {
  CaptureStdout();
  startScenario("SCENE:1\nFLAG16.PLUS:1\nGOTO:1\nFLAG8.PLUS:1\nKEYWAIT:\n");
  const std::string out = GetCapturedStdout();
  EXPECT_EQ(gFlag16[0], kMaxJumpDepth) << "one pass through the scene per nested reader";
  EXPECT_NE(out.find("step ended"), std::string::npos);
  EXPECT_EQ(KeyWait, 1);
  rCPGgetsina(0);  // the next step goes on after the innermost jump
  EXPECT_EQ(gFlag8[0], 1);
  EXPECT_EQ(gFlag16[0], kMaxJumpDepth);
}

TEST_F(Reader, EmptySinaFileRunsNothing) {
  rCPGgetsina(0);
  EXPECT_EQ(KeyWait, 0);
}
