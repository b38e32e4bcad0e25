#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "support/test_support.h"
#include "text/font_layout.h"
#include "text/range_coder.h"
#include "text/text.h"

namespace {

const uint8_t kGrey = 100;

// Sets the pixels [x0, x0 + w) x [y0, y0 + h) of a cell (y counted from the
// glyph's top; the cell stores its rows bottom-up).
void inkBlock(const GlyphCell& g, int x0, int y0, int w, int h) {
  uint8_t* cell = gfont + glyphOffset(g);
  for (int y = y0; y < y0 + h; y++) {
    uint8_t* row = cell + (kGlyphSide - 1 - y) * kGlyphRowBytes;
    for (int x = x0; x < x0 + w; x++) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
}

GlyphCell dbcs(uint8_t lead, uint8_t trail) {
  GlyphCell g{-1, -1};
  EXPECT_TRUE(doubleByteCell(lead, trail, g));
  return g;
}

GlyphCell sbcs(uint8_t b) {
  GlyphCell g{-1, -1};
  EXPECT_TRUE(singleByteCell(b, g));
  return g;
}

const uint8_t* px(int x, int y) { return framePixel(gUra, x, y); }

bool isColour(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t* p = px(x, y);
  return p[0] == r && p[1] == g && p[2] == b;
}

bool isGrey(int x, int y) { return isColour(x, y, kGrey, kGrey, kGrey); }

class GlyphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(gfont, 0, kFontBytes);
    std::memset(gUra, kGrey, kFrameBytes);
    SystemFontSize = 96;
  }
};

}  // namespace

TEST(GlyphMapping, CellsOfDoubleAndSingleByteCharacters) {
  EXPECT_EQ(dbcs(0x82, 0xA0).page, 1);
  EXPECT_EQ(dbcs(0x82, 0xA0).cell, 92);
  EXPECT_EQ(dbcs(0x88, 0x9F).page, 7);
  EXPECT_EQ(dbcs(0x88, 0x9F).cell, 93);
  EXPECT_EQ(dbcs(0xE0, 0x40).page, 31);
  EXPECT_EQ(dbcs(0xE0, 0x40).cell, 188);
  EXPECT_EQ(dbcs(0xFC, 0xFC).page, 59);
  EXPECT_EQ(dbcs(0xFC, 0xFC).cell, 0);
  EXPECT_EQ(sbcs('A').page, 60);
  EXPECT_EQ(sbcs('A').cell, 124);
  EXPECT_EQ(sbcs(' ').cell, 157);
  EXPECT_EQ(sbcs(0xB1).cell, 46);

  GlyphCell g;
  EXPECT_FALSE(doubleByteCell(0x82, 0x3F, g));  // trail bytes without a cell
  EXPECT_FALSE(doubleByteCell(0x82, 0xFD, g));
  EXPECT_FALSE(singleByteCell(0x7F, g));
  EXPECT_FALSE(singleByteCell(0x80, g));
  EXPECT_FALSE(singleByteCell(0xA0, g));
  // The last ASCII cell still lies inside the cut-short last page.
  EXPECT_LE(glyphOffset(sbcs(' ')) + kGlyphCellBytes, long(kFontBytes));
}

TEST_F(GlyphTest, InkRunsKeepTheirFirstPixelAndBlendThePixelAfter) {
  const GlyphCell a = sbcs('A');
  inkBlock(a, 10, 5, 1, 1);   // a run of one
  inkBlock(a, 20, 7, 3, 1);   // a run of three
  inkBlock(a, 90, 9, 6, 1);   // a run that ends at the last column: no blend after it
  TextOut2(200, 300, "A", 1, 0xFF2040, 0);

  EXPECT_TRUE(isGrey(210, 305));                      // its own pixel keeps the background
  EXPECT_TRUE(isColour(211, 305, 177, 66, 82));       // 50 + 127, 50 + 16, 50 + 32
  EXPECT_TRUE(isGrey(212, 305));
  EXPECT_TRUE(isGrey(220, 307));
  EXPECT_TRUE(isColour(221, 307, 0xFF, 0x20, 0x40));
  EXPECT_TRUE(isColour(222, 307, 0xFF, 0x20, 0x40));
  EXPECT_TRUE(isColour(223, 307, 177, 66, 82));
  EXPECT_TRUE(isColour(295, 309, 0xFF, 0x20, 0x40));
  EXPECT_TRUE(isGrey(296, 309));
  EXPECT_TRUE(isGrey(211, 304));
}

