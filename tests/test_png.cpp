// PNG pictures: decoding against libpng and the conformance suite, refusals,
// damaged files, and drawing, caching and redrawing on every layer.
#include <dirent.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/loaders.h"
#include "image/png_decode.h"
#include "image/png_rows.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- Making and reading PNG files ----------------------------------------

void writeBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void flushNothing(png_structp) {}

// libpng's own encoding, with one filter choice, IDAT chunks of at most
// `idatBytes` and a few ancillary chunks.
Bytes libpngEncode(const Bytes& pixels, int width, int height, int channels, int filters,
                   size_t idatBytes = 8192) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &file, writeBytes, flushNothing);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_set_compression_buffer_size(png, idatBytes);
  png_set_gAMA(png, info, 0.45455);
  png_text text{};
  text.compression = PNG_TEXT_COMPRESSION_NONE;
  text.key = const_cast<char*>("Comment");
  text.text = const_cast<char*>("made for a test");
  png_set_text(png, info, &text, 1);
  png_write_info(png, info);
  for (int y = 0; y < height; y++)
    png_write_row(png, const_cast<png_bytep>(&pixels[size_t(y) * width * channels]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

struct Decoded {
  bool ok = false;
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  Bytes pixels;  // raw samples as stored, no transformations
};

struct MemoryReader {
  const Bytes* file;
  size_t pos;
};
void readBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (r->pos + n > r->file->size()) png_error(png, "short file");
  std::memcpy(data, r->file->data() + r->pos, n);
  r->pos += n;
}
void silent(png_structp, png_const_charp) {}
void failRead(png_structp png, png_const_charp) { png_longjmp(png, 1); }

Decoded libpngDecode(const Bytes& file) {
  Decoded d;
  MemoryReader reader{&file, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failRead, silent);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    d.ok = false;
    return d;
  }
  png_set_read_fn(png, &reader, readBytes);
  png_read_info(png, info);
  png_get_IHDR(png, info, &d.width, &d.height, &d.depth, &d.colourType, &d.interlace, nullptr,
               nullptr);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  d.pixels.resize(rowBytes * d.height);
  for (png_uint_32 y = 0; y < d.height; y++) rows.push_back(&d.pixels[y * rowBytes]);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  d.ok = true;
  return d;
}

void chunk(Bytes& file, const char* type, const Bytes& data) {
  const uint32_t n = uint32_t(data.size());
  for (int s = 24; s >= 0; s -= 8) file.push_back(uint8_t(n >> s));
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(), uInt(n));
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

// A file around hand-written scanlines (filter bytes included).
Bytes handMadePng(uint32_t width, uint32_t height, int colourType, const Bytes& scanlines) {
  Bytes file = kSignature;
  chunk(file, "IHDR", header(width, height, 8, colourType));
  chunk(file, "IDAT", zlibCompress(scanlines));
  chunk(file, "IEND", {});
  return file;
}

PngStatus decode(const Bytes& file, PngInfo& info) {
  const size_t n = std::min(file.size(), size_t(kMaxFileRead));
  if (n) std::memcpy(gfilework, file.data(), n);
  return decodePngPicture(n, info);
}

Bytes decodedPixels(const PngInfo& info) {
  return Bytes(gfilework, gfilework + size_t(info.width) * info.height * info.bytesPerPixel);
}

Bytes randomPicture(int width, int height, int channels, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes p(size_t(width) * height * channels);
  for (size_t i = 0; i < p.size(); i++) p[i] = uint8_t((i / channels) % 97 + rng() % 40);
  return p;
}

// ---- Decoding ---------------------------------------------------------------

