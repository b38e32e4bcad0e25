// PNG pictures: the conformance pictures against libpng's pixels, hand-made
// files for refusals and damage, and drawing, caching and the decode tool.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/loaders.h"
#include "image/png_decode.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

namespace {

void chunk(Bytes& file, const char* type, const Bytes& data) {
  const uint32_t n = uint32_t(data.size());
  const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(), uInt(n));
  for (int s = 24; s >= 0; s -= 8) file.push_back(uint8_t(n >> s));
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  for (int s = 24; s >= 0; s -= 8) file.push_back(uint8_t(crc >> s));
}

Bytes header(uint32_t width, uint32_t height, int depth, int colourType, int interlace = 0) {
  Bytes h;
  for (uint32_t v : {width, height})
    for (int s = 24; s >= 0; s -= 8) h.push_back(uint8_t(v >> s));
  h.insert(h.end(), {uint8_t(depth), uint8_t(colourType), 0, 0, uint8_t(interlace)});
  return h;
}

Bytes zlibCompress(const Bytes& raw) {
  Bytes out(compressBound(uLong(raw.size())));
  uLongf n = uLongf(out.size());
  EXPECT_EQ(compress(out.data(), &n, raw.data(), uLong(raw.size())), Z_OK);
  out.resize(n);
  return out;
}

const Bytes kSignature = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};

// A file of a header (none when empty), the image data in chunks of
// `idatBytes` (no chunk when empty) with other and empty chunks between them,
// which are skipped, and an end chunk.
Bytes pngFile(const Bytes& ihdr, const Bytes& idat, size_t idatBytes = 1 << 20) {
  Bytes file = kSignature;
  if (!ihdr.empty()) chunk(file, "IHDR", ihdr);
  for (size_t i = 0; i < idat.size(); i += idatBytes) {
    chunk(file, "IDAT", Bytes(idat.begin() + long(i), idat.begin() + long(std::min(idat.size(), i + idatBytes))));
    chunk(file, "tEXt", {'a', 0, 'b'}), chunk(file, "IDAT", {});
  }
  chunk(file, "IEND", {});
  return file;
}
Bytes scanPng(const Bytes& ihdr, const Bytes& scanlines, size_t idatBytes = 1 << 20) {
  return pngFile(ihdr, zlibCompress(scanlines), idatBytes);
}
const Bytes kBrokenStream = pngFile(header(2, 2, 8, 2), {0x78, 0x01, 0x07, 0, 0, 0, 0});  // block type 3
const Bytes kHeadless = pngFile({}, zlibCompress(Bytes(10, 0)));

PngStatus decode(const Bytes& file, PngInfo& info) {
  const size_t n = std::min(file.size(), size_t(kMaxFileRead));
  if (n) std::memcpy(gfilework, file.data(), n);
  return decodePngPicture(n, info);
}
Bytes decodedPixels(const PngInfo& info) {
  return Bytes(gfilework, gfilework + size_t(info.width) * info.height * info.bytesPerPixel);
}

// A picture in a file of its rows with filter type 0.
Bytes rawPng(const Bytes& pixels, int width, int height, int channels, size_t idatBytes = 1 << 20) {
  Bytes raw;
  for (int y = 0; y < height; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), pixels.begin() + long(y) * width * channels, pixels.begin() + long(y + 1) * width * channels);
  }
  return scanPng(header(uint32_t(width), uint32_t(height), 8, channels == 4 ? 6 : 2), raw, idatBytes);
}
Bytes pattern(int width, int height, int channels) {
  Bytes p(size_t(width) * height * channels);
  for (size_t i = 0; i < p.size(); i++) p[i] = uint8_t(i * 7 + i / 5);
  return p;
}

// ---- Decoding ---------------------------------------------------------------

