#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "image/loaders.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

constexpr uint8_t kFill = 0x5A;

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

Rgb at(int x, int y) {
  const uint8_t* p = framePixel(gHaikeiBits, x, y);
  return {p[0], p[1], p[2]};
}
const Rgb kUntouched{kFill, kFill, kFill};
const Rgb kGrey{100, 100, 100};

class RleTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    std::memset(gHaikeiBits, kFill, kFrameBytes);
  }
  void decode(const std::vector<uint8_t>& stream, uint32_t layer = 0) {
    rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), layer);
  }
};

TEST_F(RleTest, WorkedStreamOnTheBottomRow) {
  decode({128, 100, 128, 3, 4, 7, 1, 50, 200, 60, 90});
  for (int x = 0; x <= 5; x++) EXPECT_EQ(at(x, 479), kGrey) << x;
  EXPECT_EQ(at(6, 479), kUntouched);
  EXPECT_EQ(at(7, 479), kUntouched);
  EXPECT_EQ(at(8, 479), (Rgb{50, 25, 177}));
  EXPECT_EQ(at(9, 479), (Rgb{6, 62, 187}));
  // The stream ends there: the rest keeps what it held.
  EXPECT_EQ(at(10, 479), kUntouched);
  EXPECT_EQ(at(0, 478), kUntouched);
}

TEST_F(RleTest, RepeatsRunAcrossRowEndsAndFillTheBackground) {
  std::vector<uint8_t> s = {128, 100, 128};
  for (int i = 0; i < 640 * 480 / 256; i++) s.push_back(3), s.push_back(255);
  decode(s);
  for (int y : {0, 1, 239, 479})
    for (int x : {0, 1, 255, 256, 639}) ASSERT_EQ(at(x, y), kGrey) << x << "," << y;
  EXPECT_EQ(at(640, 0), kUntouched);
  EXPECT_EQ(at(0, 480), kUntouched);
}

TEST_F(RleTest, ZeroCountsCoverExactlyOnePosition) {
  decode({128, 100, 128, 3, 0, 7, 0, 200, 128});
  EXPECT_EQ(at(1, 479), kGrey);
  EXPECT_EQ(at(2, 479), kUntouched);
  EXPECT_EQ(at(3, 479), (Rgb{200, 200, 200}));
}

TEST_F(RleTest, ChromaAlternatesByPositionAndStartsFromByteZero) {
  // Column 0 reads Cb (and uses Cr from byte 0); column 1 reads Cr, keeps Cb.
  decode({178, 100, 128, 100, 28});
  const double crOff = 50;
  EXPECT_EQ(at(0, 479).r, uint8_t(100 + 1.402 * crOff));
  const Rgb c1 = at(1, 479);
  EXPECT_EQ(c1.r, 0);  // 100 - 140.2 clamps
  EXPECT_EQ(c1.b, 100);  // Cb 128 kept
  EXPECT_EQ(c1.g, uint8_t(100 + 0.71414 * 100));
}

TEST_F(RleTest, ColourConversionTruncatesAndClamps) {
  EXPECT_EQ(rleColour(255, 128, 255).r, 255);
  EXPECT_EQ(rleColour(0, 0, 128).b, 0);
  EXPECT_EQ(rleColour(1, 128, 127).r, 0);  // 1 - 1.402: below 1.0
  EXPECT_EQ(rleColour(1, 128, 128).r, 1);
  EXPECT_EQ(rleColour(10, 129, 128).b, 11);  // 11.772 truncates
  const RleColour c = rleColour(81, 90, 240);
  EXPECT_EQ(c.r, uint8_t(81 + 1.402 * 112));
  EXPECT_EQ(c.g, uint8_t(81 - 0.34414 * -38 - 0.71414 * 112));
  EXPECT_EQ(c.b, uint8_t(81 + 1.772 * -38));
}

TEST_F(RleTest, PairStepsLeaveThePreviousColourThenTheCurrent) {
  // Grey at column 0, white at column 1, then a pair command at column 2
  // with N = 1: columns 1..4 previous (grey), column 5 current (white).
  decode({128, 100, 128, 255, 128, 5, 1, 3, 0});
  const Rgb white{255, 255, 255};
  EXPECT_EQ(at(0, 479), kGrey);
  for (int x = 1; x <= 4; x++) EXPECT_EQ(at(x, 479), kGrey) << x;
  EXPECT_EQ(at(5, 479), white);
  EXPECT_EQ(at(6, 479), white);  // the repeat after it
  EXPECT_EQ(at(7, 479), kUntouched);
}