TEST(PngDecode, LibpngPicturesWithEveryFilterDecodeExactly) {
  const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                         PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
  for (int channels : {3, 4}) {
    for (int filter : filters) {
      for (int width : {1, 2, 7, 33, 301}) {
        const int height = 1 + width % 23;
        Bytes pixels = randomPicture(width, height, channels, uint32_t(width * filter));
        Bytes file = libpngEncode(pixels, width, height, channels, filter, 97);
        PngInfo info;
        ASSERT_EQ(decode(file, info), PngStatus::Ok) << width << " " << filter;
        ASSERT_EQ(info.width, width);
        ASSERT_EQ(info.height, height);
        ASSERT_EQ(info.bytesPerPixel, channels);
        ASSERT_EQ(decodedPixels(info), pixels) << "channels " << channels << " filter " << filter
                                               << " width " << width;
      }
    }
  }
}

// Ancillary chunks between IDAT chunks are skipped, and one IDAT chunk or
// many give the same picture.
TEST(PngDecode, ChunksBetweenManyIdatChunksAreSkipped) {
  Bytes pixels = randomPicture(40, 30, 4, 5);
  Bytes raw;
  for (int y = 0; y < 30; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), pixels.begin() + y * 160, pixels.begin() + (y + 1) * 160);
  }
  Bytes stream = zlibCompress(raw);
  Bytes file = kSignature;
  chunk(file, "gAMA", {0, 0, 0xb1, 0x8f});
  chunk(file, "IHDR", header(40, 30, 8, 6));
  chunk(file, "tRNS", {1, 2, 3, 4, 5, 6});
  for (size_t i = 0; i < stream.size(); i += 7) {
    chunk(file, "IDAT", Bytes(stream.begin() + long(i),
                              stream.begin() + long(std::min(stream.size(), i + 7))));
    chunk(file, "tEXt", {'a', 0, 'b'});
    chunk(file, "IDAT", {});
  }
  chunk(file, "IEND", {});
  PngInfo info;
  ASSERT_EQ(decode(file, info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), pixels);
}

std::vector<std::string> corpusPngs() {
  std::vector<std::string> files;
  for (const char* folder : {"png-pngsuite", "png-libjpeg-turbo"}) {
    std::string dir = corpusPath(folder);
    DIR* d = opendir(dir.c_str());
    if (!d) continue;
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 4 && name.substr(name.size() - 4) == ".png") files.push_back(dir + "/" + name);
    }
    closedir(d);
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Exactly the 8-bit, non-interlaced RGB and RGBA pictures are shown, with
// libpng's pixels; every other picture is refused without harm.
TEST(PngDecode, ConformanceSuiteMatchesLibpng) {
  const std::vector<std::string> files = corpusPngs();
  ASSERT_GE(files.size(), 170u);
  int shown = 0;
  for (const std::string& path : files) {
    std::string text = readFile(path);
    Bytes file(text.begin(), text.end());
    Decoded expected = libpngDecode(file);
    PngInfo info;
    PngStatus status = decode(file, info);
    const bool supported = expected.depth == 8 && expected.interlace == 0 &&
                           (expected.colourType == 2 || expected.colourType == 6);
    if (!expected.ok) {
      EXPECT_NE(status, PngStatus::Ok) << path;  // the broken files all fail somewhere
      continue;
    }
    if (!supported) {
      EXPECT_TRUE(status == PngStatus::Unsupported) << path;
      continue;
    }
    ASSERT_EQ(status, PngStatus::Ok) << path;
    EXPECT_EQ(uint32_t(info.width), expected.width) << path;
    EXPECT_EQ(uint32_t(info.height), expected.height) << path;
    EXPECT_EQ(decodedPixels(info), expected.pixels) << path;
    shown++;
  }
  EXPECT_GE(shown, 30);
}