TEST(PngDecode, RefusedHeadersAndSignaturesShortLongAndDamagedFiles) {
  PngInfo info;
  // Only bytes 1 to 3 of the signature count. An unknown filter type leaves the row as stored.
  Bytes oddSignature = scanPng(header(1, 1, 8, 2), {9, 10, 20, 30});
  oddSignature[0] = 'x';
  oddSignature[4] = oddSignature[5] = oddSignature[6] = oddSignature[7] = 0;
  ASSERT_EQ(decode(oddSignature, info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({10, 20, 30}));
  oddSignature[2] = 'n';
  EXPECT_EQ(decode(oddSignature, info), PngStatus::NotPng);
  EXPECT_EQ(decode(Bytes{0x89, 'P', 'N'}, info), PngStatus::NotPng);

  Bytes shortHeader = header(4, 4, 8, 2);
  shortHeader.resize(10);
  const struct { Bytes ihdr; PngStatus status; } cases[] = {
      {shortHeader, PngStatus::Unsupported},           {header(0, 4, 8, 2), PngStatus::TooLarge},
      {header(4, 0, 8, 6), PngStatus::TooLarge},       {header(1921, 1080, 8, 6), PngStatus::TooLarge},
      {header(0x80000000u, 1, 8, 2), PngStatus::TooLarge},
      {header(0xffffffffu, 0xffffffffu, 8, 6), PngStatus::TooLarge},
      {header(1920, 1080, 8, 6), PngStatus::MissingRows},  // the largest that fits is accepted
  };
  for (const auto& c : cases) EXPECT_EQ(decode(scanPng(c.ihdr, Bytes(100, 0)), info), c.status);

  // Bytes after the last row are ignored; too few rows, or none, are refused.
  ASSERT_EQ(decode(scanPng(header(1, 2, 8, 2), {0, 1, 2, 3, 0, 4, 5, 6, 1, 9, 9, 9, 9, 9}), info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(decode(scanPng(header(2, 3, 8, 2), {0, 1, 2, 3, 4, 5, 6, 1, 1, 2, 3, 4, 5}), info),
            PngStatus::MissingRows);
  EXPECT_EQ(info.rowsDecoded, 1);
  EXPECT_EQ(decode(pngFile(header(2, 2, 8, 2), {}), info), PngStatus::MissingRows);
  EXPECT_EQ(decode(kHeadless, info), PngStatus::NoHeader);
  EXPECT_EQ(decode(kBrokenStream, info), PngStatus::BadStream);
  EXPECT_EQ(info.stream, InflateStatus::BadBlockType);

  // Image data in many chunks with others between them.
  const Bytes pixels = pattern(9, 6, 4), file = rawPng(pixels, 9, 6, 4, 20);
  ASSERT_EQ(decode(file, info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), pixels);
  Bytes lying = file;
  lying[8] = 0x7f;  // a chunk length past the end of the data ends the walk
  EXPECT_EQ(decode(lying, info), PngStatus::NoHeader);
  // Cut anywhere: refused, or the whole picture when only the end chunk is missing.
  for (size_t n = 0; n < file.size(); n++)
    if (decode(Bytes(file.begin(), file.begin() + long(n)), info) == PngStatus::Ok) {
      EXPECT_EQ(decodedPixels(info), pixels) << n;
    }
}

// libpng's reading of an 8-bit non-interlaced RGB or RGBA file: the only
// kind the player accepts. Empty for every other file.
Bytes libpngDecodeAccepted(const Bytes& file) {
  struct Source {
    const Bytes* file;
    size_t at;
  } source{&file, 8};
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) return {};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes pixels;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
      auto* s = static_cast<Source*>(png_get_io_ptr(p));
      if (s->at + n > s->file->size()) png_error(p, "short file");
      std::memcpy(out, s->file->data() + s->at, n);
      s->at += n;
    });
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 8 && (type == 2 || type == 6) &&
        png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
      const size_t rowBytes = png_get_rowbytes(png, info), rows = png_get_image_height(png, info);
      pixels.resize(rowBytes * rows);
      for (size_t y = 0; y < rows; y++) png_read_row(png, &pixels[y * rowBytes], nullptr);
    }
  } else {
    pixels.clear();
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return pixels;
}

TEST(PngDecode, ConformanceSuiteAcceptsExactlyEightBitTruecolourWithLibpngsPixels) {
  int accepted = 0, files = 0;
  for (const char* folder : {"png-pngsuite", "png-libjpeg-turbo"}) {
    const CommandResult list = runCommand("ls '" + corpusPath(folder) + "' | grep '\\.png$'");
    std::istringstream names(list.output);
    for (std::string name; std::getline(names, name); files++) {
      const Bytes file = toBytes(readFile(corpusPath(std::string(folder) + "/" + name)));
      const Bytes expected = libpngDecodeAccepted(file);
      PngInfo info;
      const bool ok = decode(file, info) == PngStatus::Ok;
      EXPECT_EQ(ok, !expected.empty()) << name;
      if (ok && !expected.empty()) {
        EXPECT_TRUE(decodedPixels(info) == expected) << name;
      }
      accepted += ok;
    }
  }
  EXPECT_GE(files, 170) << "conformance pictures missing";
  EXPECT_GE(accepted, 30);
}

