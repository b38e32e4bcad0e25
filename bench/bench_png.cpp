// PNG decoding and inflate, side by side with libpng + zlib in the same run.
// The pictures are synthesised photographs (gradients, texture and sensor
// noise), 1920 x 1080, encoded by libpng with its default filter choice.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/inflate.h"
#include "image/png_decode.h"
#include "scenario/engine_state.h"
#include "bench_support.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kW = 1920, kH = 1080;

Bytes photograph(int channels) {
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 2.0);
  Bytes pixels(size_t(kW) * kH * channels);
  for (int y = 0; y < kH; y++) {
    for (int x = 0; x < kW; x++) {
      uint8_t* p = &pixels[(size_t(y) * kW + x) * channels];
      const double sky = 200.0 - y * 0.1 + 20.0 * std::sin(x * 0.004);
      const double ground = 90.0 + 30.0 * std::sin(x * 0.05) * std::cos(y * 0.03);
      const double base = y < 500 + 60.0 * std::sin(x * 0.003) ? sky : ground;
      for (int c = 0; c < 3; c++) {
        double v = base * (0.8 + 0.15 * c) + noise(rng);
        p[c] = uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
      }
      if (channels == 4) {
        const double dx = x - kW / 2.0, dy = y - kH / 2.0;
        const double r = std::sqrt(dx * dx + dy * dy);
        p[3] = r < 400 ? 255 : r > 520 ? 0 : uint8_t(255 - (r - 400) * 255 / 120);
      }
    }
  }
  return pixels;
}

void writeBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

Bytes encodePng(const Bytes& pixels, int channels) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &file, writeBytes, nullptr);
  png_set_IHDR(png, info, kW, kH, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < kH; y++)
    png_write_row(png, const_cast<png_bytep>(&pixels[size_t(y) * kW * channels]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

struct Picture {
  Bytes pixels, file, idat;
};

// The zlib stream of a PNG: its IDAT chunks joined.
Bytes gatherIdat(const Bytes& file) {
  Bytes idat;
  for (size_t pos = 8; pos + 12 <= file.size();) {
    uint32_t n = uint32_t(file[pos]) << 24 | file[pos + 1] << 16 | file[pos + 2] << 8 | file[pos + 3];
    if (std::memcmp(&file[pos + 4], "IDAT", 4) == 0)
      idat.insert(idat.end(), file.begin() + long(pos + 8), file.begin() + long(pos + 8 + n));
    pos += 12 + n;
  }
  return idat;
}

const Picture& picture(int channels) {
  static Picture pictures[2];
  Picture& p = pictures[channels == 4];
  if (p.file.empty()) {
    p.pixels = photograph(channels);
    p.file = encodePng(p.pixels, channels);
    p.idat = gatherIdat(p.file);
  }
  return p;
}

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

void decodeWithTavino(benchmark::State& state, const Picture& p) {
  std::memcpy(gfilework, p.file.data(), p.file.size());
  PngInfo info;
  if (decodePngPicture(p.file.size(), info) != PngStatus::Ok) state.SkipWithError("decode failed");
  benchmark::DoNotOptimize(gfilework[0]);
}

void decodeWithLibpng(const Picture& p, std::vector<png_bytep>& rows) {
  MemoryReader reader{&p.file, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_read_fn(png, &reader, readBytes);
  png_read_info(png, info);
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  benchmark::DoNotOptimize(rows[0][0]);
}

// libpng's output rows, pointing into `out`.
std::vector<png_bytep> rowPointers(Bytes& out, int channels) {
  std::vector<png_bytep> rows(kH);
  for (int y = 0; y < kH; y++) rows[y] = &out[size_t(y) * kW * channels];
  return rows;
}

void BM_PngDecode_Tavino(benchmark::State& state) {
  const Picture& p = picture(int(state.range(0)));
  for (auto _ : state) decodeWithTavino(state, p);
  if (std::memcmp(gfilework, p.pixels.data(), p.pixels.size()) != 0)
    state.SkipWithError("wrong pixels");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.pixels.size()));
  state.counters["file_MB"] = double(p.file.size()) / 1e6;
}

void BM_PngDecode_Libpng(benchmark::State& state) {
  const int channels = int(state.range(0));
  const Picture& p = picture(channels);
  Bytes out(p.pixels.size());
  std::vector<png_bytep> rows = rowPointers(out, channels);
  for (auto _ : state) decodeWithLibpng(p, rows);
  if (out != p.pixels) state.SkipWithError("wrong pixels");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.pixels.size()));
}

// Player time over libpng time on the same file, alternating.
void BM_PngRatioToLibpng(benchmark::State& state) {
  const int channels = int(state.range(0));
  const Picture& p = picture(channels);
  Bytes out(p.pixels.size());
  std::vector<png_bytep> rows = rowPointers(out, channels);
  timeAgainstReference(state, [&] { decodeWithTavino(state, p); }, [&] { decodeWithLibpng(p, rows); });
  if (std::memcmp(gfilework, p.pixels.data(), p.pixels.size()) != 0 || out != p.pixels)
    state.SkipWithError("wrong pixels");
}

void countBytes(void* context, const uint8_t* bytes, size_t n) {
  *static_cast<size_t*>(context) += n;
  benchmark::DoNotOptimize(bytes);
}

void BM_Inflate_Tavino(benchmark::State& state) {
  const Picture& p = picture(int(state.range(0)));
  size_t produced = 0;
  for (auto _ : state) {
    produced = 0;
    if (inflateZlibStream(p.idat.data(), p.idat.size(), countBytes, &produced) != InflateStatus::Ok)
      state.SkipWithError("inflate failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(produced));
}

void BM_Inflate_Zlib(benchmark::State& state) {
  const Picture& p = picture(int(state.range(0)));
  const size_t rawSize = p.pixels.size() + kH;
  Bytes out(rawSize);
  for (auto _ : state) {
    uLongf n = uLongf(out.size());
    if (uncompress(out.data(), &n, p.idat.data(), uLong(p.idat.size())) != Z_OK)
      state.SkipWithError("uncompress failed");
    benchmark::DoNotOptimize(out[0]);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rawSize));
}

// Player time over zlib time on the same stream, alternating.
void BM_InflateRatioToZlib(benchmark::State& state) {
  const Picture& p = picture(int(state.range(0)));
  Bytes out(p.pixels.size() + kH);
  size_t produced = 0;
  timeAgainstReference(
      state,
      [&] {
        produced = 0;
        if (inflateZlibStream(p.idat.data(), p.idat.size(), countBytes, &produced) !=
            InflateStatus::Ok)
          state.SkipWithError("inflate failed");
      },
      [&] {
        uLongf n = uLongf(out.size());
        if (uncompress(out.data(), &n, p.idat.data(), uLong(p.idat.size())) != Z_OK)
          state.SkipWithError("uncompress failed");
      });
}

}  // namespace

const std::vector<uint8_t>& benchPngPhotograph(int channels) { return picture(channels).file; }

BENCHMARK(BM_PngDecode_Tavino)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode_Libpng)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Tavino)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Inflate_Zlib)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateRatioToZlib)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRatioToLibpng)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
