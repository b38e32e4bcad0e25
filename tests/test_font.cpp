// The font image: which cell draws each character, how glyphs are inked
// and scaled, and how the font files are read; the range-coded
// stream format byte for byte and its refusals. Round trips and the
// reciprocal division are compared on random input in fuzz/fuzz_range_coder.cpp.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "support/text_support.h"
#include "text/font_layout.h"
#include "text/range_coder.h"
#include "text/text.h"

namespace {

constexpr uint32_t kBg = 0x646464;

GlyphCell cellOf(const std::string& c) {
  GlyphCell g{-1, -1};
  const auto* b = reinterpret_cast<const uint8_t*>(c.data());
  EXPECT_TRUE(c.size() == 2 ? doubleByteCell(b[0], b[1], g) : singleByteCell(b[0], g)) << c;
  return g;
}

// Inks [x0, x0 + w) x [y0, y0 + h) of a cell, y from the glyph's top (cells store rows bottom-up).
void inkBlock(const std::string& c, int x0, int y0, int w, int h) {
  uint8_t* cell = gfont + glyphOffset(cellOf(c));
  for (int y = y0; y < y0 + h; y++)
    for (int x = x0; x < x0 + w; x++) cell[(95 - y) * kGlyphRowBytes + x / 8] |= uint8_t(0x80 >> x % 8);
}

bool is(int x, int y, uint32_t rgb) {
  const uint8_t* p = framePixel(gUra, x, y);
  return (uint32_t(p[0]) << 16 | p[1] << 8 | p[2]) == rgb;
}

class GlyphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(gfont, 0, kFontBytes);
    std::memset(gUra, 0x64, kFrameBytes);
    SystemFontSize = 96;
  }
};

// A "BM" image with `salt` every 7 bytes.
std::vector<uint8_t> image(size_t n, uint8_t salt) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; i += 7) v[i] = salt;
  v[0] = 'B', v[1] = 'M';
  return v;
}

class FontReadTest : public PlayerDirTest {};

RcDecodeResult decode(const std::vector<uint8_t>& stream, std::vector<uint8_t>& out, size_t capacity) {
  out.assign(capacity + 1, 0xEE);  // one guard byte past the capacity
  return mem_decode(out.data(), capacity, stream.data(), stream.size());
}

// A stream: the 256 counts (the given ones, the rest 0), then the code bytes.
std::vector<uint8_t> stream(std::initializer_list<std::pair<int, uint8_t>> counts,
                            std::initializer_list<uint8_t> code) {
  std::vector<uint8_t> s(256, 0);
  for (auto [sym, c] : counts) s[size_t(sym)] = c;
  s.insert(s.end(), code);
  return s;
}

}  // namespace

TEST(GlyphMapping, CellsOfDoubleAndSingleByteCharacters) {
  const struct { const char* c; int page, cell; } cases[] = {
      {"\x82\xA0", 1, 92}, {"\x88\x9F", 7, 93}, {"\xE0\x40", 31, 188}, {"\xFC\xFC", 59, 0},
      {"A", 60, 124},      {" ", 60, 157},      {"\xB1", 60, 46}};
  for (const auto& c : cases) EXPECT_TRUE(cellOf(c.c).page == c.page && cellOf(c.c).cell == c.cell) << c.c;
  GlyphCell g;
  EXPECT_FALSE(doubleByteCell(0x82, 0x3F, g) || doubleByteCell(0x82, 0xFD, g)) << "trail bytes without a cell";
  for (uint8_t b : {0x7F, 0x80, 0xA0}) EXPECT_FALSE(singleByteCell(b, g)) << int(b);
}