TEST_F(GlyphTest, GlyphScaledTo32PixelsCoversA32By32Area) {
  SystemFontSize = 32;
  const GlyphCell g = dbcs(0x88, 0x9F);
  inkBlock(g, 0, 0, 96, 96);
  TextOut2(400, 500, "\x88\x9F", 2, 0x0000FF, 0);
  for (int row = 0; row < 32; row++) {
    ASSERT_TRUE(isGrey(400, 500 + row)) << row;
    ASSERT_TRUE(isColour(401, 500 + row, 0, 0, 255)) << row;
    ASSERT_TRUE(isColour(431, 500 + row, 0, 0, 255)) << row;
    ASSERT_TRUE(isColour(432, 500 + row, 50, 50, 177)) << row;  // the blended edge
    ASSERT_TRUE(isGrey(433, 500 + row)) << row;
  }
  for (int x = 395; x < 440; x++) ASSERT_TRUE(isGrey(x, 532)) << x;
}

TEST(GlyphScaler, BilinearWithTruncatedSteps) {
  std::vector<uint8_t> src(96 * 288, 0), dst(96 * 288, 0xEE);
  for (int y = 0; y < 96; y++) {
    for (int x = 0; x < 96; x++) {
      src[size_t(y * 288 + x * 3)] = uint8_t(x);       // R grows by 1 a column
      src[size_t(y * 288 + x * 3 + 1)] = uint8_t(y * 2);
      src[size_t(y * 288 + x * 3 + 2)] = uint8_t((x + y) % 2 ? 255 : 0);
    }
  }
  rOPGresizeFont(dst.data(), 64, 64, src.data(), 96, 96);
  auto at = [&](int x, int y, int c) { return int(dst[size_t(y * 288 + x * 3 + c)]); };
  // Step 1.5: column 1 samples 1.5 between 1 and 2, truncated to 1.
  EXPECT_EQ(at(1, 0, 0), 1);
  EXPECT_EQ(at(3, 0, 0), 4);   // 4.5 -> 4
  EXPECT_EQ(at(2, 0, 0), 3);   // exactly column 3
  EXPECT_EQ(at(0, 1, 1), 3);   // row 1.5 between 2 and 4
  // A checkerboard averages: (0 + 255) / 2 per axis, truncated at each step.
  EXPECT_EQ(at(1, 1, 2), 127);
  // Only the 64 x 64 corner is written.
  EXPECT_EQ(dst[size_t(64 * 3)], 0xEE);
  EXPECT_EQ(dst[size_t(64 * 288)], 0xEE);
}

TEST_F(GlyphTest, TextOut2AdvancesPerBytePosition) {
  SystemFontSize = 96;  // adv = 50
  inkBlock(sbcs('A'), 0, 0, 4, 1);
  inkBlock(sbcs('B'), 0, 10, 4, 1);
  inkBlock(dbcs(0x82, 0xA0), 0, 20, 4, 1);
  const uint8_t c = 0;
  TextOut2(100, 100, "AB\x82\xA0", 4, 0, 0);
  EXPECT_TRUE(isColour(101, 100, c, c, c));
  EXPECT_TRUE(isColour(151, 110, c, c, c));
  EXPECT_TRUE(isColour(201, 120, c, c, c));
  EXPECT_TRUE(isGrey(151, 100));
  EXPECT_TRUE(isGrey(101, 120));

  // A single-byte character before a lead byte: the lead is taken up afresh.
  std::memset(gUra, kGrey, kFrameBytes);
  TextOut2(100, 100, "A\x82\xA0", 3, 0, 0);
  EXPECT_TRUE(isColour(101, 100, c, c, c));
  EXPECT_TRUE(isColour(151, 120, c, c, c));

  // A trail byte without a cell draws nothing but keeps its two positions.
  std::memset(gUra, kGrey, kFrameBytes);
  TextOut2(100, 100, "\x82\x20" "B", 3, 0, 0);
  EXPECT_TRUE(isColour(201, 110, c, c, c));
  EXPECT_TRUE(isGrey(151, 110));
  EXPECT_TRUE(isGrey(101, 110));
}

TEST_F(GlyphTest, GlyphsAreClippedAtTheFrameEdges) {
  const GlyphCell g = dbcs(0x82, 0xA0);
  inkBlock(g, 0, 0, 96, 96);
  const int spots[][2] = {{1900, 500}, {-50, 500}, {500, 1050}, {500, -60}, {-95, -95}, {1919, 1079}};
  for (const auto& s : spots) TextOut2(s[0], s[1], "\x82\xA0", 2, 0xFFFFFF, 0);
  EXPECT_TRUE(isColour(1919, 520, 255, 255, 255));
  EXPECT_TRUE(isColour(0, 520, 255, 255, 255));   // the run began off-frame: no first-pixel gap
  EXPECT_TRUE(isColour(520, 1079, 255, 255, 255));
  EXPECT_TRUE(isColour(520, 0, 255, 255, 255));
  EXPECT_TRUE(isGrey(1919, 1079));  // the first pixel of its run
  // Far outside, and pages or cells that do not exist: nothing, no fault.
  fontview3(60, 188 * kGlyphCellBytes, 10, 10, 0, 0);
  fontview3(61, 0, 10, 10, 0, 0);
  fontview3(-1, 0, 10, 10, 0, 0);
  TextOut2(100000, -100000, "\x82\xA0", 2, 0, 0);
  EXPECT_TRUE(isGrey(11, 11));
}

