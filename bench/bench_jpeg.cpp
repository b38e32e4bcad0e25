// The player's JPEG decoder beside libjpeg-turbo on the same 1920 x 1080
// 4:2:0 photograph, in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>

#include <string>
#include <vector>

#include "image/jpeg_decoder.h"
#include "scenario/engine_state.h"
#include "bench_support.h"

namespace {

// Decodes into `rgb`, which is sized on the first call and then reused.
void libjpegDecodeInto(const std::vector<uint8_t>& file, std::vector<uint8_t>& rgb, int* width,
                       int* height) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  *width = int(cinfo.output_width);
  *height = int(cinfo.output_height);
  rgb.resize(size_t(*width) * *height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * *width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

std::vector<uint8_t> libjpegDecode(const std::vector<uint8_t>& file, int* width, int* height) {
  std::vector<uint8_t> rgb;
  libjpegDecodeInto(file, rgb, width, height);
  return rgb;
}

// A full-HD photograph: the corpus photo tiled at its own scale (mirrored so
// the seams stay smooth), which keeps a photograph's density of detail.
std::vector<uint8_t> makePhotograph() {
  int w = 0, h = 0;
  std::vector<uint8_t> photo =
      libjpegDecode(readAll(std::string(TAVINO_CORPUS_DIR) + "/jpg-libjpeg-turbo/testorig.jpg"), &w, &h);
  const int outW = 1920, outH = 1080;
  std::vector<uint8_t> big(size_t(outW) * outH * 3);
  for (int y = 0; y < outH; y++) {
    int sy = y % (2 * h);
    if (sy >= h) sy = 2 * h - 1 - sy;
    for (int x = 0; x < outW; x++) {
      int sx = x % (2 * w);
      if (sx >= w) sx = 2 * w - 1 - sx;
      for (int c = 0; c < 3; c++) big[(size_t(y) * outW + x) * 3 + c] = photo[(size_t(sy) * w + sx) * 3 + c];
    }
  }

  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = outW;
  cinfo.image_height = outH;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // 4:2:0
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = big.data() + size_t(cinfo.next_scanline) * outW * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> file(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return file;
}

const std::vector<uint8_t>& photograph() { return benchJpegPhotograph(); }

void BM_JpegPlayer1080p(benchmark::State& state) {
  const auto& file = photograph();
  JpegPicture picture;
  for (auto _ : state) {
    JpegError e = jpegDecode(file.data(), file.size(), gdata, sizeof gdata, picture);
    if (e != JpegError::None) state.SkipWithError(jpegErrorText(e));
    benchmark::DoNotOptimize(gdata[0]);
  }
  state.counters["file_KB"] = double(file.size()) / 1024;
}

void BM_JpegLibjpegTurbo1080p(benchmark::State& state) {
  const auto& file = photograph();
  int w, h;
  std::vector<uint8_t> rgb;
  for (auto _ : state) {
    libjpegDecodeInto(file, rgb, &w, &h);
    benchmark::DoNotOptimize(rgb.data());
  }
}

// Player time over libjpeg-turbo time on the same picture, alternating.
void BM_JpegRatioToLibjpegTurbo(benchmark::State& state) {
  const auto& file = photograph();
  JpegPicture picture;
  int w, h;
  std::vector<uint8_t> rgb;
  timeAgainstReference(
      state,
      [&] {
        if (jpegDecode(file.data(), file.size(), gdata, sizeof gdata, picture) != JpegError::None)
          state.SkipWithError("decode failed");
      },
      [&] { libjpegDecodeInto(file, rgb, &w, &h); });
}

}  // namespace

const std::vector<uint8_t>& benchJpegPhotograph() {
  static const std::vector<uint8_t> file = makePhotograph();
  return file;
}

BENCHMARK(BM_JpegPlayer1080p)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibjpegTurbo1080p)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegRatioToLibjpegTurbo)->Unit(benchmark::kMillisecond);
