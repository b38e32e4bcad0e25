// BMP pictures drawn by the loader: golden pixels for every depth, row
// order, key colour and edge darkening, clipping, refusals and damaged files.
#include <cstring>
#include <string>
#include <vector>

#include "image/loaders.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

namespace {

// Every channel distinct and past 31, so 16-bit pixels show their widening.
Rgb pattern(int x, int y) { return {uint8_t(x * 53 + y), uint8_t(y * 77 + 40), uint8_t(x * 31 ^ y * 90)}; }
Rgb as555(Rgb c) { return {uint8_t(c.r & 0xF8), uint8_t(c.g & 0xF8), uint8_t(c.b & 0xF8)}; }

class BmpTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    fillFrame();
    SystemSizeW = 640, SystemSizeH = 480;
  }
  void draw(const Bytes& file, uint32_t layer) {
    fillFrame();
    writeFile("5.jpg", file);
    rOPGbmp(gHaikeiBits, 5, layer);
  }
};

// Widths 1 to 5 need every amount of row padding; bottom-up files store the top row last.
// 16-bit pixels are five bits a channel times eight, their top bit (set here) ignored.
TEST_F(BmpTest, EveryDepthPaddingAndRowOrderDrawsTheRightPixels) {
  for (bool topDown : {false, true})
    for (int bits : {16, 24, 32})
      for (int width = 1; width <= 5; width++) {
        draw(makeBmp(width, 3, bits, pattern, topDown, 0x80), 0);
        for (int y = 0; y < 3; y++) {
          for (int x = 0; x < width; x++)
            ASSERT_EQ(pixelAt(x, y), bits == 16 ? as555(pattern(x, y)) : pattern(x, y))
                << bits << " bits, width " << width << (topDown ? " top-down" : "") << " at " << x << "," << y;
          EXPECT_TRUE(untouched(width, y));
        }
        EXPECT_TRUE(untouched(0, 3));
      }
  // The decode tool writes what the player draws.
  const PpmImage img = decodeWithTool("bmp", "5.jpg");
  ASSERT_TRUE(img.width == 5 && img.height == 3);
  for (int i = 0; i < 15; i++) EXPECT_EQ(std::memcmp(img.at(i % 5, i / 5), framePixel(gHaikeiBits, i % 5, i / 5), 3), 0) << i;
}

TEST_F(BmpTest, KeyColourMakesHolesAndDarkensTheFirstVisiblePixelOfEachRun) {
  const Rgb key{10, 20, 30}, ink{200, 100, 50}, half{100, 50, 25};
  // Rows from the top: "K K I I K I", "I I I I I I", "K K K I K K".
  auto figure = [&](int x, int y) {
    if (y == 0) return x == 2 || x == 3 || x == 5 ? ink : key;
    return y == 1 || x == 3 ? ink : key;
  };
  const Rgb want[3][6] = {{kUntouched, kUntouched, half, ink, kUntouched, half},
                          {ink, ink, ink, ink, ink, ink},  // the edge flag carries over the row end
                          {kUntouched, kUntouched, kUntouched, half, kUntouched, kUntouched}};
  SystemSizeW = 6;  // centre layer at x = 0
  for (bool topDown : {false, true}) {  // the key is the bottom-left pixel either way
    draw(makeBmp(6, 3, 24, figure, topDown), 1);
    for (int i = 0; i < 18; i++) EXPECT_EQ(pixelAt(i % 6, i / 6), want[i / 6][i % 6]) << topDown << " " << i;
  }
}

TEST_F(BmpTest, CharactersStopAtTheDesignHeightBackgroundsDoNot) {
  auto rows = [](int, int y) { return Rgb{uint8_t(y), uint8_t(y >> 8), 200}; };
  draw(makeBmp(4, 600, 24, rows), 1);
  EXPECT_TRUE(pixelAt(319, 0) == rows(1, 0) && !untouched(319, 479) && untouched(319, 480));
  SystemSizeH = 100;
  draw(makeBmp(4, 600, 24, rows), 0);
  EXPECT_TRUE(pixelAt(0, 599) == rows(0, 599) && untouched(0, 600));
}

TEST_F(BmpTest, FailuresClearWhatTheyShould) {
  Bytes notBmp = makeBmp(4, 4, 24, pattern);
  notBmp[1] = 'X';
  draw(notBmp, 4);  // the whole frame, whatever the layer code
  EXPECT_TRUE(pixelAt(0, 0) == (Rgb{0, 0, 0}) && pixelAt(1919, 1079) == (Rgb{0, 0, 0}));
  // Cut before its bit count, a file has depth 0 whatever the buffer held
  // before; a depth it cannot draw clears SystemSizeW x SystemSizeH x 3 bytes, not rows.
  Bytes cut = makeBmp(4, 4, 24, pattern);
  cut.resize(20);
  draw(cut, 1);
  EXPECT_TRUE(gHaikeiBits[640 * 480 * 3 - 1] == 0 && gHaikeiBits[640 * 480 * 3] == kFill);
  draw(cut, 4);
  EXPECT_EQ(gHaikeiBits[0], kFill);
  for (uint32_t layer : {4u, 5u, 7u, 100u}) {  // codes that draw nothing
    draw(makeBmp(4, 4, 24, pattern), layer);
    EXPECT_EQ(gHaikeiBits[0], kFill) << layer;
  }
  rOPGbmp(gHaikeiBits, 999, 0);  // no such file
  EXPECT_EQ(gHaikeiBits[0], kFill);
}

TEST_F(BmpTest, ShortFileDrawsOnlyTheRowsItHolds) {
  for (bool topDown : {false, true}) {
    Bytes file = makeBmp(8, 10, 24, pattern, topDown);
    file.resize(54 + 24 * 4 + 12);  // 4 rows and a half of the 10 claimed
    draw(file, 0);
    for (int y = 0; y < 10; y++) {
      const bool held = topDown ? y < 4 : y >= 6;
      EXPECT_EQ(pixelAt(7, y), held ? pattern(7, y) : kUntouched) << topDown << " row " << y;
    }
  }
}

}  // namespace