// ---- Loading ----------------------------------------------------------------

class FontReadTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    std::memset(gfont, 0x5A, kFontBytes);
  }
  // A font image with a recognisable byte at each position.
  static std::vector<uint8_t> image(size_t n, uint8_t salt) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; i++) v[i] = uint8_t((i % 7 == 0) ? salt : 0);
    v[0] = 'B', v[1] = 'M';
    return v;
  }
  static std::vector<uint8_t> encoded(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> s(mem_encode_bound(data.size()));
    s.resize(size_t(mem_encode(s.data(), data.data(), int(data.size()))));
    return s;
  }
  static bool fontUnchanged() {
    for (size_t i = 0; i < size_t(kFontBytes); i++) {
      if (gfont[i] != 0x5A) return false;
    }
    return true;
  }
};

TEST_F(FontReadTest, RawAndRangeCodedFilesLoadWhatTheyHold) {
  const std::vector<uint8_t> img = image(kFontBytes, 0x81);
  writeFile("pelorune96.dat", img);
  fontread();
  EXPECT_EQ(std::memcmp(gfont, img.data(), kFontBytes), 0);

  MsgFont = 4;
  const std::vector<uint8_t> other = image(kFontBytes, 0x3C);
  writeFile("vexa96.dat", encoded(other));
  fontread();
  EXPECT_EQ(std::memcmp(gfont, other.data(), kFontBytes), 0);

  // Short files replace only what they hold.
  MsgFont = 0;
  std::memset(gfont, 0x5A, kFontBytes);
  writeFile("pelorune96.dat", image(1000, 0x11));
  fontread();
  EXPECT_EQ(gfont[7], 0x11);
  EXPECT_EQ(gfont[1000], 0x5A);

  std::vector<uint8_t> data(2000, 0x22);
  writeFile("pelorune96.dat", encoded(data));  // counts 255 for 0x22: no "BM"
  fontread();
  EXPECT_EQ(gfont[7], 0x22);
  EXPECT_EQ(gfont[1999], 0x22);
  EXPECT_EQ(gfont[2000], 0x5A);
}

TEST_F(FontReadTest, MissingFileIsSilentAndSetsMyAppDir) {
  std::strcpy(pg_workdir, "nowhere/");
  std::strcpy(MyAppDir, "stale");
  testing::internal::CaptureStdout();
  fontread();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_STREQ(MyAppDir, "nowhere/");
  EXPECT_TRUE(fontUnchanged());
}

TEST_F(FontReadTest, RefusedStreamsPrintOneLineAndKeepTheFont) {
  std::vector<uint8_t> tooManyCounts(300, 0);
  for (int s = 2; s < 20; s++) tooManyCounts[size_t(s)] = 255;
  std::vector<uint8_t> truncated = encoded(image(200000, 0x77));
  truncated.resize(truncated.size() / 2);
  std::vector<uint8_t> tooLong(size_t(kMaxFileRead) + 1, 0);
  tooLong[0] = 1;
  // Decodes to more than the font image holds: 14 MB of zeros.
  std::vector<uint8_t> zeros(size_t(kFontBytes) + 1000000, 0);
  std::vector<uint8_t> oversized = encoded(zeros);

  for (const auto* file : {&tooManyCounts, &truncated, &tooLong, &oversized}) {
    writeFile("pelorune96.dat", *file);
    testing::internal::CaptureStdout();
    fontread();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("pelorune96.dat"), std::string::npos) << out;
    EXPECT_TRUE(fontUnchanged());
  }
}

TEST_F(FontReadTest, StreamWhoseCountsSpellBMIsReadRaw) {
  std::vector<uint8_t> stream(300, 0);
  stream[0] = 'B', stream[1] = 'M';
  writeFile("pelorune96.dat", stream);
  fontread();
  EXPECT_EQ(std::memcmp(gfont, stream.data(), stream.size()), 0);
  EXPECT_EQ(gfont[300], 0x5A);
}