TEST_F(RleTest, PairAtARowStartWritesNothingBeforeThePicture) {
  // Character layer 2 (columns 0..319): grey everywhere in stream row 0 but
  // the last column white, then a pair at the start of stream row 1.
  std::vector<uint8_t> s = {128, 100, 128, 3, 255, 3, 61, 255, 128, 5, 0};
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  decode(s, 3);  // columns 320..639
  EXPECT_EQ(at(639, 479), (Rgb{255, 255, 255}));  // not rewritten by the pair
  EXPECT_EQ(at(319, 478), kUntouched);              // nothing left of the picture
  EXPECT_EQ(at(320, 478), kGrey);                   // previous colour
  EXPECT_EQ(at(321, 478), (Rgb{255, 255, 255}));   // current colour
}

TEST_F(RleTest, GeometryIsFixedPerLayerWhateverTheDesignSize) {
  SystemSizeW = 1920, SystemSizeH = 1080;
  struct Case {
    uint32_t layer;
    int x, width;
  } cases[] = {{0, 0, 640}, {1, 160, 320}, {2, 0, 320}, {3, 320, 320}};
  for (const Case& c : cases) {
    std::memset(gHaikeiBits, kFill, kFrameBytes);
    std::vector<uint8_t> s = {128, 100, 128};
    for (int i = 0; i < c.width * 480 / 256; i++) s.push_back(3), s.push_back(255);
    decode(s, c.layer);
    EXPECT_EQ(at(c.x, 0), kGrey) << c.layer;
    EXPECT_EQ(at(c.x + c.width - 1, 479), kGrey) << c.layer;
    if (c.x > 0) {
      EXPECT_EQ(at(c.x - 1, 0), kUntouched) << c.layer;
    }
    EXPECT_EQ(at(c.x + c.width, 0), kUntouched) << c.layer;
  }
  for (uint32_t layer : {4u, 5u, 6u, 0xFFFFFFFFu}) {
    std::memset(gHaikeiBits, kFill, kFrameBytes);
    decode({128, 100, 128, 3, 255}, layer);
    EXPECT_EQ(at(0, 479), kUntouched) << layer;
  }
}

TEST_F(RleTest, SkipIsTheOnlyTransparency) {
  // A key-like colour and edge darkening do not exist here: the first pixel
  // after a skip is drawn at full brightness.
  decode({128, 7, 9, 200, 128, 3, 3, 7, 299 - 256}, 1);
  for (int x = 160; x < 170; x++) EXPECT_EQ(at(x, 479), kUntouched) << x;
  for (int x = 170; x < 175; x++) EXPECT_EQ(at(x, 479), (Rgb{200, 200, 200})) << x;
  EXPECT_EQ(at(175, 479), kUntouched);
}

TEST_F(RleTest, StreamThatEndsEarlyStopsWhereItsDataEnds) {
  // Before any colour command the colours are black and Cb is 128.
  decode({128, 3, 1});
  EXPECT_EQ(at(0, 479), (Rgb{0, 0, 0}));
  EXPECT_EQ(at(1, 479), (Rgb{0, 0, 0}));
  EXPECT_EQ(at(2, 479), kUntouched);
  // A command cut after its first byte draws nothing more.
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  decode({128, 100, 128, 3});
  EXPECT_EQ(at(0, 479), kGrey);
  EXPECT_EQ(at(1, 479), kUntouched);
  // First colour command at an odd position: Cb is still 128.
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  decode({128, 7, 0, 100, 128});
  EXPECT_EQ(at(1, 479), kGrey);
  // Nothing at all, and only byte 0.
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  decode({});
  decode({128});
  EXPECT_EQ(at(0, 479), kUntouched);
}

TEST_F(RleTest, LoaderReadsTheNumberedFileWithTheDirectoryPrefix) {
  ASSERT_EQ(system("mkdir -p pics"), 0);
  std::strcpy(MyAppDir, "pics/");
  writeFile("pics/4464.jpg", std::vector<uint8_t>{128, 100, 128});
  rOPGkn1(gHaikeiBits, uint16_t(70000), 0);  // the compositor passes the low 16 bits
  EXPECT_EQ(at(0, 479), kGrey);
  std::memset(gHaikeiBits, kFill, kFrameBytes);
  rOPGkn1(gHaikeiBits, 4465, 0);  // missing: nothing drawn
  EXPECT_EQ(at(0, 479), kUntouched);
}

// ---- The encoder (tavino-tool rle encode) and the decode tool ----------------

std::string ppm(int width, int height, const std::vector<uint8_t>& rgb) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
         std::string(rgb.begin(), rgb.end());
}

