// The scenario reader (line ends, the 103-byte cut, scene search, the stop
// rule, jumps, files it cannot open) and the statements it runs: flow,
// settings and flags with the resets they share, messages and choice lists
// with the lines they lay out, and pictures with what the scene shows after
// a redraw.
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "display/display.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "scenario/scenario.h"
#include "scenario/statements.h"
#include "support/image_support.h"
#include "support/scenario_support.h"

namespace {

const std::string kA = "\x82\xA0", kMaru = "\x81\x42";  // hiragana a, full stop

std::string repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; i++) r += s;
  return r;
}

// The four laid-out lines; each must be zero after its text.
std::vector<std::string> layout(const std::string& text) {
  char lines[kMessageLines][kLineBytes];
  std::memset(lines, 0x77, sizeof lines);
  layoutMessage(text.c_str(), lines);
  std::vector<std::string> out;
  for (auto& line : lines) {
    const size_t n = strnlen(line, kLineBytes);
    for (size_t i = n; i < size_t(kLineBytes); i++) EXPECT_EQ(line[i], 0) << "after " << n;
    out.emplace_back(line, n);
  }
  return out;
}

int32_t run(const std::string& line) {
  std::strncpy(SinaMsg, line.c_str(), sizeof SinaMsg - 1);
  return rSPGkaiseki();
}

class Reader : public PlayerDirTest {};
class Statements : public PlayerDirTest {};

}  // namespace

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