TEST(PngDecode, OnlyBytesOneToThreeOfTheSignatureCount) {
  Bytes file = handMadePng(1, 1, 2, {0, 10, 20, 30});
  file[0] = 'x';
  file[4] = file[5] = file[6] = file[7] = 0;
  PngInfo info;
  ASSERT_EQ(decode(file, info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({10, 20, 30}));
  file[2] = 'n';
  EXPECT_EQ(decode(file, info), PngStatus::NotPng);
  EXPECT_EQ(decode(Bytes{0x89, 'P', 'N'}, info), PngStatus::NotPng);
}

TEST(PngDecode, UnsupportedAndOversizedHeadersAreRefused) {
  struct Case {
    Bytes ihdr;
    PngStatus status;
  };
  Bytes shortHeader = header(4, 4, 8, 2);
  shortHeader.resize(10);
  const Case cases[] = {
      {header(4, 4, 16, 2), PngStatus::Unsupported},
      {header(4, 4, 8, 3), PngStatus::Unsupported},
      {header(4, 4, 8, 0), PngStatus::Unsupported},
      {header(4, 4, 8, 4), PngStatus::Unsupported},
      {header(4, 4, 8, 2, 1), PngStatus::Unsupported},  // interlaced
      {shortHeader, PngStatus::Unsupported},
      {header(0, 4, 8, 2), PngStatus::TooLarge},
      {header(4, 0, 8, 6), PngStatus::TooLarge},
      {header(1921, 1080, 8, 6), PngStatus::TooLarge},  // 4 bytes a pixel: past the work buffer
      {header(0x80000000u, 1, 8, 2), PngStatus::TooLarge},
      {header(0xffffffffu, 0xffffffffu, 8, 6), PngStatus::TooLarge},
  };
  for (const Case& c : cases) {
    Bytes file = kSignature;
    chunk(file, "IHDR", c.ihdr);
    chunk(file, "IDAT", zlibCompress(Bytes(100, 0)));
    chunk(file, "IEND", {});
    PngInfo info;
    EXPECT_EQ(decode(file, info), c.status);
  }
  // The largest picture that fits is decoded.
  Bytes file = kSignature;
  chunk(file, "IHDR", header(1920, 1080, 8, 6));
  chunk(file, "IDAT", zlibCompress(Bytes(size_t(1920 * 4 + 1) * 1080, 0)));
  PngInfo info;
  EXPECT_EQ(decode(file, info), PngStatus::Ok);
}

// Rows are unfiltered with zeros above the first row and left of the first
// pixel; an unknown filter type leaves the row as stored.
TEST(PngDecode, FirstRowAndUnknownFilters) {
  Bytes scanlines = {4, 1, 2, 3, 4, 5, 6, 7, 8,   // Paeth on the first row: like Sub
                     2, 1, 1, 1, 1, 1, 1, 1, 1,   // Up
                     9, 9, 8, 7, 6, 5, 4, 3, 2};  // unknown: as stored
  PngInfo info;
  ASSERT_EQ(decode(handMadePng(2, 3, 6, scanlines), info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({1, 2, 3, 4, 6, 8, 10, 12,  //
                                        2, 3, 4, 5, 7, 9, 11, 13,  //
                                        9, 8, 7, 6, 5, 4, 3, 2}));
  scanlines = {2, 200, 100, 50, 3, 2, 5, 7, 9, 9};  // Up on the first row sees zeros
  ASSERT_EQ(decode(handMadePng(1, 2, 6, scanlines), info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({200, 100, 50, 3, 205, 107, 59, 12}));
}

// The straightforward definition of the five filters, byte by byte.
uint8_t unfilteredByte(int filter, int left, int above, int aboveLeft, int x) {
  switch (filter) {
    case 1: return uint8_t(x + left);
    case 2: return uint8_t(x + above);
    case 3: return uint8_t(x + (left + above) / 2);
    case 4: {
      int p = left + above - aboveLeft;
      int pa = std::abs(p - left), pb = std::abs(p - above), pc = std::abs(p - aboveLeft);
      return uint8_t(x + (pa <= pb && pa <= pc ? left : pb <= pc ? above : aboveLeft));
    }
    default: return uint8_t(x);
  }
}

TEST(PngRows, UnfilterMatchesTheDefinition) {
  std::mt19937 rng(9);
  for (int bpp : {3, 4}) {
    for (int filter = 0; filter <= 5; filter++) {
      for (size_t pixels : {1, 2, 5, 64, 300}) {
        const size_t n = pixels * bpp;
        // Few distinct values make the Paeth predictor's ties common.
        const unsigned range = pixels == 300 ? 5 : 256;
        Bytes above(n), row(n);
        for (auto& b : above) b = uint8_t(rng() % range);
        for (auto& b : row) b = uint8_t(rng() % range);
        for (bool first : {false, true}) {
          Bytes expected(n);
          for (size_t i = 0; i < n; i++) {
            int left = i >= size_t(bpp) ? expected[i - bpp] : 0;
            int up = first ? 0 : above[i];
            int upLeft = first || i < size_t(bpp) ? 0 : above[i - bpp];
            expected[i] = unfilteredByte(filter, left, up, upLeft, row[i]);
          }
          Bytes got = row;
          unfilterRow(got.data(), first ? nullptr : above.data(), n, bpp, filter);
          ASSERT_EQ(got, expected) << "bpp " << bpp << " filter " << filter << " first " << first;
        }
      }
    }
  }
}

// The row builder takes its input in pieces of any size.
TEST(PngRows, InputSplitAnywhereGivesTheSameRows) {
  std::mt19937 rng(4);
  const int width = 5, height = 7, bpp = 4;
  Bytes scan;
  for (int y = 0; y < height; y++) {
    scan.push_back(uint8_t(y % 5));
    for (int i = 0; i < width * bpp; i++) scan.push_back(uint8_t(rng()));
  }
  Bytes whole(width * height * bpp), pieces(whole.size());
  PngRowBuilder a{whole.data(), width * bpp, bpp, height};
  a.feed(scan.data(), scan.size());
  PngRowBuilder b{pieces.data(), width * bpp, bpp, height};
  for (size_t i = 0; i < scan.size();) {
    size_t n = std::min(scan.size() - i, size_t(rng() % 9));
    b.feed(scan.data() + i, n);
    i += n;
  }
  EXPECT_TRUE(a.complete());
  EXPECT_TRUE(b.complete());
  EXPECT_EQ(whole, pieces);
}

TEST(PngDecode, ShortAndLongImageData) {
  PngInfo info;
  // Too many bytes: what follows the last row is ignored.
  Bytes scan = {0, 1, 2, 3, 0, 4, 5, 6, 1, 9, 9, 9, 9, 9};
  ASSERT_EQ(decode(handMadePng(1, 2, 2, scan), info), PngStatus::Ok);
  EXPECT_EQ(decodedPixels(info), Bytes({1, 2, 3, 4, 5, 6}));
  // Too few, or none at all: refused.
  scan = {0, 1, 2, 3, 4, 5, 6, 1, 1, 2, 3, 4, 5};
  EXPECT_EQ(decode(handMadePng(2, 3, 2, scan), info), PngStatus::MissingRows);
  EXPECT_EQ(info.rowsDecoded, 1);
  Bytes file = kSignature;
  chunk(file, "IHDR", header(2, 2, 8, 2));
  chunk(file, "IEND", {});
  EXPECT_EQ(decode(file, info), PngStatus::MissingRows);
}

TEST(PngDecode, DamagedFilesNeverReadOrWriteOutside) {
  Bytes pixels = randomPicture(9, 6, 3, 2);
  const Bytes file = libpngEncode(pixels, 9, 6, 3, PNG_ALL_FILTERS, 20);
  PngInfo info;
  // Cut anywhere: refused, or the whole picture when only the end chunk is missing.
  for (size_t n = 0; n < file.size(); n++) {
    PngStatus status = decode(Bytes(file.begin(), file.begin() + long(n)), info);
    if (status == PngStatus::Ok) {
      EXPECT_EQ(decodedPixels(info), pixels) << n;
    }
  }
  // A chunk length past the end of the data ends the walk.
  Bytes lying = file;
  lying[8] = 0x7f;
  EXPECT_EQ(decode(lying, info), PngStatus::NoHeader);
  // No header chunk.
  Bytes headless = kSignature;
  chunk(headless, "IDAT", zlibCompress(Bytes(10, 0)));
  chunk(headless, "IEND", {});
  EXPECT_EQ(decode(headless, info), PngStatus::NoHeader);
  // Broken image data.
  Bytes broken = kSignature;
  chunk(broken, "IHDR", header(2, 2, 8, 2));
  chunk(broken, "IDAT", {0x78, 0x01, 0x07, 0, 0, 0, 0});
  EXPECT_EQ(decode(broken, info), PngStatus::BadStream);
  EXPECT_EQ(info.stream, InflateStatus::BadBlockType);
  // Bytes flipped anywhere.
  std::mt19937 rng(8);
  for (int trial = 0; trial < 2000; trial++) {
    Bytes damaged = file;
    damaged[rng() % damaged.size()] ^= uint8_t(1 << rng() % 8);
    decode(damaged, info);
  }
}

// ---- Loading, caching and drawing ------------------------------------------

class PngLoaderTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    SystemSizeW = 640;
    SystemSizeH = 480;
    paintBackground();
  }
  static void paintBackground() {
    for (size_t i = 0; i < size_t(kFrameBytes); i++) gHaikeiBits[i] = uint8_t(i * 7 % 251);
  }
  static Bytes frame() { return Bytes(gHaikeiBits, gHaikeiBits + kFrameBytes); }
  static Bytes background() {
    Bytes f(kFrameBytes);
    for (size_t i = 0; i < f.size(); i++) f[i] = uint8_t(i * 7 % 251);
    return f;
  }
  static void save(int number, const Bytes& file) { writeFile(std::to_string(number) + ".png", file); }
  static Bytes pixel(const Bytes& f, int x, int y) {
    const uint8_t* p = framePixel(f.data(), x, y);
    return Bytes(p, p + 3);
  }
};

Bytes solidPicture(int width, int height, int channels, std::initializer_list<uint8_t> value) {
  Bytes p;
  for (int i = 0; i < width * height; i++) p.insert(p.end(), value.begin(), value.end());
  (void)channels;
  return p;
}

TEST_F(PngLoaderTest, RefusedPicturesClearTheTop68Rows) {
  for (const char* name : {"basn2c16.png", "basn3p08.png", "basn0g08.png", "basi2c08.png"}) {
    std::string text = readFile(corpusPath(std::string("png-pngsuite/") + name));
    save(5, Bytes(text.begin(), text.end()));
    paintBackground();
    rOPGpng(gHaikeiBits, 5, 1);
    Bytes f = frame(), bg = background();
    EXPECT_TRUE(std::all_of(f.begin(), f.begin() + 391680, [](uint8_t b) { return b == 0; }))
        << name;
    EXPECT_TRUE(std::equal(f.begin() + 391680, f.end(), bg.begin() + 391680)) << name;
    EXPECT_EQ(cash_get2(5), -1);
  }
  save(6, Bytes{'G', 'I', 'F', '8', '9', 'a'});
  paintBackground();
  rOPGpng(gHaikeiBits, 6, 0);
  EXPECT_EQ(gHaikeiBits[391679], 0);
  EXPECT_EQ(gHaikeiBits[391680], background()[391680]);
}

TEST_F(PngLoaderTest, MissingFilesAndBrokenStreamsLeaveEverything) {
  rOPGpng(gHaikeiBits, 77, 0);
  Bytes broken = kSignature;
  chunk(broken, "IHDR", header(2, 2, 8, 2));
  chunk(broken, "IDAT", {0x78, 0x01, 0x07, 0, 0, 0, 0});
  save(8, broken);
  for (uint32_t layer : {0u, 1u, 6u}) rOPGpng(gHaikeiBits, 8, layer);
  EXPECT_EQ(frame(), background());
  EXPECT_EQ(cash_get2(77), -1);
  EXPECT_EQ(cash_get2(8), -1);
}

TEST_F(PngLoaderTest, NoHeaderReportsDotsizeOnTheOverlayLayerOnly) {
  Bytes headless = kSignature;
  chunk(headless, "IDAT", zlibCompress(Bytes(10, 0)));
  chunk(headless, "IEND", {});
  save(9, headless);
  for (uint32_t layer : {0u, 1u, 2u, 3u, 4u, 6u}) {
    testing::internal::CaptureStdout();
    rOPGpng(gHaikeiBits, 9, layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), layer == 6 ? "dotsize err\n" : "");
  }
  EXPECT_EQ(frame(), background());
  EXPECT_EQ(cash_get2(9), -1);
}