std::vector<uint8_t> encodeWithTool(const std::vector<uint8_t>& rgb, int width, const std::string& options) {
  writeFile("in.ppm", ppm(width, 480, rgb));
  CommandResult r = runCommand(std::string(TAVINO_TOOL) + " rle encode in.ppm out.rle " + options + " 2>&1");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string s = readFile("out.rle");
  return std::vector<uint8_t>(s.begin(), s.end());
}

int channelError(const uint8_t* a, const Rgb& b) {
  return std::max({std::abs(a[0] - b.r), std::abs(a[1] - b.g), std::abs(a[2] - b.b)});
}

TEST_F(RleTest, EncoderReproducesFlatColoursAndKeepsKeyPixelsTransparent) {
  // Blocks of saturated colours and a key colour, on the left character layer.
  const uint8_t colours[][3] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 255},
                                {0, 0, 0},   {200, 100, 50}, {30, 200, 180}, {1, 2, 3}};
  std::vector<uint8_t> rgb(320 * 480 * 3);
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 320; x++) {
      const uint8_t* c = colours[((x / 37) + (y / 23) * 3) % 8];
      std::copy_n(c, 3, &rgb[(size_t(y) * 320 + x) * 3]);
    }
  const std::vector<uint8_t> stream = encodeWithTool(rgb, 320, "--layer 2 --key 010203");
  ASSERT_FALSE(stream.empty());
  EXPECT_LT(stream.size(), rgb.size() / 10);  // runs compress
  decode(stream, 2);
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 320; x++) {
      const uint8_t* want = &rgb[(size_t(y) * 320 + x) * 3];
      if (want[0] == 1 && want[1] == 2 && want[2] == 3) {
        ASSERT_EQ(at(x, y), kUntouched) << x << "," << y;
        continue;
      }
      // The first pixels after a change of colour share chroma with their
      // neighbours; from the third pixel of a run on, only rounding is left.
      const bool settled = x >= 3 && std::memcmp(want - 9, want, 3) == 0 && std::memcmp(want - 6, want, 3) == 0 &&
                           std::memcmp(want - 3, want, 3) == 0;
      ASSERT_NE(at(x, y), kUntouched) << x << "," << y;
      if (settled) {
        ASSERT_LE(channelError(want, at(x, y)), 2) << x << "," << y;
      }
    }
  }
}

TEST_F(RleTest, EncoderLossOnASmoothPictureStaysBounded) {
  std::vector<uint8_t> rgb(640 * 480 * 3);
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) {
      uint8_t* p = &rgb[(size_t(y) * 640 + x) * 3];
      p[0] = uint8_t(127 + 120 * std::sin(x / 40.0));
      p[1] = uint8_t(127 + 120 * std::cos(y / 33.0));
      p[2] = uint8_t(127 + 100 * std::sin((x + y) / 57.0));
    }
  const std::vector<uint8_t> stream = encodeWithTool(rgb, 640, "");
  std::memset(gHaikeiBits, 0, kFrameBytes);
  decode(stream);
  double sum = 0;
  int worst = 0;
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) {
      const int e = channelError(&rgb[(size_t(y) * 640 + x) * 3], at(x, y));
      sum += e;
      // Column 0 follows the far end of the row below in the stream.
      if (x > 0) worst = std::max(worst, e);
    }
  EXPECT_LE(worst, 8);
  EXPECT_LT(sum / (640 * 480), 2.0);

  // The decode tool shows the same picture, onto black.
  writeFile("smooth.rle", stream);
  CommandResult r = runCommand(std::string(TAVINO_TOOL) + " decode rle smooth.rle out.ppm 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  PpmImage img;
  ASSERT_TRUE(readPpm("out.ppm", img));
  ASSERT_EQ(img.width, 640);
  ASSERT_EQ(img.height, 480);
  for (int y = 0; y < 480; y++)
    ASSERT_EQ(0, std::memcmp(img.at(0, y), framePixel(gHaikeiBits, 0, y), 640 * 3)) << y;
}

TEST_F(RleTest, EncoderRefusesPicturesOfTheWrongSize) {
  writeFile("small.ppm", ppm(320, 480, std::vector<uint8_t>(320 * 480 * 3, 9)));
  CommandResult r = runCommand(std::string(TAVINO_TOOL) + " rle encode small.ppm o.rle --layer 0 2>&1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("640 x 480"), std::string::npos) << r.output;
  r = runCommand(std::string(TAVINO_TOOL) + " rle encode small.ppm o.rle --key 12345 2>&1");
  EXPECT_EQ(r.status, 1);
  r = runCommand(std::string(TAVINO_TOOL) + " decode rle missing.rle o.ppm 2>&1");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