// ---- Loading, caching and drawing ------------------------------------------

class PngLoaderTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    SystemSizeW = 640, SystemSizeH = 480;
  }
  static Bytes frame() { return Bytes(gHaikeiBits, gHaikeiBits + kFrameBytes); }
  static void save(int number, const Bytes& file) { writeFile(std::to_string(number) + ".png", file); }
  static void draw(int number, uint32_t layer) {
    fillFrame();
    rOPGpng(gHaikeiBits, number, layer);
  }
};

TEST_F(PngLoaderTest, RefusedPicturesClearTheTop68RowsOthersLeaveEverything) {
  Bytes cleared(kFrameBytes, kFill);
  std::fill_n(cleared.begin(), 1920 * 68 * 3, 0);
  save(5, toBytes(readFile(corpusPath("png-pngsuite/basn3p08.png"))));
  save(6, Bytes{'G', 'I', 'F', '8', '9', 'a'});
  for (int n : {5, 6}) {
    draw(n, 1);
    EXPECT_TRUE(frame() == cleared && cash_get2(n) == -1) << n;
  }
  save(8, kBrokenStream);
  save(9, kHeadless);
  for (uint32_t layer : {0u, 1u, 6u}) {
    draw(77, layer);  // no such file
    draw(8, layer);
    testing::internal::CaptureStdout();
    draw(9, layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), layer == 6 ? "dotsize err\n" : "") << layer;
    EXPECT_TRUE(frame() == Bytes(kFrameBytes, kFill)) << layer;
  }
  for (int n : {77, 8, 9}) EXPECT_EQ(cash_get2(n), -1);
}

// Placement and edge darkening are the shared blit's; the loader picks the mode and the rows.
// The decode tool writes the decoded pixels as PPM or PAM.
TEST_F(PngLoaderTest, LayerPicksOpaqueKeyedOrBlendedAndTheRowsDrawnTheToolWritesThePixels) {
  // 4 x 2, key colour (top-left) red.
  const Bytes pixels = {255, 0, 0, 50, 60, 70, 255, 0, 0, 1, 2, 3, 10, 20, 30, 255, 0, 0, 40, 40, 40, 4, 4, 4};
  Bytes rgba(4 * 2 * 4, 9);
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  save(3, rawPng(pixels, 4, 2, 3));
  save(12, rawPng(rgba, 4, 2, 4));
  SystemSizeH = 1;  // keyed side characters stop at the design height; the others draw every row
  draw(3, 7);
  EXPECT_TRUE(frame() == Bytes(kFrameBytes, kFill) && cash_dotsize2[cash_get2(3)] == 3) << "unused layers only cache";
  draw(3, 0);
  EXPECT_TRUE(pixelAt(0, 0) == (Rgb{255, 0, 0}) && pixelAt(3, 1) == (Rgb{4, 4, 4}));
  draw(3, 1);  // x = (640 - 4) / 2 = 318
  EXPECT_TRUE(untouched(318, 0) && pixelAt(319, 0) == (Rgb{25, 30, 35}) && pixelAt(321, 1) == (Rgb{4, 4, 4}));
  draw(3, 2);  // x = (320 - 4) / 2
  EXPECT_TRUE(pixelAt(159, 0) == (Rgb{25, 30, 35}) && untouched(161, 1));
  draw(12, 3);  // x = (320 + 640 - 4) / 2
  EXPECT_EQ(pixelAt(478, 1), (Rgb{9, 9, 9}));
  EXPECT_EQ(decodeWithTool("png", "3.png").rgb, pixels);
  ASSERT_EQ(runTool("decode png 12.png out.pam").status, 0);
  EXPECT_EQ(readFile("out.pam"), "P7\nWIDTH 4\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" +
                                     std::string(rgba.begin(), rgba.end()));
}

}  // namespace
