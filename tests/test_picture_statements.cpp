// Message, choice-list and picture statements: the lines they lay out, the
// slots and flags they set, and what the scene shows after a redraw.
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "scenario/scenario.h"
#include "scenario/statements.h"
#include "support/image_support.h"

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

class PictureStatements : public PlayerDirTest {};
class MessageStatementTest : public PlayerDirTest {};

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

TEST_F(MessageStatementTest, MessageReplacesEveryLine) {
  std::strcpy(Msg4, "old");
  EXPECT_EQ(stmtMsg(("A" + kA).c_str()), 1);
  EXPECT_TRUE(std::string(Msg1) == "A " + kA && Msg4[0] == 0);
}

TEST_F(MessageStatementTest, ChoiceListFillsRowByRow) {
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

TEST_F(PictureStatements, EachKeywordFillsItsSlotWithItsTypeCharactersTheChosenSlot) {
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

class Stage : public PictureStatements {
 protected:
  void SetUp() override {
    PictureStatements::SetUp();
    w = 640, h = 480, resizeX = 640, resizeY = 480, SystemFontSize = 24;
    SystemSizeW = 640, SystemSizeH = 480;
  }
};

TEST_F(Stage, LayersStackInOrderAndShowAtTheRedraw) {
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

TEST_F(Stage, RunLengthBackgroundAndCharacterWithSkippedSurroundings) {
  writeFile("5.jpg", greyRunLength(640 * 480));
  writeFile("6.jpg", Bytes{128, kRleSkip, 9, 255, 128});  // right half: 10 skipped, then white
  for (const char* line : {"HAIKEI:5", "CHARA.ICHI:2", "CHARA:6", "CG.REDRAW:"}) run(line);
  EXPECT_TRUE(pixelAt(329, 479) == (Rgb{100, 100, 100}) && pixelAt(330, 479) == (Rgb{255, 255, 255}) &&
              pixelAt(331, 479) == (Rgb{100, 100, 100}));
}

}  // namespace