TEST_F(PngLoaderTest, RgbOpaqueOnTheBackgroundKeyedElsewhere) {
  // 4 x 2: key colour (top-left) red; a visible run after a keyed pixel is darkened.
  Bytes pixels = {255, 0, 0, 100, 100, 100, 255, 0, 0, 50, 60, 70,
                  10, 20, 30, 255, 0, 0, 200, 200, 200, 40, 40, 40};
  save(3, libpngEncode(pixels, 4, 2, 3, PNG_FILTER_PAETH));
  rOPGpng(gHaikeiBits, 3, 0);
  Bytes f = frame();
  EXPECT_EQ(pixel(f, 0, 0), Bytes({255, 0, 0}));
  EXPECT_EQ(pixel(f, 3, 1), Bytes({40, 40, 40}));
  ASSERT_GE(cash_get2(3), 0);
  EXPECT_EQ(cash_dotsize2[cash_get2(3)], 3);

  paintBackground();
  const Bytes bg = background();
  rOPGpng(gHaikeiBits, 3, 1);  // x = (640 - 4) / 2 = 318
  f = frame();
  EXPECT_EQ(pixel(f, 318, 0), pixel(bg, 318, 0));           // key: untouched
  EXPECT_EQ(pixel(f, 319, 0), Bytes({50, 50, 50}));         // first visible: halved
  EXPECT_EQ(pixel(f, 321, 0), Bytes({25, 30, 35}));         // after a keyed pixel again
  EXPECT_EQ(pixel(f, 318, 1), Bytes({10, 20, 30}));         // edge flag carried over the row end
  EXPECT_EQ(pixel(f, 320, 1), Bytes({100, 100, 100}));
  EXPECT_EQ(pixel(f, 321, 1), Bytes({40, 40, 40}));
}

