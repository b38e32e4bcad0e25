#include <cstring>
#include <string>

#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "scenario/statements.h"
#include "support/test_support.h"

namespace {

const std::string kA = "\x82\xA0";       // hiragana a
const std::string kMaru = "\x81\x42";    // ideographic full stop
const std::string kKagi = "\x81\x76";    // closing corner bracket

std::string repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; i++) r += s;
  return r;
}

struct Layout {
  char lines[kMessageLines][kLineBytes];
  explicit Layout(const std::string& text) { layoutMessage(text.c_str(), lines); }
  std::string line(int k) const { return std::string(lines[k], strnlen(lines[k], kLineBytes)); }
  bool tailIsZero(int k) const {
    const size_t n = strnlen(lines[k], kLineBytes);
    for (size_t i = n; i < size_t(kLineBytes); i++) {
      if (lines[k][i] != 0) return false;
    }
    return true;
  }
};

}  // namespace

TEST(MessageLayout, ThirteenCharactersWrapOrHangTheirClosingMark) {
  Layout plain(repeat(kA, 13));
  EXPECT_EQ(plain.line(0), repeat(kA, 12));
  EXPECT_EQ(plain.line(1), kA);
  EXPECT_EQ(plain.line(2), "");

  Layout hung(repeat(kA, 12) + kMaru);
  EXPECT_EQ(hung.line(0), repeat(kA, 12) + kMaru);
  EXPECT_EQ(hung.line(1), "");
  EXPECT_TRUE(hung.tailIsZero(1));

  // On the last line too, and only for the four marks.
  Layout fourth(repeat(kA, 36) + "\x81\x78");
  EXPECT_EQ(fourth.line(2), repeat(kA, 12) + "\x81\x78");
  EXPECT_EQ(fourth.line(3), "");
  Layout notAMark(repeat(kA, 12) + "\x81\x41");
  EXPECT_EQ(notAMark.line(1), "\x81\x41");
  // Only the last non-empty line of exactly two bytes is looked at.
  Layout longer(repeat(kA, 12) + kMaru + "B");
  EXPECT_EQ(longer.line(0), repeat(kA, 12));
  EXPECT_EQ(longer.line(1), kMaru + "B ");
}

TEST(MessageLayout, DoubleByteCharactersStartOnEvenOffsets) {
  EXPECT_EQ(Layout("A" + kA).line(0), "A " + kA);
  EXPECT_EQ(Layout("ABC").line(0), "ABC ");
  EXPECT_EQ(Layout("AB" + kA).line(0), "AB" + kA);
  EXPECT_EQ(Layout("A" + kA + "B" + kA).line(0), "A " + kA + "B " + kA);
  // 0xF0 and above are not lead bytes in message text.
  EXPECT_EQ(Layout("A\xF0\x40").line(0), "A\xF0\x40 ");
  // A lead byte with no trail byte: nothing to align, padded to even length.
  EXPECT_EQ(Layout("A\x82").line(0), "A \x82 ");
  EXPECT_EQ(Layout("text\n").line(0), "text");
}

TEST(MessageLayout, LineLengthsAndEmptyText) {
  Layout exact(repeat("AB", 12));
  EXPECT_EQ(exact.line(0).size(), 24u);
  EXPECT_EQ(exact.line(1), "");

  Layout closing(repeat(kA, 12) + kKagi);
  EXPECT_EQ(closing.line(0).size(), 26u);
  EXPECT_EQ(closing.line(1), "");

  Layout empty("");
  for (int k = 0; k < kMessageLines; k++) {
    EXPECT_EQ(empty.line(k), "");
    EXPECT_TRUE(empty.tailIsZero(k));
  }
}

TEST(MessageLayout, LongestStatementTextIsCutAfterFourLines) {
  // 102 bytes that each gain a space: the layout grows to 153 bytes and only
  // the first 96 are shown.
  std::string text;
  while (text.size() < 102) text += "A" + kA;
  text.resize(102);
  Layout l(text);
  for (int k = 0; k < kMessageLines; k++) {
    EXPECT_EQ(l.line(k), repeat("A " + kA, 6)) << k;
    EXPECT_TRUE(l.tailIsZero(k));
  }
  // Far longer input than any statement carries.
  Layout huge(repeat("A" + kA, 400));
  EXPECT_EQ(huge.line(3), repeat("A " + kA, 6));
}

class MessageStatementTest : public PlayerDirTest {};

TEST_F(MessageStatementTest, MsgFillsTheLinesAndStopsUnlessNoWait) {
  gSaveFlag = 1;
  std::strcpy(Msg4, "old");
  EXPECT_EQ(stmtMsg(("A" + kA).c_str()), 1);
  EXPECT_EQ(std::string(Msg1), "A " + kA);
  EXPECT_EQ(Msg4[0], 0);
  EXPECT_EQ(gSaveFlag, 0);
  NoWait = 1;
  EXPECT_EQ(stmtMsg(""), 0);
  EXPECT_EQ(Msg1[0], 0);
}

TEST_F(MessageStatementTest, ColourAndFont) {
  EXPECT_EQ(stmtMsgColor("16711680"), 0);
  EXPECT_EQ(MsgColor, 0xFF0000);
  std::strcpy(pg_workdir, "fonts/");
  EXPECT_EQ(stmtMsgFont(" 12x"), 0);
  EXPECT_EQ(MsgFont, 12);
  EXPECT_STREQ(MyAppDir, "fonts/");  // fontread ran
}

TEST_F(MessageStatementTest, ChoiceListFillsRowByRow) {
  std::strcpy(Msg2, "question");
  std::strcpy(SelectMsg6, "stale");
  SelectGoto[5] = 9;
  EXPECT_EQ(stmtSelectMode("1"), 0);
  EXPECT_EQ(SelectMode, 1);
  EXPECT_EQ(SelectNow, -1);
  EXPECT_EQ(Msg2[0], 0);
  EXPECT_EQ(SelectMsg6[0], 0);
  EXPECT_EQ(SelectGoto[5], 0);

  stmtSelectMsg("first");
  stmtSelectGoto("0");  // fills nothing
  stmtSelectGoto("10");
  stmtSelectMsg(repeat(kA, 14).c_str());
  stmtSelectGoto("20");
  EXPECT_STREQ(SelectMsg1, "first");
  EXPECT_EQ(std::string(SelectMsg2), repeat(kA, 13));  // cut at 26 bytes
  EXPECT_EQ(SelectGoto[0], 10);
  EXPECT_EQ(SelectGoto[1], 20);

  stmtSelectMsg((repeat(kA, 12) + "A" + kA).c_str());  // cut inside a character
  EXPECT_EQ(std::string(SelectMsg3), repeat(kA, 12) + "A\x82");
  for (int k = 0; k < 4; k++) stmtSelectMsg("more"), stmtSelectGoto("5");
  EXPECT_STREQ(SelectMsg6, "more");
  EXPECT_EQ(SelectGoto[5], 5);
  EXPECT_STREQ(SelectMsg1, "first");  // a seventh changes nothing

  EXPECT_EQ(stmtSelectMode("2"), 0);
  EXPECT_EQ(SelectMode, 0);
  EXPECT_EQ(SelectMsg1[0], 0);
}
