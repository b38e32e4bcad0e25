// BMP loading, run-length decoding and cache redraws at full frame size.
// SDL's own BMP reader runs beside ours as the reference.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "image/bmp.h"
#include "image/rle.h"
#include "scenario/engine_state.h"

namespace {

// 1920 x 1080, 24 bits, bottom-up; about a third of the pixels carry the key
// colour of the bottom-left pixel, as a character picture would.
const std::vector<uint8_t>& bmpFile() {
  static std::vector<uint8_t> file = [] {
    const int w = 1920, h = 1080, stride = w * 3;
    std::vector<uint8_t> v(54 + size_t(stride) * h);
    auto put32 = [&](size_t at, uint32_t x) { std::memcpy(&v[at], &x, 4); };
    v[0] = 'B', v[1] = 'M';
    put32(2, uint32_t(v.size())), put32(10, 54), put32(14, 40), put32(18, w), put32(22, h);
    v[26] = 1, v[28] = 24;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        uint8_t* p = &v[54 + size_t(y) * stride + size_t(x) * 3];
        const bool key = (x / 64 + y / 64) % 3 == 0;
        p[0] = key ? 0 : uint8_t(x), p[1] = key ? 255 : uint8_t(y), p[2] = key ? 0 : uint8_t(x + y);
      }
    return v;
  }();
  return file;
}

void drawBmp(benchmark::State& state, uint32_t layer) {
  const std::vector<uint8_t>& file = bmpFile();
  SystemSizeW = 1920, SystemSizeH = 1080;
  for (auto _ : state) {
    std::memcpy(gfilework, file.data(), file.size());  // the loader converts in place
    bmpDraw(gHaikeiBits, int32_t(file.size()), layer);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_Bmp1920x1080Background(benchmark::State& state) { drawBmp(state, 0); }
void BM_Bmp1920x1080KeyedCharacter(benchmark::State& state) { drawBmp(state, 1); }

void BM_SdlLoadBmp1920x1080(benchmark::State& state) {
  const std::vector<uint8_t>& file = bmpFile();
  for (auto _ : state) {
    SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1);
    benchmark::DoNotOptimize(s);
    SDL_FreeSurface(s);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

// A background in which every other group of eight positions is a run and
// the rest are colour commands: about half the work is floating point.
const std::vector<uint8_t>& rleStream() {
  static std::vector<uint8_t> s = [] {
    std::vector<uint8_t> v = {128};
    for (int p = 0; p < 640 * 480; p += 16) {
      for (int i = 0; i < 8; i++) v.push_back(uint8_t(8 + (p / 16 + i * 29) % 240)), v.push_back(uint8_t(p + i * 7));
      v.push_back(kRleRepeat), v.push_back(7);
    }
    return v;
  }();
  return s;
}

void BM_RleBackground640x480(benchmark::State& state) {
  const std::vector<uint8_t>& stream = rleStream();
  for (auto _ : state) {
    rleDraw(gHaikeiBits, stream.data(), int64_t(stream.size()), 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 640 * 480);
}

// Character-like pixels: a transparent (key or alpha 0) surround, an opaque
// figure in the middle third of each row, and soft 16-pixel edges in RGBA.
// With `everyPixelBlended` every alpha is partial instead: the worst case.
void cacheRedraw(benchmark::State& state, int bytesPerPixel, int32_t layer, bool everyPixelBlended = false) {
  cacheFreeAll();
  const int w = 1920, h = 1080;
  std::vector<uint8_t> px(size_t(w) * h * bytesPerPixel);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint8_t* p = &px[(size_t(y) * w + x) * bytesPerPixel];
      const bool figure = x >= 640 && x < 1280;
      p[0] = figure ? uint8_t(x) : 0, p[1] = figure ? uint8_t(y) : 255, p[2] = figure ? uint8_t(x + y) : 0;
      if (bytesPerPixel == 4) {
        const int edge = std::min(std::abs(x - 640), std::abs(x - 1280));
        p[3] = everyPixelBlended ? uint8_t(1 + (x * 7 + y) % 253)
               : edge < 16      ? uint8_t(edge * 16)
               : figure         ? 255
                                : 0;
      }
    }
  cacheStorePicture(1, px.data(), w, h, bytesPerPixel);
  SystemSizeW = 1920, SystemSizeH = 1080;
  const int32_t entry = cash_get2(1);
  for (auto _ : state) {
    rOPGpng2(gHaikeiBits, entry, layer);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(px.size()));
  cacheFreeAll();
}

void BM_CacheRedrawRgb1920x1080Background(benchmark::State& state) { cacheRedraw(state, 3, 0); }
void BM_CacheRedrawRgb1920x1080Keyed(benchmark::State& state) { cacheRedraw(state, 3, 1); }
void BM_CacheRedrawRgba1920x1080(benchmark::State& state) { cacheRedraw(state, 4, 1); }
void BM_CacheRedrawRgba1920x1080AllBlended(benchmark::State& state) { cacheRedraw(state, 4, 1, true); }

}  // namespace

BENCHMARK(BM_Bmp1920x1080Background)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp1920x1080KeyedCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlLoadBmp1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RleBackground640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheRedrawRgb1920x1080Background)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheRedrawRgb1920x1080Keyed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheRedrawRgba1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheRedrawRgba1920x1080AllBlended)->Unit(benchmark::kMillisecond);