// Each run of ink skips its first pixel and blends the pixel after it half
// and half, except at the cell's last column; characters advance by byte.
TEST_F(GlyphTest, InkRunsAndAdvances) {
  inkBlock("A", 10, 5, 1, 1);  // a run of one
  inkBlock("A", 20, 7, 3, 1);  // a run of three
  inkBlock("A", 90, 9, 6, 1);  // a run that ends at the last column
  inkBlock("B", 0, 10, 4, 1);
  inkBlock("\x82\xA0", 0, 20, 4, 1);
  TextOut2(200, 300, "AB\x82\xA0", 4, 0xFF2040, 0);  // advance 50 at size 96
  TextOut2(200, 400, "\x82\x20" "B", 3, 0xFF2040, 0);  // no cell: two places
  const uint32_t ink = 0xFF2040, half = 0xB14252;  // 50 + 127, 50 + 16, 50 + 32
  const struct { int x, y; uint32_t rgb; } px[] = {
      {210, 305, kBg}, {211, 305, half}, {212, 305, kBg},  {211, 304, kBg},  {220, 307, kBg}, {221, 307, ink},
      {222, 307, ink}, {223, 307, half}, {295, 309, ink},  {296, 309, kBg},  {251, 310, ink}, {301, 320, ink},
      {301, 410, ink}, {251, 410, kBg}};
  for (const auto& p : px) EXPECT_TRUE(is(p.x, p.y, p.rgb)) << p.x << "," << p.y;
}

TEST(GlyphScaler, BilinearWithTruncatedSteps) {
  std::vector<uint8_t> src(96 * 288), dst(96 * 288, 0xEE);
  for (size_t i = 0; i < src.size(); i += 3)  // R ramps by column, G by row, B a checkerboard
    src[i] = uint8_t(i % 288 / 3), src[i + 1] = uint8_t(i / 288 * 2), src[i + 2] = (i / 3 + i / 288) % 2 * 255;
  rOPGresizeFont(dst.data(), 64, 64, src.data(), 96, 96);
  // Step 1.5: columns 1, 2, 3 sample 1.5, 3 and 4.5; row 1 samples 1.5 between 2 and 4; truncated at each step.
  const std::vector<int> samples{dst[3], dst[6], dst[9], dst[288 + 1], dst[288 + 3 + 2]};
  EXPECT_EQ(samples, (std::vector<int>{1, 3, 4, 3, 127}));
  EXPECT_TRUE(dst[64 * 3] == 0xEE && dst[64 * 288] == 0xEE) << "only the 64 x 64 corner is written";
}

TEST_F(GlyphTest, GlyphsAreScaledAndPagesOutsideTheFontDrawNothing) {
  inkBlock("\x82\xA0", 0, 0, 96, 96);
  for (int page : {60, 61, -1}) fontview3(page, page == 60 ? 188 * kGlyphCellBytes : 0, 10, 10, 0, 0);
  EXPECT_TRUE(is(11, 11, kBg));
  SystemFontSize = 32;  // 32 x 32, the first pixel skipped, the blended edge after it
  TextOut2(400, 500, "\x82\xA0", 2, 0x0000FF, 0);
  for (int y = 500; y < 532; y++)
    ASSERT_TRUE(is(400, y, kBg) && is(401, y, 0xFF) && is(431, y, 0xFF) && is(432, y, 0x3232B1) && is(433, y, kBg));
  EXPECT_TRUE(is(420, 532, kBg));
}

TEST_F(FontReadTest, RawAndRangeCodedFilesLoadWhatTheyHold) {
  const std::vector<uint8_t> full = image(kFontBytes, 0x81), part = image(1000, 0x33), run(2000, 0x33),
                             bm = image(300, 0x33);
  // The file each font choice reads, and the image it must leave: short files replace only
  // what they hold, and a stream whose counts spell "BM" is read raw.
  const struct { int msgFont; std::vector<uint8_t> file; const std::vector<uint8_t>& image; } cases[] = {
      {0, full, full}, {4, rcEncode(full), full}, {0, part, part}, {0, rcEncode(run), run}, {0, bm, bm}};
  for (const auto& c : cases) {
    std::memset(gfont, 0x5A, kFontBytes);
    MsgFont = c.msgFont;
    writeFile(fontFileName(c.msgFont), c.file);
    fontread();
    EXPECT_EQ(std::memcmp(gfont, c.image.data(), c.image.size()), 0) << c.image.size();
    EXPECT_TRUE(c.image.size() == size_t(kFontBytes) || gfont[c.image.size()] == 0x5A) << c.image.size();
  }
  MsgFont = 12;  // a kana file, even a short one, replaces pages one and two with its own bytes
  writeFile("fub0496.dat", full);
  writeFile("fuba0496.dat", std::vector<uint8_t>(100, 0xC3));
  fontread();
  const uint8_t* kana = gfont + kKanaPagesOffset;
  EXPECT_TRUE(kana[0] == 0xC3 && kana[99] == 0xC3 && kana[-1] == full[kKanaPagesOffset - 1] &&
              std::equal(kana + 100, kana + 200, full.begin() + kKanaPagesOffset + 100));
}

