// Run-length pictures: the stream's commands on the composition buffer, the
// loader, and the encoder and decode tools round trip.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "image/loaders.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

namespace {

const Rgb kGrey{100, 100, 100}, kWhite{255, 255, 255};

class RleTest : public PlayerDirTest {
 protected:
  void decode(const Bytes& stream, uint32_t layer = 0) {
    fillFrame();
    rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), layer);
  }
};

TEST_F(RleTest, WorkedStreamOnTheBottomRow) {
  decode({128, 100, 128, 3, 4, 7, 1, 50, 200, 60, 90});
  for (int x = 0; x <= 5; x++) EXPECT_EQ(pixelAt(x, 479), kGrey) << x;
  EXPECT_EQ(pixelAt(6, 479), kUntouched);
  EXPECT_EQ(pixelAt(7, 479), kUntouched);
  EXPECT_EQ(pixelAt(8, 479), (Rgb{50, 25, 177}));
  EXPECT_EQ(pixelAt(9, 479), (Rgb{6, 62, 187}));
  EXPECT_EQ(pixelAt(10, 479), kUntouched);  // the stream ends: the rest keeps its pixels
  EXPECT_EQ(pixelAt(0, 478), kUntouched);
}

TEST_F(RleTest, CountsAndChroma) {
  decode({128, 100, 128, 3, 0, 7, 0, 200, 128});  // zero counts cover one position each
  EXPECT_EQ(pixelAt(1, 479), kGrey);
  EXPECT_EQ(pixelAt(2, 479), kUntouched);
  EXPECT_EQ(pixelAt(3, 479), (Rgb{200, 200, 200}));
  // Column 0 reads Cb with Cr from byte 0; column 1 reads Cr and keeps Cb.
  decode({178, 100, 128, 100, 28});
  EXPECT_EQ(pixelAt(0, 479).r, uint8_t(100 + 1.402 * 50));
  EXPECT_EQ(pixelAt(1, 479), (Rgb{0, uint8_t(100 + 0.71414 * 100), 100}));
  // Conversion truncates; anything below 1.0 is 0.
  EXPECT_EQ(rleColour(1, 128, 127).r, 0);
  EXPECT_EQ(rleColour(1, 128, 128).r, 1);
  EXPECT_EQ(rleColour(10, 129, 128).b, 11);
}

TEST_F(RleTest, PairStepsLeaveThePreviousColourThenTheCurrent) {
  // Grey at 0, white at 1, then a pair with N = 1 at 2: 1..4 grey, 5 white.
  decode({128, 100, 128, 255, 128, 5, 1, 3, 0});
  for (int x = 0; x <= 4; x++) EXPECT_EQ(pixelAt(x, 479), kGrey) << x;
  EXPECT_EQ(pixelAt(5, 479), kWhite);
  EXPECT_EQ(pixelAt(6, 479), kWhite);
  EXPECT_EQ(pixelAt(7, 479), kUntouched);
  // A pair at a row start writes nothing left of the picture (right half: 320..639).
  decode({128, 100, 128, 3, 255, 3, 61, 255, 128, 5, 0}, 3);
  EXPECT_EQ(pixelAt(639, 479), kWhite);
  EXPECT_EQ(pixelAt(319, 478), kUntouched);
  EXPECT_EQ(pixelAt(320, 478), kGrey);
  EXPECT_EQ(pixelAt(321, 478), kWhite);
}

TEST_F(RleTest, GeometryIsFixedPerLayerWhateverTheDesignSize) {
  SystemSizeW = 1920, SystemSizeH = 1080;
  const struct { uint32_t layer; int x, width; } cases[] = {{0, 0, 640}, {1, 160, 320}, {2, 0, 320}, {3, 320, 320}};
  for (const auto& c : cases) {
    decode(greyRunLength(c.width * 480), c.layer);  // repeats run across row ends
    EXPECT_EQ(pixelAt(c.x, 0), kGrey) << c.layer;
    EXPECT_EQ(pixelAt(c.x + c.width - 1, 479), kGrey) << c.layer;
    EXPECT_TRUE(c.x == 0 || untouched(c.x - 1, 0)) << c.layer;
    EXPECT_EQ(pixelAt(c.x + c.width, 0), kUntouched) << c.layer;
    EXPECT_EQ(pixelAt(c.x, 480), kUntouched) << c.layer;
  }
  for (uint32_t layer : {4u, 5u, 6u, 0xFFFFFFFFu}) {
    decode({128, 100, 128, 3, 255}, layer);
    EXPECT_EQ(pixelAt(0, 479), kUntouched) << layer;
  }
}

TEST_F(RleTest, SkipIsTheOnlyTransparencyAndNothingIsDarkened) {
  decode({128, 7, 9, 200, 128, 3, 3, 7, 43}, 1);
  for (int x = 160; x < 170; x++) EXPECT_EQ(pixelAt(x, 479), kUntouched) << x;
  for (int x = 170; x < 175; x++) EXPECT_EQ(pixelAt(x, 479), (Rgb{200, 200, 200})) << x;
  EXPECT_EQ(pixelAt(175, 479), kUntouched);
}

TEST_F(RleTest, StreamThatEndsEarlyStopsWhereItsDataEnds) {
  decode({128, 3, 1});  // before any colour command: black
  EXPECT_EQ(pixelAt(1, 479), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixelAt(2, 479), kUntouched);
  decode({128, 100, 128, 3});  // a command cut after its first byte
  EXPECT_EQ(pixelAt(0, 479), kGrey);
  EXPECT_EQ(pixelAt(1, 479), kUntouched);
  decode({128, 7, 0, 100, 128});  // first colour at an odd position: Cb still 128
  EXPECT_EQ(pixelAt(1, 479), kGrey);
  decode({});
  decode({128});
  EXPECT_EQ(pixelAt(0, 479), kUntouched);
}