TEST_F(PngLoaderTest, SideCharactersStopAtTheDesignHeightOnlyWhenKeyed) {
  SystemSizeH = 3;
  Bytes rgb = solidPicture(200, 5, 3, {9, 9, 9});
  rgb[0] = 1;  // a key colour that occurs nowhere else
  save(11, libpngEncode(rgb, 200, 5, 3, PNG_FILTER_SUB));
  Bytes rgba = solidPicture(200, 5, 4, {9, 9, 9, 255});
  save(12, libpngEncode(rgba, 200, 5, 4, PNG_FILTER_UP));
  const Bytes bg = background();

  rOPGpng(gHaikeiBits, 11, 2);  // x = (320 - 200) / 2 = 60
  Bytes f = frame();
  EXPECT_EQ(pixel(f, 61, 2), Bytes({9, 9, 9}));
  EXPECT_EQ(pixel(f, 61, 3), pixel(bg, 61, 3));

  paintBackground();
  rOPGpng(gHaikeiBits, 11, 3);  // x = (320 + 640 - 200) / 2 = 380
  f = frame();
  EXPECT_EQ(pixel(f, 381, 2), Bytes({9, 9, 9}));
  EXPECT_EQ(pixel(f, 381, 3), pixel(bg, 381, 3));

  paintBackground();
  rOPGpng(gHaikeiBits, 11, 1);  // the centre character draws every row
  EXPECT_EQ(pixel(frame(), 221, 4), Bytes({9, 9, 9}));

  paintBackground();
  rOPGpng(gHaikeiBits, 12, 2);
  EXPECT_EQ(pixel(frame(), 60, 4), Bytes({9, 9, 9}));
}