TEST_F(FontReadTest, KanaReplacementOverwritesPagesOneAndTwo) {
  MsgFont = 12;
  const std::vector<uint8_t> img = image(kFontBytes, 0x81);
  writeFile("fub0496.dat", img);
  fontread();  // no kana file: the main file's kana stay
  EXPECT_EQ(std::memcmp(gfont, img.data(), kFontBytes), 0);

  writeFile("fuba0496.dat", std::vector<uint8_t>(size_t(kKanaFileBytes), 0xC3));
  fontread();
  EXPECT_EQ(gfont[kKanaPagesOffset - 1], img[size_t(kKanaPagesOffset - 1)]);
  EXPECT_EQ(gfont[kKanaPagesOffset], 0xC3);
  EXPECT_EQ(gfont[kKanaPagesOffset + kKanaFileBytes - 1], 0xC3);
  EXPECT_EQ(gfont[kKanaPagesOffset + kKanaFileBytes], img[size_t(kKanaPagesOffset + kKanaFileBytes)]);

  // A short kana file brings only its own bytes.
  writeFile("fuba0496.dat", std::vector<uint8_t>(100, 0xD4));
  fontread();
  EXPECT_EQ(gfont[kKanaPagesOffset + 99], 0xD4);
  EXPECT_EQ(gfont[kKanaPagesOffset + 100], img[size_t(kKanaPagesOffset + 100)]);
}

// ---- The demo font built by tavino-tool -----------------------------------

TEST_F(FontReadTest, BuiltDemoFontHasPagesCellsAndGlyphs) {
  if (!fileExists(TAVINO_FONT)) GTEST_SKIP() << "no demo font at " << TAVINO_FONT;
  const std::string stream = readFile(TAVINO_FONT);
  ASSERT_NE(stream.substr(0, 2), "BM") << "the demo font should be range-coded";
  writeFile("pelorune96.dat", stream);
  testing::internal::CaptureStdout();
  fontread();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  for (int p = 0; p < kGlyphPages; p++) {
    const uint8_t* h = gfont + long(p) * kGlyphPageBytes;
    ASSERT_EQ(h[0], 'B');
    ASSERT_EQ(h[1], 'M');
    ASSERT_EQ(h[10], kGlyphPageHeader);                       // bits start after the palette
    ASSERT_EQ(h[18] | h[19] << 8, 96);                        // width
    ASSERT_EQ(h[22] | h[23] << 8 | h[24] << 16, 18144);       // height, bottom-up
    ASSERT_EQ(h[28], 1);                                      // one bit a pixel
  }
  auto inkCount = [](const GlyphCell& g) {
    int n = 0;
    const uint8_t* c = gfont + glyphOffset(g);
    for (int i = 0; i < kGlyphCellBytes; i++) n += __builtin_popcount(c[i]);
    return n;
  };
  EXPECT_GT(inkCount(dbcs(0x82, 0xA0)), 200);  // hiragana a
  EXPECT_GT(inkCount(dbcs(0x88, 0x9F)), 200);  // first level-1 kanji
  EXPECT_GT(inkCount(sbcs('A')), 100);
  EXPECT_GT(inkCount(sbcs(0xB1)), 50);         // half-width katakana a
  EXPECT_EQ(inkCount(sbcs(' ')), 0);
  EXPECT_EQ(inkCount(dbcs(0x85, 0x40)), 0);    // unassigned row
  // Single-byte glyphs stay in the left half of their cell: they advance half as far.
  const uint8_t* a = gfont + glyphOffset(sbcs('A'));
  for (int r = 0; r < kGlyphSide; r++) {
    for (int b = 6; b < kGlyphRowBytes; b++) ASSERT_EQ(a[r * kGlyphRowBytes + b], 0);
  }
}

TEST_F(FontReadTest, RcToolRoundTripsTheDemoFont) {
  if (!fileExists(TAVINO_FONT)) GTEST_SKIP() << "no demo font at " << TAVINO_FONT;
  const std::string tool = TAVINO_TOOL;
  ASSERT_EQ(runCommand(tool + " rc decode '" + TAVINO_FONT + "' raw.dat").status, 0);
  EXPECT_EQ(readFile("raw.dat").size(), size_t(kFontBytes));
  ASSERT_EQ(runCommand(tool + " rc encode raw.dat again.dat").status, 0);
  EXPECT_TRUE(readFile("again.dat") == readFile(TAVINO_FONT));

  writeFile("junk.dat", std::string(300, '\x40'));
  EXPECT_EQ(runCommand(tool + " rc decode junk.dat out.dat 2>&1").status, 1);
  EXPECT_EQ(runCommand(tool + " rc explode a b 2>&1").status, 2);
}
