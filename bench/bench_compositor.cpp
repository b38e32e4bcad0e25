// The compositor's two costs: a recomposition (fill, scaling of a 1920 x 1080
// scene into a 1280 x 720 window, centring, presentation) and a redraw with
// argument 0 (centring copy, decorations, presentation).
#include <benchmark/benchmark.h>

#include <cstring>

#include "display/display.h"
#include "scenario/engine_state.h"

namespace {

void setUpScene() {
  engineStateClear();
  w = 1280, h = 720, SystemFontSize = 72;
  resizeX = w, resizeY = h;
  SystemSizeW = 1920, SystemSizeH = 1080;
  HaikeiCG = 0;
  HaikeiCGtype = 0x336699;
  std::strcpy(Msg1, "\x82\xa0\x82\xa2");
}

void BM_RecomposeScaledScene(benchmark::State& state) {
  setUpScene();
  for (auto _ : state) {
    rGame(1);
    benchmark::DoNotOptimize(gUra[0]);
  }
}
BENCHMARK(BM_RecomposeScaledScene)->Unit(benchmark::kMillisecond);

void BM_RedrawOverLastScene(benchmark::State& state) {
  setUpScene();
  rGame(1);
  for (auto _ : state) {
    rGame(0);
    benchmark::DoNotOptimize(gUra[0]);
  }
}
BENCHMARK(BM_RedrawOverLastScene)->Unit(benchmark::kMillisecond);

void BM_ScaleOnly(benchmark::State& state) {
  setUpScene();
  for (int i = 0; i < kFrameBytes; i++) gHaikeiBits[i] = static_cast<uint8_t>(i * 7);
  for (auto _ : state) {
    rOPGresize(gUraCash, 1280, 720, gHaikeiBits, 1920, 1080);
    benchmark::DoNotOptimize(gUraCash[0]);
  }
}
BENCHMARK(BM_ScaleOnly)->Unit(benchmark::kMillisecond);

}  // namespace
