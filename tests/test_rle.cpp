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

const Rgb kGrey{100, 100, 100}, kWhite{255, 255, 255}, kU = kUntouched;

class RleTest : public PlayerDirTest {
 protected:
  void decode(const Bytes& stream, uint32_t layer = 0) {
    fillFrame();
    rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), layer);
  }
};

TEST_F(RleTest, StreamCommandsOnTheFrame) {
  struct Probe { int x, y; Rgb want; };
  const struct { const char* what; Bytes stream; uint32_t layer; std::vector<Probe> probes; } cases[] = {
      {"worked stream; where it ends the rest keeps its pixels", {128, 100, 128, 3, 4, 7, 1, 50, 200, 60, 90}, 0,
       {{0, 479, kGrey}, {5, 479, kGrey}, {6, 479, kU}, {7, 479, kU}, {8, 479, {50, 25, 177}}, {9, 479, {6, 62, 187}},
        {10, 479, kU}, {0, 478, kU}}},
      {"zero counts cover one position each", {128, 100, 128, 3, 0, 7, 0, 200, 128}, 0,
       {{1, 479, kGrey}, {2, 479, kU}, {3, 479, {200, 200, 200}}}},
      {"column 1 reads Cr and keeps Cb", {178, 100, 128, 100, 28}, 0, {{1, 479, {0, 171, 100}}}},
      {"a pair step leaves the previous colour, then the current", {128, 100, 128, 255, 128, 5, 1, 3, 0}, 0,
       {{4, 479, kGrey}, {5, 479, kWhite}, {6, 479, kWhite}, {7, 479, kU}}},
      {"a pair at a row start writes nothing left of the picture", {128, 100, 128, 3, 255, 3, 61, 255, 128, 5, 0}, 3,
       {{639, 479, kWhite}, {319, 478, kU}, {320, 478, kGrey}, {321, 478, kWhite}}},
      {"skip is the only transparency; nothing is darkened", {128, 7, 9, 200, 128, 3, 3, 7, 43}, 1,
       {{160, 479, kU}, {169, 479, kU}, {170, 479, {200, 200, 200}}, {174, 479, {200, 200, 200}}, {175, 479, kU}}},
      {"before any colour command: black", {128, 3, 1}, 0, {{1, 479, {0, 0, 0}}, {2, 479, kU}}},
      {"a command cut after its first byte", {128, 100, 128, 3}, 0, {{0, 479, kGrey}, {1, 479, kU}}},
      {"first colour at an odd position: Cb still 128; a level of 1 stays 1", {128, 7, 0, 1, 128}, 0,
       {{1, 479, {1, 1, 1}}}},
      {"one byte", {128}, 0, {{0, 479, kU}}},
      {"codes that draw nothing", {128, 100, 128, 3, 255}, 4, {{0, 479, kU}}},
      {"", {128, 100, 128, 3, 255}, 0xFFFFFFFFu, {{0, 479, kU}}},
  };
  for (const auto& c : cases) {
    decode(c.stream, c.layer);
    for (const Probe& p : c.probes) EXPECT_EQ(pixelAt(p.x, p.y), p.want) << c.what << " at " << p.x << "," << p.y;
  }
}

// The loader reads the numbered file with the directory prefix; the placement
// is fixed per layer whatever the design size.
TEST_F(RleTest, LoaderPlacesEachLayerWhateverTheDesignSize) {
  SystemSizeW = 1920, SystemSizeH = 1080;
  ASSERT_EQ(system("mkdir -p pics"), 0);
  std::strcpy(MyAppDir, "pics/");
  const struct { uint32_t layer; int x, width; } cases[] = {{0, 0, 640}, {1, 160, 320}, {2, 0, 320}, {3, 320, 320}};
  for (const auto& c : cases) {
    writeFile("pics/4464.jpg", greyRunLength(c.width * 480));  // repeats run across row ends
    fillFrame();
    rOPGkn1(gHaikeiBits, uint16_t(70000), c.layer);  // the compositor passes the low 16 bits
    EXPECT_TRUE(pixelAt(c.x, 0) == kGrey && pixelAt(c.x + c.width - 1, 479) == kGrey) << c.layer;
    EXPECT_TRUE((c.x == 0 || untouched(c.x - 1, 0)) && untouched(c.x + c.width, 0) && untouched(c.x, 480)) << c.layer;
  }
}

// Flat colours come back within rounding once a run settles, key pixels stay
// transparent, smooth gradients stay close; the decode tool shows what the player draws.
TEST_F(RleTest, EncoderRoundTripsThroughThePlayerAndTheDecodeTool) {
  const uint8_t colours[][3] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {30, 200, 180}, {1, 2, 3}};
  Bytes rgb(640 * 480 * 3);
  for (int i = 0; i < 640 * 480; i++) {
    const int x = i % 640, y = i / 640;
    uint8_t* p = &rgb[i * 3];
    if (x < 320) std::copy_n(colours[(x / 37 + y / 23 * 3) % 6], 3, p);
    else p[0] = uint8_t(127 + 120 * std::sin(x / 40.0)), p[1] = uint8_t(127 + 120 * std::cos(y / 33.0)),
         p[2] = uint8_t(127 + 100 * std::sin((x + y) / 57.0));
  }
  writeFile("in.ppm", "P6\n640 480\n255\n" + std::string(rgb.begin(), rgb.end()));
  ASSERT_EQ(runTool("rle encode in.ppm out.rle --key 010203").status, 0);
  decode(toBytes(readFile("out.rle")));
  const PpmImage img = decodeWithTool("rle", "out.rle");
  ASSERT_TRUE(img.width == 640 && img.height == 480);
  for (int i = 0; i < 640 * 480; i++) {
    const uint8_t* want = &rgb[i * 3];
    const int x = i % 640, y = i / 640;
    const Rgb got = pixelAt(x, y);
    const int e = std::max({std::abs(want[0] - got.r), std::abs(want[1] - got.g), std::abs(want[2] - got.b)});
    const bool key = want[0] == 1 && want[1] == 2 && want[2] == 3;
    ASSERT_EQ(got == kUntouched, key) << i;
    ASSERT_TRUE(key || std::memcmp(img.at(x, y), framePixel(gHaikeiBits, x, y), 3) == 0) << i;
    // Chroma is shared with neighbours: from the fourth pixel of a flat run on only rounding is left.
    ASSERT_TRUE(key || x < 3 || x >= 320 || std::memcmp(want - 9, want - 6, 9) != 0 || e <= 2) << i;
    ASSERT_TRUE(x < 324 || e <= 8) << i;  // past the seam with the flat half
  }
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
