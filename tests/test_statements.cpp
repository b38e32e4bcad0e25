// The scenario reader (line ends, the 103-byte cut, scene search, the stop
// rule, jumps, files it cannot open) and the flow, setting and flag
// statements it runs, with the resets they share.
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "scenario/engine_state.h"
#include "support/scenario_support.h"

class Reader : public PlayerDirTest {};
class Statements : public PlayerDirTest {};

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
  const std::string out = stdoutOf([] { for (int scene : {0, 3, 0}) rCPGgetsina(scene); });
  EXPECT_TRUE(out.find("missing.txt") != std::string::npos && out.find('\n') == out.size() - 1) << out;
  EXPECT_TRUE(KeyWait == 1 && pSinaFile == nullptr);
}

TEST_F(Reader, EndlessGotoLoopEndsTheStepAtTheDepthCap) {
  const std::string out =
      stdoutOf([] { startScenario("SCENE:1\nFLAG16.PLUS:1\nGOTO:1\nFLAG8.PLUS:1\nKEYWAIT:\n"); });
  // One pass through the scene per nested reader, then a stop.
  EXPECT_EQ((Ints{gFlag16[0], KeyWait}), (Ints{kMaxJumpDepth, 1}));
  EXPECT_NE(out.find("step ended"), std::string::npos);
  rCPGgetsina(0);  // the next step goes on after the innermost jump
  EXPECT_EQ((Ints{gFlag8[0], gFlag16[0]}), (Ints{1, kMaxJumpDepth}));
}

TEST_F(Statements, Flag8SetSaturatesAndIfJumpsOnlyOnASetEntry) {
  startScenario("FLAG8:3\nFLAG8.SET:200\nIF.FLAG8:40\nFLAG32.SET:1\nKEYWAIT:\nSCENE:40\nFLAG32.SET:2\nKEYWAIT:\n");
  EXPECT_EQ((Ints{gFlag8[3], SceneNum, gFlag32[0]}), (Ints{120, 40, 2})) << "jumped to scene 40";
  startScenario("IF.FLAG16:40\nFLAG32.SET:1\nKEYWAIT:\nSCENE:40\nFLAG32.SET:2\n");
  EXPECT_EQ(gFlag32[0], 1) << "a clear entry goes on";
}

TEST_F(Statements, FlagRangesAndCursors) {
  startScenario("FLAG8.SET:-5\nFLAG8.PLUS:-200\nFLAG1:9\nFLAG1.SET:7\nFLAG1:10\nFLAG1.SET:-1\nFLAG1.PLUS:5\n"
                "FLAG16:127\nFLAG16:128\nFLAG16.SET:40000\nFLAG16.PLUS:-99999\nFLAG16:3\nFLAG16.SET:7\n"
                "FLAG16.COPY:100\nFLAG16.COPY:128\nFLAG32:63\nFLAG32.SET:2000000000\nFLAG32.PLUS:2147483647\n"
                "FLAG32:-1\nFLAG8:255\nFLAG8.PLUS:2147483647\nFLAG8:256\nKEYWAIT:\n");
  // FLAG1.PLUS matches FLAG1 and moves the cursor; out-of-range cursors stay.
  EXPECT_EQ((Ints{gFlag1[9], gFlag1[10], gFlag1[5], gFlag1Now}), (Ints{1, 0, 0, 5}));
  EXPECT_EQ((Ints{gFlag8[0], gFlag8[255], gFlag8Now}), (Ints{-120, 120, 255}));
  EXPECT_EQ((Ints{gFlag16[127], gFlag16[3], gFlag16[100], gFlag16Now}), (Ints{-32000, 7, 7, 3}));
  EXPECT_EQ((Ints{gFlag32[63], gFlag32Now}), (Ints{1000000000, 63}));
}

TEST_F(Statements, SaveFlagFollowsTheStatementsThatChangeState) {
  const std::tuple<const char*, int, int> cases[] = {
      {"FLAG8.SET:1", 0, 1}, {"FLAG16.PLUS:1", 0, 1}, {"FLAG1.COPY:5", 0, 1}, {"IF.FLAG8:9", 1, 1},
      {"NOWAIT:0", 0, 1},    {"WAIT:0", 0, 1},        {"KEYWAIT:", 1, 0},     {"SCENE:4", 1, 0},
      {"FLAG1:3", 1, 1},     {"FLAG8:3", 0, 0},       {"GAMEN:1", 1, 1},      {"SIORI:x", 0, 0},
      {"FLAG32.COPY:9", 0, 1}, {"MSG:x", 1, 0}};
  for (const auto& [line, before, after] : cases) {
    std::strcpy(SinaMsg, line);
    gSaveFlag = uint8_t(before);
    rSPGkaiseki();
    EXPECT_EQ(gSaveFlag, after) << line;
  }
}

