#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image/loaders.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

using PixelFn = std::function<Rgb(int x, int y)>;  // y counted from the top

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x) { v[at] = uint8_t(x), v[at + 1] = uint8_t(x >> 8); }
void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { put16(v, at, x), put16(v, at + 2, x >> 16); }

// A 40-byte-header BMP with its pixel array at byte 54. For 16 bits the
// function's colour is reduced to 5-5-5 by dropping the low three bits.
std::vector<uint8_t> makeBmp(int width, int height, int bits, const PixelFn& pixel, bool topDown = false,
                             uint8_t fourth = 0) {
  const size_t stride = bits == 32 ? size_t(width) * 4 : (size_t(width) * (bits / 8) + 3) & ~size_t(3);
  std::vector<uint8_t> v(54 + stride * height, 0xEE);  // padding bytes deliberately non-zero
  v[0] = 'B', v[1] = 'M';
  put32(v, 2, uint32_t(v.size()));
  put32(v, 10, 54);
  put32(v, 14, 40);
  put32(v, 18, uint32_t(width));
  put32(v, 22, uint32_t(topDown ? -height : height));
  put16(v, 26, 1);
  put16(v, 28, uint32_t(bits));
  put32(v, 30, 0);
  for (int s = 0; s < height; s++) {
    const int y = topDown ? s : height - 1 - s;
    for (int x = 0; x < width; x++) {
      const Rgb c = pixel(x, y);
      const size_t at = 54 + stride * s + size_t(x) * (bits / 8);
      if (bits == 16) {
        put16(v, at, uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | uint32_t(c.b >> 3));
      } else {
        v[at] = c.b, v[at + 1] = c.g, v[at + 2] = c.r;
        if (bits == 32) v[at + 3] = fourth;
      }
    }
  }
  return v;
}

Rgb pattern(int x, int y) { return {uint8_t(x * 7 + y), uint8_t(y * 5 + 1), uint8_t(x ^ y)}; }
Rgb at(int x, int y) {
  const uint8_t* p = framePixel(gHaikeiBits, x, y);
  return {p[0], p[1], p[2]};
}

constexpr uint8_t kFill = 0x5A;

class BmpTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    std::memset(gHaikeiBits, kFill, kFrameBytes);
    SystemSizeW = 640, SystemSizeH = 480;
  }
  void draw(const std::vector<uint8_t>& file, uint32_t layer, int number = 5) {
    writeFile(std::to_string(number) + ".jpg", file);
    rOPGbmp(gHaikeiBits, number, layer);
  }
  bool untouched(int x, int y) { return at(x, y) == Rgb{kFill, kFill, kFill}; }
};

TEST_F(BmpTest, BackgroundFillsItsRectangleWithTheLastStoredRowOnTop) {
  draw(makeBmp(640, 480, 24, pattern), 0);
  for (int y : {0, 1, 240, 479})
    for (int x : {0, 1, 333, 639}) ASSERT_EQ(at(x, y), pattern(x, y)) << x << "," << y;
  EXPECT_TRUE(untouched(640, 0));
  EXPECT_TRUE(untouched(0, 480));
}

TEST_F(BmpTest, RowPaddingForWidthsOneToFive) {
  for (int bits : {16, 24, 32}) {
    for (int width = 1; width <= 5; width++) {
      std::memset(gHaikeiBits, kFill, kFrameBytes);
      draw(makeBmp(width, 3, bits, pattern), 0);
      for (int y = 0; y < 3; y++) {
        for (int x = 0; x < width; x++) {
          Rgb want = pattern(x, y);
          if (bits == 16) {
            want = {uint8_t(want.r & 0xF8), uint8_t(want.g & 0xF8), uint8_t(want.b & 0xF8)};
          }
          ASSERT_EQ(at(x, y), want) << bits << " bits, width " << width << " at " << x << "," << y;
        }
        EXPECT_TRUE(untouched(width, y));
      }
    }
  }
}

TEST_F(BmpTest, SixteenBitPixelsAreFiveFiveFiveTimesEight) {
  const uint16_t words[] = {0x7FFF, 0x8000, 0x7C00, 0x03E0, 0x001F, 0x0421, 0xFFFF};
  const Rgb want[] = {{248, 248, 248}, {0, 0, 0}, {248, 0, 0}, {0, 248, 0}, {0, 0, 248}, {8, 8, 8}, {248, 248, 248}};
  std::vector<uint8_t> file = makeBmp(7, 1, 16, pattern);
  for (int i = 0; i < 7; i++) put16(file, 54 + 2 * i, words[i]);
  draw(file, 0);
  for (int i = 0; i < 7; i++) EXPECT_EQ(at(i, 0), want[i]) << "word " << std::hex << words[i];
}

