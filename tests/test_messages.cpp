#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "scenario/statements.h"
#include "support/test_support.h"

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

class MessageStatementTest : public PlayerDirTest {};

}  // namespace

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
