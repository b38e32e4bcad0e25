// The row filters on 3- and 4-byte pixels against libpng's encoder, one
// filter type forced per picture, and alpha drawing over stretches of
// wholly transparent and wholly opaque pixels.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "image/blit.h"
#include "image/png_decode.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"

namespace {

void append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

Bytes encodeWithFilter(const Bytes& pixels, int width, int height, int channels, int filter) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &file, append, nullptr);
  png_set_filter(png, 0, filter);
  png_set_IHDR(png, info, uint32_t(width), uint32_t(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; y++)
    png_write_row(png, const_cast<png_bytep>(&pixels[size_t(y) * width * channels]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

TEST(PngFilters, EveryFilterOnThreeAndFourBytePixelsGivesTheEncodedPixels) {
  const int width = 97, height = 23;
  std::mt19937 rng(5);
  for (int channels : {3, 4}) {
    // Noise around a gradient, so that every predictor choice of Paeth occurs.
    Bytes pixels(size_t(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = uint8_t(i / 40 + rng() % 9 * (i % 5));
    for (int filter : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                       PNG_FILTER_PAETH}) {
      const Bytes file = encodeWithFilter(pixels, width, height, channels, filter);
      std::memcpy(gfilework, file.data(), file.size());
      PngInfo info;
      ASSERT_EQ(decodePngPicture(file.size(), info), PngStatus::Ok);
      EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), gfilework))
          << channels << " channels, filter " << filter;
    }
  }
}

TEST(PngFilters, AlphaStretchesAreSkippedOrCopiedLikeSinglePixels) {
  // Runs of alpha 0 and 255 of every length up to 9, with blends between.
  const int width = 600;
  Bytes pixels(size_t(width) * 4);
  std::mt19937 rng(8);
  for (int x = 0, run = 0; x < width; run++) {
    const uint8_t alpha = run % 3 == 2 ? 128 : run % 3 ? 255 : 0;
    for (int n = 1 + int(rng() % 9); n > 0 && x < width; n--, x++) {
      for (int c = 0; c < 3; c++) pixels[size_t(x) * 4 + c] = uint8_t(rng());
      pixels[size_t(x) * 4 + 3] = alpha;
    }
  }
  for (int x0 : {0, -5, 1500}) {
    fillFrame();
    blitPicture(gHaikeiBits, {pixels.data(), width, 1, 4, PixelOrder::RGB, RowOrder::TopDown}, x0,
                1, BlitMode::Alpha);
    for (int x = std::max(0, x0); x < std::min(kFrameW, x0 + width); x++) {
      const uint8_t* p = &pixels[size_t(x - x0) * 4];
      const Rgb want = p[3] == 0     ? kUntouched
                       : p[3] == 255 ? Rgb{p[0], p[1], p[2]}
                                     : Rgb{uint8_t((p[0] * 50 + kFill * 50) / 100),
                                           uint8_t((p[1] * 50 + kFill * 50) / 100),
                                           uint8_t((p[2] * 50 + kFill * 50) / 100)};
      ASSERT_EQ(pixelAt(x, 0), want) << "x " << x << ", picture at " << x0;
    }
  }
}

}  // namespace