TEST_F(BmpTest, ThirtyTwoBitDrawsLikeTwentyFourWhateverTheFourthByte) {
  draw(makeBmp(33, 9, 24, pattern), 0);
  std::vector<uint8_t> first(gHaikeiBits, gHaikeiBits + kFrameBytes);
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  draw(makeBmp(33, 9, 32, pattern, false, 0x80), 0);
  EXPECT_EQ(0, std::memcmp(first.data(), gHaikeiBits, kFrameBytes));
}

TEST_F(BmpTest, TopDownDrawsLikeBottomUpIncludingTheKey) {
  // Bottom-left pixel is the key colour; it also appears inside the figure.
  auto figure = [](int x, int y) {
    if (y == 9 && x == 0) return Rgb{1, 2, 3};
    if ((x + y) % 4 == 0) return Rgb{1, 2, 3};
    return pattern(x, y);
  };
  for (uint32_t layer : {0u, 1u, 2u, 3u, 6u}) {
    for (int bits : {16, 24, 32}) {
      std::memset(gHaikeiBits, kFill, kFrameBytes);
      draw(makeBmp(21, 10, bits, figure), layer);
      std::vector<uint8_t> bottomUp(gHaikeiBits, gHaikeiBits + kFrameBytes);
      std::memset(gHaikeiBits, kFill, kFrameBytes);
      draw(makeBmp(21, 10, bits, figure, true), layer);
      ASSERT_EQ(0, std::memcmp(bottomUp.data(), gHaikeiBits, kFrameBytes)) << "layer " << layer << ", " << bits;
    }
  }
}

TEST_F(BmpTest, KeyColourMakesHolesAndDarkensTheFirstVisiblePixelOfEachRun) {
  const Rgb key{10, 20, 30}, ink{200, 100, 50}, half{100, 50, 25};
  // Row layout (top to bottom): row 0 "K K I I K I", row 1 "I I I I I I"
  // (follows a visible pixel at the end of row 0: no darkening), row 2 "K ...".
  auto figure = [&](int x, int y) {
    if (y == 0) return (x == 2 || x == 3 || x == 5) ? ink : key;
    if (y == 1) return ink;
    return x == 3 ? ink : key;
  };
  SystemSizeW = 6;
  draw(makeBmp(6, 3, 24, figure), 1);  // x0 = 0
  EXPECT_TRUE(untouched(0, 0));
  EXPECT_TRUE(untouched(1, 0));
  EXPECT_EQ(at(2, 0), half);
  EXPECT_EQ(at(3, 0), ink);
  EXPECT_TRUE(untouched(4, 0));
  EXPECT_EQ(at(5, 0), half);
  for (int x = 0; x < 6; x++) EXPECT_EQ(at(x, 1), ink) << "row end carries the edge flag";
  EXPECT_TRUE(untouched(0, 2));
  EXPECT_EQ(at(3, 2), half);
}

TEST_F(BmpTest, CharactersStopAtTheDesignHeightBackgroundsDoNot) {
  SystemSizeH = 480;
  auto rows = [](int, int y) { return Rgb{uint8_t(y), uint8_t(y >> 8), 200}; };
  draw(makeBmp(4, 600, 24, rows), 1);
  EXPECT_FALSE(untouched(319, 479));
  EXPECT_TRUE(untouched(319, 480));
  EXPECT_EQ(at(319, 0), rows(1, 0));  // its top 480 rows

  std::memset(gHaikeiBits, kFill, kFrameBytes);
  SystemSizeH = 100;
  draw(makeBmp(4, 600, 24, rows), 0);
  EXPECT_EQ(at(0, 599), rows(0, 599));
  EXPECT_TRUE(untouched(0, 600));
}