TEST_F(RleTest, LoaderReadsTheNumberedFileWithTheDirectoryPrefix) {
  ASSERT_EQ(system("mkdir -p pics"), 0);
  std::strcpy(MyAppDir, "pics/");
  writeFile("pics/4464.jpg", Bytes{128, 100, 128});
  rOPGkn1(gHaikeiBits, uint16_t(70000), 0);  // the compositor passes the low 16 bits
  EXPECT_EQ(pixelAt(0, 479), kGrey);
  fillFrame();
  rOPGkn1(gHaikeiBits, 4465, 0);
  EXPECT_EQ(pixelAt(0, 479), kUntouched);
}

// ---- The encoder and the decode tool ----------------------------------------

Bytes encodeWithTool(const Bytes& rgb, int width, const std::string& options) {
  writeFile("in.ppm", "P6\n" + std::to_string(width) + " 480\n255\n" + std::string(rgb.begin(), rgb.end()));
  const CommandResult r = runTool("rle encode in.ppm out.rle " + options);
  EXPECT_EQ(r.status, 0) << r.output;
  return toBytes(readFile("out.rle"));
}

int channelError(const uint8_t* a, const Rgb& b) {
  return std::max({std::abs(a[0] - b.r), std::abs(a[1] - b.g), std::abs(a[2] - b.b)});
}

TEST_F(RleTest, EncoderReproducesFlatColoursAndKeepsKeyPixelsTransparent) {
  const uint8_t colours[][3] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {30, 200, 180}, {1, 2, 3}};
  Bytes rgb(320 * 480 * 3);
  for (size_t i = 0; i < 320 * 480; i++) std::copy_n(colours[(i % 320 / 37 + i / 320 / 23 * 3) % 6], 3, &rgb[i * 3]);
  const Bytes stream = encodeWithTool(rgb, 320, "--layer 2 --key 010203");
  EXPECT_LT(stream.size(), rgb.size() / 10);
  decode(stream, 2);
  for (int i = 0; i < 320 * 480; i++) {
    const uint8_t* want = &rgb[i * 3];
    const Rgb got = pixelAt(i % 320, i / 320);
    const bool key = want[0] == 1 && want[1] == 2 && want[2] == 3;
    ASSERT_EQ(got == kUntouched, key) << i;
    // Chroma is shared with neighbours: from the fourth pixel of a run on only rounding is left.
    const bool settled = !key && i % 320 >= 3 && std::memcmp(want - 9, want - 6, 9) == 0;
    ASSERT_TRUE(!settled || channelError(want, got) <= 2) << i;
  }
}

TEST_F(RleTest, EncoderLossOnASmoothPictureStaysBoundedAndTheToolShowsIt) {
  Bytes rgb(640 * 480 * 3);
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) {
      uint8_t* p = &rgb[(y * 640 + x) * 3];
      p[0] = uint8_t(127 + 120 * std::sin(x / 40.0));
      p[1] = uint8_t(127 + 120 * std::cos(y / 33.0));
      p[2] = uint8_t(127 + 100 * std::sin((x + y) / 57.0));
    }
  const Bytes stream = encodeWithTool(rgb, 640, "");
  decode(stream);
  double sum = 0;
  int worst = 0;
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) {
      const int e = channelError(&rgb[(y * 640 + x) * 3], pixelAt(x, y));
      sum += e;
      if (x > 0) worst = std::max(worst, e);  // column 0 follows the far end of the row below
    }
  EXPECT_LE(worst, 8);
  EXPECT_LT(sum / (640 * 480), 2.0);
  writeFile("smooth.rle", stream);
  const PpmImage img = decodeWithTool("rle", "smooth.rle");
  ASSERT_EQ(img.width, 640);
  ASSERT_EQ(img.height, 480);
  for (int y = 0; y < 480; y++)
    ASSERT_EQ(0, std::memcmp(img.at(0, y), framePixel(gHaikeiBits, 0, y), 640 * 3)) << y;
}

// Every refusal of the encoder and of the decode tools: exit 1, one line, no file.
TEST_F(RleTest, ToolsRefuseBadInputWithOneLine) {
  writeFile("small.ppm", "P6\n320 480\n255\n" + std::string(320 * 480 * 3, '\x09'));
  expectToolRefusal("rle encode small.ppm o.rle --layer 0", "o.rle", "640 x 480");
  expectToolRefusal("rle encode small.ppm o.rle --key 12345", "o.rle");
  expectToolRefusal("decode rle missing.rle o.ppm", "o.ppm");
  writeFile("pal.bmp", readFile(corpusPath("bmp-bmpsuite/g/pal8.bmp")));
  expectToolRefusal("decode bmp pal.bmp o.ppm", "o.ppm");
  writeFile("pal.png", readFile(corpusPath("png-pngsuite/basn3p08.png")));
  expectToolRefusal("decode png pal.png o.ppm", "o.ppm", "colour type 3");
  writeFile("cut.jpg", readFile(corpusPath("jpg-libjpeg-turbo/testorig.jpg")).substr(0, 3000));
  expectToolRefusal("decode jpg cut.jpg o.ppm", "o.ppm", "truncated");
}

}  // namespace
