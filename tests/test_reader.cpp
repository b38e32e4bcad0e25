// The scenario reader: line ends, the 103-byte cut, scene search, the stop
// rule, jumps and the files it cannot open.
#include <cstring>
#include <string>

#include "scenario/engine_state.h"
#include "support/scenario_support.h"

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
    EXPECT_EQ((Ints{gFlag8[0], KeyWait}), (Ints{7, 1})) << "stops at the key wait: " << text;
    rCPGgetsina(0);
    EXPECT_EQ(gFlag8[0], 15) << "the next step goes on after it";
  }
}

TEST_F(Reader, LongLineIsCutAt103BytesAndTheNextLineRunsNormally) {
  startScenario("SIORI:" + std::string(144, 'a') + "\nFLAG8.PLUS:5\nKEYWAIT:\n");
  EXPECT_TRUE(std::string(siori) == std::string(103 - 6, 'a') && gFlag8[0] == 5);
}

TEST_F(Reader, SceneSearchFromTheTopFindsColonAndSpaceFormsOnly) {
  startScenario("KEYWAIT:\nSCENE7\nFLAG8.PLUS:100\nKEYWAIT:\nSCENE 7\nFLAG8.PLUS:1\nKEYWAIT:\n"
                "SCENE:8\nFLAG8.PLUS:10\nKEYWAIT:\nGOTO:7\n");
  rCPGgetsina(7);
  EXPECT_EQ((Ints{gFlag8[0], SceneNum}), (Ints{1, 0})) << "a space form is a mark, not a SCENE";
  rCPGgetsina(8);
  EXPECT_EQ((Ints{gFlag8[0], SceneNum}), (Ints{11, 8}));
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 12) << "GOTO:7 after scene 8 searched from the top";
  for (int scene : {42, 0, 0}) rCPGgetsina(scene);
  EXPECT_EQ(gFlag8[0], 12) << "a missing scene rests at the end for every later step";
}

TEST_F(Reader, LinesThatRunAndLinesThatDoNot) {
  const std::pair<const char*, int> cases[] = {
      {"   \nFLAG8.PLUS 9\nFLAG8.PLUS:1\nKEYWAIT:\n", 1},  // blank, and without colon
      {"GOTO:0\nFLAG8.PLUS:1\nKEYWAIT:\n", 1},  // searches nothing, goes on
      {"FLAG8.PLUS:1\nFLAG8.PLUS:2", 3},  // last line without a line end, then a stop
      {"NOWAIT:1\nMSG:a\nMSG:b\nNOWAIT:0\nFLAG8.PLUS:1\nKEYWAIT:\n", 1},  // messages do not stop
  };
  for (const auto& [text, flag] : cases) {
    startScenario(text);
    EXPECT_EQ((Ints{gFlag8[0], KeyWait}), (Ints{flag, 1})) << text;
    rCPGgetsina(0);
    rCPGgetsina(0);
    EXPECT_EQ(gFlag8[0], flag) << "nothing after the stop: " << text;
  }
}

TEST_F(Reader, ScenarioSwitchCarriesFlagsAndResetsTheDisplay) {
  writeFile("second.txt", "FLAG8.PLUS:10\nKEYWAIT:\n");
  startScenario("FLAG8.PLUS:1\nHAIKEI.CLEAR:255\nSINARIO.READ:second.txt\nFLAG8.PLUS:100\n");
  EXPECT_TRUE(std::string(SinaFile) == "second.txt" && gFlag8[0] == 11 && HaikeiCGtype == 0xFFFFFF)
      << "flags kept, display reset";
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 11) << "the old file is not read again";
}

TEST_F(Reader, UnopenableFileIsReportedOnceAndPlaysAsEmpty) {
  rCPGgetsina(0);
  EXPECT_EQ(KeyWait, 0) << "no file named yet: nothing runs";
  std::strcpy(SinaFile, "missing.txt");
  CaptureStdout();
  for (int scene : {0, 3, 0}) rCPGgetsina(scene);
  const std::string out = GetCapturedStdout();
  EXPECT_TRUE(out.find("missing.txt") != std::string::npos && out.find('\n') == out.size() - 1) << out;
  EXPECT_TRUE(KeyWait == 1 && pSinaFile == nullptr);
}

TEST_F(Reader, EndlessGotoLoopEndsTheStepAtTheDepthCap) {
  CaptureStdout();
  startScenario("SCENE:1\nFLAG16.PLUS:1\nGOTO:1\nFLAG8.PLUS:1\nKEYWAIT:\n");
  const std::string out = GetCapturedStdout();
  // One pass through the scene per nested reader, then a stop.
  EXPECT_EQ((Ints{gFlag16[0], KeyWait}), (Ints{kMaxJumpDepth, 1}));
  EXPECT_NE(out.find("step ended"), std::string::npos);
  rCPGgetsina(0);  // the next step goes on after the innermost jump
  EXPECT_EQ((Ints{gFlag8[0], gFlag16[0]}), (Ints{1, kMaxJumpDepth}));
}