// Each scenario stops once (at its key wait or its end); the flag it has
// reached there and two steps later.
TEST_F(Reader, LinesThatRunAndLinesThatDoNot) {
  const std::tuple<const char*, int, int> cases[] = {
      {"FLAG8.PLUS:1\r\n\r\nFLAG8.PLUS:2\r\nKEYWAIT:\r\nFLAG8.PLUS:4\r\n", 3, 7},  // CR LF, a blank line
      {"FLAG8.PLUS:1\r\rFLAG8.PLUS:2\rKEYWAIT:\rFLAG8.PLUS:4\r", 3, 7},              // CR alone
      {"   \nFLAG8.PLUS 9\nFLAG8.PLUS:1\nKEYWAIT:\n", 1, 1},  // blank, and without colon
      {"GOTO:0\nFLAG8.PLUS:1\nKEYWAIT:\n", 1, 1},  // searches nothing, goes on
      {"FLAG8.PLUS:1\nFLAG8.PLUS:2", 3, 3},  // last line without a line end, then a stop
      {"NOWAIT:1\nMSG:a\nMSG:b\nNOWAIT:0\nFLAG8.PLUS:1\nKEYWAIT:\n", 1, 1},  // messages do not stop
  };
  for (const auto& [text, atStop, after] : cases) {
    startScenario(text);
    EXPECT_EQ((Ints{gFlag8[0], KeyWait}), (Ints{atStop, 1})) << text;
    rCPGgetsina(0);
    rCPGgetsina(0);
    EXPECT_EQ(gFlag8[0], after) << "the steps after the stop: " << text;
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
  startScenario("SCENE:1\nFLAG16.PLUS:1\nGOTO:1\nFLAG8.PLUS:1\nKEYWAIT:\n");
  // One pass through the scene per nested reader, then a stop.
  EXPECT_EQ((Ints{gFlag16[0], KeyWait}), (Ints{kMaxJumpDepth, 1}));
  rCPGgetsina(0);  // the next step goes on after the innermost jump
  EXPECT_EQ((Ints{gFlag8[0], gFlag16[0]}), (Ints{1, kMaxJumpDepth}));
}

TEST_F(Statements, FlagRangesAndCursors) {
  startScenario("FLAG8.SET:-5\nFLAG8.PLUS:-200\nFLAG1:9\nFLAG1.SET:7\nFLAG1:10\nFLAG1.SET:-1\nFLAG1.PLUS:5\n"
                "FLAG16:127\nFLAG16:128\nFLAG16.SET:40000\nFLAG16.PLUS:-99999\nFLAG16:3\nFLAG16.SET:-40000\n"
                "FLAG16.COPY:100\nFLAG16.COPY:128\nFLAG32:63\nFLAG32.SET:2000000000\nFLAG32.PLUS:2147483647\n"
                "FLAG32:-1\nFLAG8:255\nFLAG8.PLUS:2147483647\nFLAG8:256\n"
                "IF.FLAG1:40\nFLAG16.SET:9\nIF.FLAG8:40\nFLAG16.SET:8\nKEYWAIT:\nSCENE:40\nKEYWAIT:\n");
  // FLAG1.PLUS matches FLAG1 and moves the cursor; out-of-range cursors stay.
  EXPECT_EQ((Ints{gFlag1[9], gFlag1[10], gFlag1[5], gFlag1Now}), (Ints{1, 0, 0, 5}));
  EXPECT_EQ((Ints{gFlag8[0], gFlag8[255], gFlag8Now}), (Ints{-120, 120, 255}));
  // IF goes on past a clear entry and jumps on a set one.
  EXPECT_EQ((Ints{gFlag16[127], gFlag16[3], gFlag16[100], gFlag16Now, SceneNum}), (Ints{-32000, 9, -32000, 3, 40}));
  EXPECT_EQ((Ints{gFlag32[63], gFlag32Now}), (Ints{1000000000, 63}));
}

TEST_F(Statements, SaveFlagFollowsTheStatementsThatChangeState) {
  const std::tuple<const char*, int, int> cases[] = {
      {"FLAG8.SET:1", 0, 1}, {"FLAG16.PLUS:1", 0, 1}, {"FLAG1.COPY:5", 0, 1}, {"IF.FLAG8:9", 1, 1},
      {"NOWAIT:0", 0, 1},    {"WAIT:0", 0, 1},        {"KEYWAIT:", 1, 0},     {"SCENE:4", 1, 0},
      {"FLAG1:3", 1, 1},     {"FLAG8:3", 0, 0},       {"GAMEN:1", 1, 1},      {"SIORI:x", 0, 0},
      {"FLAG32.COPY:9", 0, 1}, {"MSG:x", 1, 0}};
  for (const auto& [line, before, after] : cases) {
    gSaveFlag = uint8_t(before);
    run(line);
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
  startScenario("SIORI:" + std::string(144, 'a') + "\nMODE:IKUZO\nKISYU:PSP\nKEYWAIT:\n"
                "MODE:iku\nKISYU:ZAURUS\nKEYWAIT:\n"
                "KISYU:OTHER\nSYSTEMSIZE:800X600\nKEYWAIT:\n"
                "SYSTEMSIZE:1921x1080\nSYSTEMSIZE:0x10\nSYSTEMSIZE:800x600\nKEYWAIT:\n");
  EXPECT_EQ(std::string(siori), std::string(103 - 6, 'a')) << "a long line is cut at 103 bytes, the next one runs";
  EXPECT_EQ((Ints{SystemMode, KisyuMode, SystemSizeW, SystemSizeH}), (Ints{1, 2, 480, 272}));
  rCPGgetsina(0);
  EXPECT_EQ((Ints{SystemMode, SystemSizeH}), (Ints{0, 320}));
  rCPGgetsina(0);
  EXPECT_EQ(SystemSizeW, 480) << "upper-case X is not the separator";
  rCPGgetsina(0);
  EXPECT_EQ((Ints{SystemSizeW, SystemSizeH}), (Ints{800, 600})) << "the bad sizes refused";
}

TEST_F(Statements, VersionCheckStopsOnlyOnThatPlatform) {
  startScenario("VERSION.CHECK:9.5\nFLAG8.PLUS:1\nKISYU:PS3LINUX\nVERSION.CHECK:8.0\n"
                "FLAG8.PLUS:1\nVERSION.CHECK:9.5\nFLAG8.PLUS:1\nKEYWAIT:\n");
  EXPECT_EQ((Ints{KisyuMode, gFlag8[0]}), (Ints{8, 2})) << "the refused version stopped the reader";
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

TEST(MessageLayout, LinesOfTheLaidOutText) {
  const std::string a12 = repeat(kA, 12);
  // 102 bytes that each gain a space grow to 153: only the first 96 are shown.
  const std::string longest = repeat("A" + kA, 34), shown = repeat("A " + kA, 6);
  const struct { std::string text; std::vector<std::string> lines; const char* what; } cases[] = {
      {repeat(kA, 13), {a12, kA, "", ""}, "13 characters wrap"},
      {a12 + kMaru, {a12 + kMaru, "", "", ""}, "a closing mark hangs (26 bytes)"},
      {repeat(kA, 36) + "\x81\x78", {a12, a12, a12 + "\x81\x78", ""}, "on the last line too"},
      {a12 + "\x81\x41", {a12, "\x81\x41", "", ""}, "only the four marks hang"},
      {a12 + kMaru + "B", {a12, kMaru + "B ", "", ""}, "only a two-byte last line is looked at"},
      {repeat("AB", 12), {repeat("AB", 12), "", "", ""}, "24 bytes fill a line"},
      {"", {"", "", "", ""}, "empty"},
      {"A" + kA, {"A " + kA, "", "", ""}, "a space puts the character on an even offset"},
      {"ABC", {"ABC ", "", "", ""}, "odd lengths are padded"},
      {"AB" + kA, {"AB" + kA, "", "", ""}, "already even"},
      {"A" + kA + "B" + kA, {"A " + kA + "B " + kA, "", "", ""}, "two insertions"},
      {"A\xF0\x40", {"A\xF0\x40 ", "", "", ""}, "0xF0 and above are not lead bytes"},
      {"A\x82", {"A \x82 ", "", "", ""}, "a lead byte without trail"},
      {"text\n", {"text", "", "", ""}, "the final line end is dropped"},
      {longest, {shown, shown, shown, shown}, "the longest statement text is cut after four lines"},
      {repeat("A" + kA, 400), {shown, shown, shown, shown}, "far longer than any statement"},
  };
  for (const auto& c : cases) EXPECT_EQ(layout(c.text), c.lines) << c.what;
}

TEST_F(Statements, MessageReplacesEveryLine) {
  std::strcpy(Msg4, "old");
  EXPECT_EQ(stmtMsg(("A" + kA).c_str()), 1);
  EXPECT_TRUE(std::string(Msg1) == "A " + kA && Msg4[0] == 0);
}

TEST_F(Statements, ChoiceListFillsRowByRow) {
  std::strcpy(Msg2, "question");
  std::strcpy(SelectMsg6, "stale");
  SelectGoto[5] = 9;
  EXPECT_TRUE(stmtSelectMode("1") == 0 && SelectMode == 1 && SelectNow == -1);
  EXPECT_EQ(Msg2[0] + SelectMsg6[0] + SelectGoto[5], 0) << "message, rows and targets cleared";

  stmtSelectMsg("first");
  stmtSelectGoto("0");
  stmtSelectGoto("10");
  stmtSelectMsg(repeat(kA, 14).c_str());
  stmtSelectGoto("20");
  stmtSelectMsg((repeat(kA, 12) + "A" + kA).c_str());
  EXPECT_EQ(std::string(SelectMsg1) + "|" + SelectMsg2 + "|" + SelectMsg3,
            "first|" + repeat(kA, 13) + "|" + repeat(kA, 12) + "A\x82") << "cut at 26 bytes, even inside a character";
  EXPECT_TRUE(SelectGoto[0] == 10 && SelectGoto[1] == 20) << "a zero target fills nothing";
  for (int k = 0; k < 4; k++) stmtSelectMsg("more"), stmtSelectGoto("5");
  EXPECT_TRUE(std::string(SelectMsg6) == "more" && SelectGoto[5] == 5);
  EXPECT_STREQ(SelectMsg1, "first") << "a seventh changes nothing";

  EXPECT_TRUE(stmtSelectMode("2") == 0 && SelectMode == 0 && SelectMsg1[0] == 0) << "other modes clear rows";
}

TEST_F(Statements, EachKeywordFillsItsSlotWithItsTypeCharactersTheChosenSlot) {
  const struct { const char* keyword; int32_t* number; int32_t* type; int32_t wantType; } cases[] = {
      {"HAIKEI", &HaikeiCG, &HaikeiCGtype, 0},     {"HAIKEI1", &HaikeiCG, &HaikeiCGtype, 0},
      {"HAIKEIBMP", &HaikeiCG, &HaikeiCGtype, 1},  {"HAIKEIJPG", &HaikeiCG, &HaikeiCGtype, 2},
      {"HAIKEIPNG", &HaikeiCG, &HaikeiCGtype, 3},  {"KOUKEIBMP", &KoukeiCG, &KoukeiCGtype, 1},
      {"KOUKEIPNG", &KoukeiCG, &KoukeiCGtype, 3},  {"ZENKEIBMP", &ZenkeiCG, &ZenkeiCGtype, 1},
      {"ZENKEIPNG", &ZenkeiCG, &ZenkeiCGtype, 3},  {"CHARA", &CharaCG[0], &CharaCGtype[0], 0},
      {"CHARA1", &CharaCG[0], &CharaCGtype[0], 0}, {"CHARABMP", &CharaCG[0], &CharaCGtype[0], 1},
      {"CHARAPNG", &CharaCG[0], &CharaCGtype[0], 3},
  };
  for (const auto& c : cases) {
    engineStateClear();
    *c.type = 77;
    EXPECT_EQ(run(std::string(c.keyword) + ": 42xyz\r\n"), 0) << c.keyword;
    EXPECT_TRUE(*c.number == 42 && *c.type == c.wantType && cgChange == 1) << c.keyword;
  }
  engineStateClear();  // the character statements fill the slot the position chose
  for (const char* line : {"CHARA.ICHI:1", "CHARAPNG:12", "CHARA.ICHI:3", "CHARA.ICHI:-1"}) run(line);
  EXPECT_TRUE(CharaCG[1] == 12 && CharaCGtype[1] == 3 && CharaCG[0] == 0 && CharaIchi == 1) << "out of range: ignored";
}

TEST_F(Statements, LayersStackInOrderAndShowAtTheRedraw) {
  w = SystemSizeW = resizeX = 640, h = SystemSizeH = resizeY = 480;
  // Key black. Background red; overlay behind: green 100 wide; centre
  // character: blue 50 wide; front overlay: white 10 wide; all centred.
  auto bar = [](int inner, Rgb c) {
    return makeBmp(inner + 2, 480, 24, [=](int x, int) { return x < 1 || x > inner ? Rgb{0, 0, 0} : c; });
  };
  writeFile("1.jpg", makeBmp(640, 480, 24, [](int, int) { return Rgb{200, 0, 0}; }));
  writeFile("2.jpg", bar(100, {0, 200, 0}));
  writeFile("3.jpg", bar(50, {0, 0, 200}));
  writeFile("4.jpg", bar(10, {200, 200, 200}));
  for (const char* line : {"HAIKEIBMP:1", "KOUKEIBMP:2", "CHARABMP:3", "ZENKEIBMP:4"}) run(line);
  EXPECT_EQ(pixelAt(320, 100), (Rgb{0, 0, 0})) << "nothing shows before the redraw";
  run("CG.REDRAW:");
  const struct { int x; Rgb c; } row0[] = {{0, {200, 0, 0}},     {270, {0, 100, 0}},         {280, {0, 200, 0}},
                                           {295, {0, 0, 100}},   {300, {0, 0, 200}},         {315, {100, 100, 100}},
                                           {320, {200, 200, 200}}, {330, {0, 0, 200}}};
  for (const auto& p : row0) EXPECT_EQ(pixelAt(p.x, 0), p.c) << p.x;  // edges darkened
  EXPECT_EQ(pixelAt(639, 479), (Rgb{200, 0, 0}));
}

TEST_F(Statements, RunLengthBackgroundAndCharacterWithSkippedSurroundings) {
  w = SystemSizeW = resizeX = 640, h = SystemSizeH = resizeY = 480;
  writeFile("5.jpg", greyRunLength(640 * 480));
  writeFile("6.jpg", Bytes{128, kRleSkip, 9, 255, 128});  // right half: 10 skipped, then white
  for (const char* line : {"HAIKEI:5", "CHARA.ICHI:2", "CHARA:6", "CG.REDRAW:"}) run(line);
  EXPECT_TRUE(pixelAt(329, 479) == (Rgb{100, 100, 100}) && pixelAt(330, 479) == (Rgb{255, 255, 255}) &&
              pixelAt(331, 479) == (Rgb{100, 100, 100}));
}