TEST_F(PngLoaderTest, AlphaBlendsInWholePercent) {
  // Destination 200; source 0 with alpha 0, 1, 2, 3, 128, 254, 255.
  const uint8_t alphas[] = {0, 1, 2, 3, 128, 254, 255};
  Bytes rgba;
  for (uint8_t a : alphas) rgba.insert(rgba.end(), {0, 100, 255, a});
  save(13, libpngEncode(rgba, 7, 1, 4, PNG_FILTER_AVG));
  std::memset(gHaikeiBits, 200, kFrameBytes);
  rOPGpng(gHaikeiBits, 13, 6);
  Bytes f = frame();
  const Bytes expected[] = {{200, 200, 200}, {200, 200, 200}, {200, 200, 200}, {198, 199, 200},
                            {100, 150, 227}, {2, 101, 254},   {0, 100, 255}};
  for (int x = 0; x < 7; x++) EXPECT_EQ(pixel(f, x, 0), expected[x]) << "alpha " << int(alphas[x]);
}

TEST_F(PngLoaderTest, OpaqueRgbaOnTheBackgroundDrawsLikeRgb) {
  Bytes rgb = randomPicture(30, 20, 3, 1), rgba;
  for (size_t i = 0; i < rgb.size(); i += 3) rgba.insert(rgba.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
  save(21, libpngEncode(rgb, 30, 20, 3, PNG_ALL_FILTERS));
  save(22, libpngEncode(rgba, 30, 20, 4, PNG_ALL_FILTERS));
  rOPGpng(gHaikeiBits, 21, 0);
  Bytes viaRgb = frame();
  paintBackground();
  rOPGpng(gHaikeiBits, 22, 0);
  EXPECT_EQ(frame(), viaRgb);
  // Fully transparent draws nothing.
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 0;
  save(23, libpngEncode(rgba, 30, 20, 4, PNG_ALL_FILTERS));
  paintBackground();
  rOPGpng(gHaikeiBits, 23, 1);
  EXPECT_EQ(frame(), background());
}

TEST_F(PngLoaderTest, UnusedLayersDrawNothingButCache) {
  Bytes rgb = randomPicture(8, 8, 3, 3);
  save(31, libpngEncode(rgb, 8, 8, 3, PNG_FILTER_NONE));
  for (uint32_t layer : {4u, 5u, 7u, 100u}) {
    cacheFreeAll();
    rOPGpng(gHaikeiBits, 31, layer);
    EXPECT_EQ(frame(), background());
    int entry = cash_get2(31);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(Bytes(cashimg_CG2[entry], cashimg_CG2[entry] + rgb.size()), rgb);
    EXPECT_EQ(cash_width2[entry], 8);
    EXPECT_EQ(cash_height2[entry], 8);
  }
  // A number already cached keeps its first copy.
  Bytes other = randomPicture(8, 8, 3, 4);
  save(31, libpngEncode(other, 8, 8, 3, PNG_FILTER_NONE));
  rOPGpng(gHaikeiBits, 31, 0);
  int entry = cash_get2(31);
  EXPECT_EQ(Bytes(cashimg_CG2[entry], cashimg_CG2[entry] + rgb.size()), rgb);
  EXPECT_EQ(pixel(frame(), 0, 0), Bytes(other.begin(), other.begin() + 3));
}

// The first draw and the redraw from the cache agree inside the frame.
TEST_F(PngLoaderTest, CacheRedrawMatchesTheFirstDraw) {
  SystemSizeH = 40;
  Bytes rgb = randomPicture(90, 60, 3, 6);
  for (int y = 0; y < 60; y++)
    for (int x = 0; x < 10; x++) std::memcpy(&rgb[(y * 90 + x) * 3], rgb.data(), 3);
  Bytes rgba = randomPicture(90, 60, 4, 7);
  save(41, libpngEncode(rgb, 90, 60, 3, PNG_ALL_FILTERS));
  save(42, libpngEncode(rgba, 90, 60, 4, PNG_ALL_FILTERS));
  for (int number : {41, 42}) {
    for (uint32_t layer : {0u, 1u, 2u, 3u, 6u}) {
      cacheFreeAll();
      paintBackground();
      rOPGpng(gHaikeiBits, number, layer);
      Bytes first = frame();
      paintBackground();
      rOPGpng2(gHaikeiBits, cash_get2(number), int32_t(layer));
      Bytes again = frame();
      for (int y = 0; y < SystemSizeH; y++) {
        ASSERT_TRUE(std::equal(first.begin() + y * 5760, first.begin() + y * 5760 + SystemSizeW * 3,
                               again.begin() + y * 5760))
            << "picture " << number << " layer " << layer << " row " << y;
      }
    }
  }
}

// ---- The decode tool ---------------------------------------------------------

TEST_F(PngLoaderTest, DecodeToolWritesPpmOrPamAndRefusesWithOneLine) {
  Bytes rgb = randomPicture(5, 3, 3, 8), rgba = randomPicture(5, 3, 4, 9);
  save(1, libpngEncode(rgb, 5, 3, 3, PNG_ALL_FILTERS));
  save(2, libpngEncode(rgba, 5, 3, 4, PNG_ALL_FILTERS));
  const std::string tool = TAVINO_TOOL;
  ASSERT_EQ(runCommand(tool + " decode png 1.png out.ppm").status, 0);
  PpmImage ppm;
  ASSERT_TRUE(readPpm("out.ppm", ppm));
  EXPECT_EQ(ppm.rgb, rgb);
  ASSERT_EQ(runCommand(tool + " decode png 2.png out.pam").status, 0);
  std::string pam = readFile("out.pam");
  const std::string head = "P7\nWIDTH 5\nHEIGHT 3\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  ASSERT_EQ(pam.substr(0, head.size()), head);
  EXPECT_EQ(Bytes(pam.begin() + long(head.size()), pam.end()), rgba);

  std::string palette = readFile(corpusPath("png-pngsuite/basn3p08.png"));
  writeFile("3.png", palette);
  CommandResult refused = runCommand(tool + " decode png 3.png out3.ppm 2>&1 >/dev/null");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(std::count(refused.output.begin(), refused.output.end(), '\n'), 1);
  EXPECT_NE(refused.output.find("colour type 3"), std::string::npos);
  EXPECT_FALSE(fileExists("out3.ppm"));
}

}  // namespace