TEST_F(Statements, SceneAndGamenResetTheirPartOfTheStage) {
  HaikeiCG = KoukeiCG = ZenkeiCG = CgBright = SelectMode = 5;
  startScenario("NOWAIT:1\nSCENE:12\nKEYWAIT:\n");
  EXPECT_EQ((Ints{SceneNum, HaikeiCG, KoukeiCG, ZenkeiCG, CgBright, SelectMode, NoWait, cgChange}),
            (Ints{12, 0, 0, 0, 0, 0, 0, 1}));
  CharaCG[0] = CharaCG[2] = CharaIchi = FaceCG = MsgColor = 7;
  std::strcpy(Msg2, "AB"), std::strcpy(SelectMsg1, "kept");
  gNextTickCount = 99, cgChange = 0;
  startScenario("GAMEN:1\nKEYWAIT:\n");
  EXPECT_EQ((Ints{CharaCG[0], CharaCG[2], CharaIchi, FaceCG, MsgColor, Msg2[0], int(gNextTickCount), cgChange,
                  SelectMsg1[0]}), (Ints{0, 0, 0, 0, 0, 0, 0, 1, 'k'}));
}

TEST_F(Statements, SettingStatements) {
  startScenario("SIORI:chapter 2\nMODE:IKUZO\nKISYU:PSP\nKEYWAIT:\n"
                "MODE:iku\nKISYU:ZAURUS\nKEYWAIT:\n"
                "KISYU:OTHER\nSYSTEMSIZE:800X600\nKEYWAIT:\n"
                "SYSTEMSIZE:1921x1080\nSYSTEMSIZE:0x10\nSYSTEMSIZE:800x600\nKEYWAIT:\n");
  EXPECT_EQ((Ints{SystemMode, KisyuMode, SystemSizeW, SystemSizeH, siori[8]}), (Ints{1, 2, 480, 272, '2'}));
  rCPGgetsina(0);
  EXPECT_EQ((Ints{SystemMode, SystemSizeH}), (Ints{0, 320}));
  rCPGgetsina(0);
  EXPECT_EQ(SystemSizeW, 480) << "upper-case X is not the separator";
  const std::string out = stdoutOf([] { rCPGgetsina(0); });
  EXPECT_EQ((Ints{SystemSizeW, SystemSizeH}), (Ints{800, 600}));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << "one line per refused size: " << out;
}

TEST_F(Statements, VersionCheckStopsOnlyOnThatPlatform) {
  const std::string out = stdoutOf([] {
    startScenario("VERSION.CHECK:9.5\nFLAG8.PLUS:1\nKISYU:PS3LINUX\nVERSION.CHECK:8.0\n"
                  "FLAG8.PLUS:1\nVERSION.CHECK:9.5\nFLAG8.PLUS:1\nKEYWAIT:\n");
  });
  EXPECT_EQ((Ints{KisyuMode, gFlag8[0]}), (Ints{8, 2})) << "the refused version stopped the reader";
  EXPECT_TRUE(out.rfind("\x82\xb1\x82\xcc\x83\x56\x83\x69", 0) == 0 && out.size() == 57u) << out;
  rCPGgetsina(0);
  EXPECT_EQ(gFlag8[0], 3);
}

TEST_F(Statements, DispatchIsByPrefixInTableOrder) {
  startScenario("msg:a\nMSG.COLORX:255\nFLAG8.PLUSX:4\nflag8.plus:50\nIF.FLAG8X:0\nTICKCOUNT:1\n"
                "SAVEFILE:1\n:5\nSIORIX:a:b\nKEYWAIT:\n");
  EXPECT_EQ((Ints{gFlag8[0], int(MsgColor), Msg1[0]}), (Ints{4, 255, 0})) << "msg is no keyword";
  EXPECT_STREQ(siori, "a:b") << "the argument keeps later colons";
}

TEST_F(Statements, NewGameClearsFlagsSetsDesignSizeAndStartsAtTheTop) {
  startScenario("FLAG8.PLUS:1\nKEYWAIT:\nFLAG8.PLUS:10\nKEYWAIT:\n");
  gFlag1[2047] = gFlag16Now = gFlag32[63] = 1;
  SystemSizeW = 480, KisyuMode = 8;
  rOPGstartsina();  // from the first line again, flags cleared
  EXPECT_EQ((Ints{gFlag8[0], gFlag1[2047], gFlag16Now, gFlag32[63], SystemSizeW, SystemSizeH, KisyuMode}),
            (Ints{1, 0, 0, 0, 1920, 1080, 7}));
}