TEST_F(BmpTest, FailuresClearWhatTheyShould) {
  std::vector<uint8_t> notBmp = makeBmp(4, 4, 24, pattern);
  notBmp[1] = 'X';
  draw(notBmp, 4);  // cleared for every layer code
  EXPECT_EQ(at(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(at(1919, 1079), (Rgb{0, 0, 0}));

  // Another depth clears SystemSizeW x SystemSizeH x 3 bytes from the start,
  // counted as bytes, not rows.
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  std::vector<uint8_t> eightBit = makeBmp(4, 4, 24, pattern);
  eightBit[28] = 8;
  draw(eightBit, 1);
  const size_t cleared = 640 * 480 * 3;
  EXPECT_EQ(gHaikeiBits[cleared - 1], 0);
  EXPECT_EQ(gHaikeiBits[cleared], kFill);
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  draw(eightBit, 4);
  EXPECT_EQ(gHaikeiBits[0], kFill);

  // Codes that draw nothing; a missing file.
  for (uint32_t layer : {4u, 5u, 7u, 100u}) {
    draw(makeBmp(4, 4, 24, pattern), layer);
    EXPECT_EQ(gHaikeiBits[0], kFill) << layer;
  }
  rOPGbmp(gHaikeiBits, 999, 0);
  EXPECT_EQ(gHaikeiBits[0], kFill);
}

TEST_F(BmpTest, ShortFileDrawsOnlyTheRowsItHolds) {
  // 10 rows claimed, 4 complete rows and half a row present.
  for (bool topDown : {false, true}) {
    std::memset(gHaikeiBits, kFill, kFrameBytes);
    std::vector<uint8_t> file = makeBmp(8, 10, 24, pattern, topDown);
    file.resize(54 + 24 * 4 + 12);
    draw(file, 0);
    for (int y = 0; y < 10; y++) {
      const bool held = topDown ? y < 4 : y >= 6;
      if (held) {
        EXPECT_EQ(at(7, y), pattern(7, y)) << topDown << " row " << y;
      } else {
        EXPECT_TRUE(untouched(7, y)) << topDown << " row " << y;
      }
    }
  }
  // A header cut before the bit count is a depth the loader cannot draw.
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  std::vector<uint8_t> file = makeBmp(8, 10, 24, pattern);
  file.resize(20);
  draw(file, 0);
  EXPECT_EQ(at(0, 0), (Rgb{0, 0, 0}));
  EXPECT_TRUE(untouched(0, 480));
}

TEST_F(BmpTest, PicturesLargerThanTheFrameAreClipped) {
  // 2000 wide on layer 0: columns past 1919 must not wrap into the next row.
  draw(makeBmp(2000, 3, 24, pattern), 0);
  EXPECT_EQ(at(1919, 0), pattern(1919, 0));
  EXPECT_EQ(at(0, 1), pattern(0, 1));
  // A character wider than its half on the right, and one with negative x.
  SystemSizeW = 1920, SystemSizeH = 1080;
  auto ink = [](int x, int y) { return x == 0 && y == 1 ? Rgb{0, 0, 0} : Rgb{77, 77, 77}; };
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  draw(makeBmp(1000, 2, 24, ink), 3);  // x0 = 940: columns 940..1919
  EXPECT_EQ(at(1919, 0), (Rgb{77, 77, 77}));
  EXPECT_TRUE(untouched(0, 1));
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  draw(makeBmp(3000, 2, 24, ink), 2);  // x0 = -1020
  EXPECT_EQ(at(0, 0), (Rgb{77, 77, 77}));
  EXPECT_TRUE(untouched(0, 2));
  // Design sizes beyond the buffer, or none at all.
  for (auto [dw, dh] : {std::pair{0, 0}, {-5, 7}, {100000, 100000}, {2147483647, 2147483647}}) {
    SystemSizeW = dw, SystemSizeH = dh;
    for (uint32_t layer : {0u, 1u, 2u, 3u, 6u}) draw(makeBmp(50, 1200, 24, pattern), layer);
    std::vector<uint8_t> eightBit = makeBmp(4, 4, 24, pattern);
    eightBit[28] = 8;
    draw(eightBit, 1);
  }
}

// Independent reading of an uncompressed 24-bit file: honours the pixel
// offset and the signed height, as a general reader would.
bool referenceRead24(const std::string& bytes, int& width, int& height, std::vector<Rgb>& out) {
  auto u32 = [&](size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
  };
  const uint32_t offset = u32(10);
  width = int32_t(u32(18));
  const int32_t h = int32_t(u32(22));
  height = h < 0 ? -h : h;
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  if (bytes.size() < offset + stride * height) return false;
  out.assign(size_t(width) * height, {});
  for (int s = 0; s < height; s++) {
    const int y = h < 0 ? s : height - 1 - s;
    for (int x = 0; x < width; x++) {
      const size_t at = offset + stride * s + size_t(x) * 3;
      out[size_t(y) * width + x] = {uint8_t(bytes[at + 2]), uint8_t(bytes[at + 1]), uint8_t(bytes[at])};
    }
  }
  return true;
}

TEST_F(BmpTest, TwentyFourBitSuitePicturesMatchAnIndependentReading) {
  for (const char* name : {"bmp-bmpsuite/g/rgb24.bmp", "bmp-bmpsuite/q/rgb24lprof.bmp"}) {
    // The second has its pixels at byte 138: this loader still reads from 54,
    // so only the first one must match.
    const std::string bytes = readFile(corpusPath(name));
    ASSERT_FALSE(bytes.empty()) << name;
    int width, height;
    std::vector<Rgb> want;
    ASSERT_TRUE(referenceRead24(bytes, width, height, want));
    std::memset(gHaikeiBits, kFill, kFrameBytes);
    writeFile("7.jpg", bytes);
    rOPGbmp(gHaikeiBits, 7, 0);
    int differences = 0;
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++) differences += !(at(x, y) == want[size_t(y) * width + x]);
    if (std::string(name).find("/g/") != std::string::npos) {
      EXPECT_EQ(differences, 0) << name;
    } else {
      EXPECT_GT(differences, 0) << name;
    }
  }
}

TEST_F(BmpTest, EverySuitePictureDrawsOrClearsWithoutReadingOutside) {
  const char* files[] = {
      "bmp-bmpsuite/g/pal1.bmp", "bmp-bmpsuite/g/pal4rle.bmp", "bmp-bmpsuite/g/pal8.bmp",
      "bmp-bmpsuite/g/pal8os2.bmp", "bmp-bmpsuite/g/pal8topdown.bmp", "bmp-bmpsuite/g/rgb16.bmp",
      "bmp-bmpsuite/g/rgb16-565.bmp", "bmp-bmpsuite/g/rgb24.bmp", "bmp-bmpsuite/g/rgb32.bmp",
      "bmp-bmpsuite/g/rgb32bf.bmp", "bmp-bmpsuite/q/rgb24jpeg.bmp", "bmp-bmpsuite/q/rgb32h52.bmp",
      "bmp-bmpsuite/q/rgba64.bmp", "bmp-bmpsuite/q/rgb24largepal.bmp", "bmp-bmpsuite/q/pal2.bmp",
      "bmp-bmpsuite/b/reallybig.bmp", "bmp-bmpsuite/b/shortfile.bmp", "bmp-bmpsuite/b/badbitcount.bmp",
      "bmp-bmpsuite/b/badwidth.bmp", "bmp-bmpsuite/b/rgb16-880.bmp", "bmp-bmpsuite/b/rletopdown.bmp",
      "bmp-pngsuite-paintnet/basn2c08.bmp", "bmp-pngsuite-paintnet/basn6a08.bmp"};
  for (const char* name : files) {
    const std::string bytes = readFile(corpusPath(name));
    ASSERT_GT(bytes.size(), 29u) << name;
    const int bits = uint8_t(bytes[28]);
    const bool drawable = bits == 16 || bits == 24 || bits == 32;
    for (uint32_t layer : {0u, 1u, 6u}) {
      // The same file with different bytes after its end must draw the same.
      std::vector<uint8_t> results[2];
      for (int tail = 0; tail < 2; tail++) {
        std::memset(gHaikeiBits, kFill, kFrameBytes);
        std::memset(gfilework, tail ? 0xFF : 0x00, kWorkBufferSize);
        writeFile("3.jpg", bytes);
        rOPGbmp(gHaikeiBits, 3, layer);
        results[tail].assign(gHaikeiBits, gHaikeiBits + kFrameBytes);
      }
      ASSERT_EQ(results[0], results[1]) << name << " layer " << layer;
      if (!drawable) {
        EXPECT_EQ(gHaikeiBits[640 * 480 * 3 - 1], 0) << name;
        EXPECT_EQ(gHaikeiBits[640 * 480 * 3], kFill) << name;
      } else if (std::string(name).find("reallybig") == std::string::npos) {
        bool drew = false;
        for (int y = 0; y < 64 && !drew; y++)
          for (int x = 0; x < 640 && !drew; x++) drew = !untouched(x, y);
        EXPECT_TRUE(drew) << name << " layer " << layer;
      }
    }
  }
}

TEST_F(BmpTest, DecodeToolWritesTheConvertedPictureOrRefuses) {
  const std::vector<uint8_t> file = makeBmp(5, 3, 16, pattern, true);
  writeFile("in.bmp", file);
  CommandResult r = runCommand(std::string(TAVINO_TOOL) + " decode bmp in.bmp out.ppm 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  PpmImage img;
  ASSERT_TRUE(readPpm("out.ppm", img));
  ASSERT_EQ(img.width, 5);
  ASSERT_EQ(img.height, 3);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++) {
      const Rgb p = pattern(x, y);
      const uint8_t* got = img.at(x, y);
      EXPECT_EQ(got[0], p.r & 0xF8);
      EXPECT_EQ(got[2], p.b & 0xF8);
    }

  writeFile("pal.bmp", readFile(corpusPath("bmp-bmpsuite/g/pal8.bmp")));
  r = runCommand(std::string(TAVINO_TOOL) + " decode bmp pal.bmp out2.ppm 2>&1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_FALSE(fileExists("out2.ppm"));
}

}  // namespace