// ---- Through the player --------------------------------------------------------

TEST_F(PngLoaderTest, ScenarioShowsPngBackgroundAndCharacter) {
  Bytes blue, red;
  for (int i = 0; i < 800 * 600; i++) blue.insert(blue.end(), {0, 0, 200});
  for (int i = 0; i < 100 * 600; i++) red.insert(red.end(), {250, 0, 0, 255});
  save(1, libpngEncode(blue, 800, 600, 3, PNG_ALL_FILTERS));
  save(2, libpngEncode(red, 100, 600, 4, PNG_ALL_FILTERS));
  writeFile("sinario.txt",
            "SCENE:1\nSYSTEMSIZE:800x600\nHAIKEIPNG:1\nCHARAPNG:2\nKEYWAIT:\nCG.REDRAW:\nKEYWAIT:\n");
  const std::string out = dir_ + "/frames";
  CommandResult r = runCommand(std::string(TAVINO_TOOL) + " play --dir '" + dir_ +
                               "' --keys enter,enter --frames '" + out + "' 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  PpmImage first, cached;
  ASSERT_TRUE(readPpm(out + "/frame-0002.ppm", first));
  ASSERT_TRUE(readPpm(out + "/frame-0003.ppm", cached));
  // 800 x 600 shows as 960 x 720 from x = 160: the centre character covers design
  // columns 350 to 449.
  EXPECT_EQ(Bytes(first.at(640, 360), first.at(640, 360) + 3), Bytes({250, 0, 0}));
  EXPECT_EQ(Bytes(first.at(280, 360), first.at(280, 360) + 3), Bytes({0, 0, 200}));
  EXPECT_EQ(first.rgb, cached.rgb) << "the redraw from the cache";
}