TEST_F(FontReadTest, MissingOrRefusedFilesKeepTheFont) {
  // Every refused stream takes one path; this one decodes to 1 MB more than the font image holds.
  std::vector<uint8_t> tooLong(size_t(kMaxFileRead) + 1, 1);
  std::vector<uint8_t> oversized = rcEncode(std::vector<uint8_t>(size_t(kFontBytes) + 1000000, 0));
  std::strcpy(pg_workdir, "fonts/");
  std::strcpy(MyAppDir, "stale");
  ASSERT_EQ(mkdir("fonts", 0700), 0);
  std::memset(gfont, 0x5A, kFontBytes);
  for (const auto* file : {(std::vector<uint8_t>*)nullptr, &tooLong, &oversized}) {
    if (file) writeFile("fonts/pelorune96.dat", *file);
    fontread();
    EXPECT_STREQ(MyAppDir, "fonts/");
    EXPECT_EQ(std::count(gfont, gfont + kFontBytes, 0x5A), kFontBytes) << "the font is kept";
  }
}

TEST(RangeCoder, KnownStreamsByteForByte) {
  const struct Case { std::vector<uint8_t> input, stream; } cases[] = {
      {{0x61, 0x62, 0x63}, stream({{0x61, 1}, {0x62, 1}, {0x63, 1}}, {0x1A, 0xFF, 0xFF, 0xFA})},
      {{0x61, 0x61, 0x61, 0x61}, stream({{0x61, 4}}, {0x53, 0xE2, 0xD6, 0x20})},
      {{}, stream({}, {0, 0, 0, 0})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rcEncode(c.input), c.stream);
    std::vector<uint8_t> out;
    const RcDecodeResult r = decode(c.stream, out, 16);
    ASSERT_TRUE(r.status == RcStatus::ok && r.written == c.input.size());
    EXPECT_TRUE(std::equal(c.input.begin(), c.input.end(), out.begin()) && out[r.written] == 0xEE)
        << "the data, and nothing written past it";
  }
}

TEST(RangeCoder, RefusesOversizedTotalsCorruptCodesOverflowingOutputAndTruncatedStreams) {
  // 15 symbols of count 255 plus 174 plus the end symbol: 3999 + 1 = 4000 fits.
  std::vector<uint8_t> fits(256, 0), out;
  for (int s = 0; s < 15; s++) fits[size_t(s)] = 255;
  fits[15] = 174;
  fits.insert(fits.end(), {0, 0, 0, 0});
  EXPECT_NE(decode(fits, out, 64).status, RcStatus::totalTooLarge);
  fits[15] = 175;  // total 4001
  const RcDecodeResult over = decode(fits, out, 64);
  EXPECT_TRUE(over.status == RcStatus::totalTooLarge && over.written == 0u);
  // One symbol of count 1 and a code value far above the total.
  EXPECT_EQ(decode(stream({{0x41, 1}}, {0xFF, 0xFF, 0xFF, 0xFF}), out, 16).status, RcStatus::corrupt);

  std::vector<uint8_t> in(5000);
  for (size_t i = 0; i < in.size(); i++) in[i] = uint8_t(i * 7 % 13);
  const RcDecodeResult r = decode(rcEncode(in), out, 100);
  EXPECT_TRUE(r.status == RcStatus::outputFull && r.written == 100u && out[100] == 0xEE);
  EXPECT_TRUE(std::equal(in.begin(), in.begin() + 100, out.begin())) << "what fits is kept";
  const std::vector<uint8_t> s = rcEncode(in);
  for (size_t cut : {size_t(0), size_t(255), size_t(259), s.size() / 2, s.size() - 5}) {
    const RcDecodeResult r = decode(std::vector<uint8_t>(s.begin(), s.begin() + long(cut)), out, in.size());
    EXPECT_EQ(r.status, RcStatus::streamTooShort) << "cut at " << cut;
  }
}
