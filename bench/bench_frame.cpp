// The whole path from a key press to the presented frame: rSPGkeyin(101)
// runs the statements, rGame composes (decoding what the cache lacks),
// scales the scene to the window and SDLview hands the frame to SDL (the
// dummy video driver, so SDL's own blit is counted). Four cases, in windows
// of 1280 x 720 and 1920 x 1080:
//   Message    the next message over an unchanged scene
//   Jpeg       a new 1920 x 1080 JPEG background with a message
//   Scene      that background and two 1920 x 1080 RGBA PNG characters, nothing cached
//   Cached     the same scene again, every picture from the cache
//   Alternate  that scene from the cache right after the same one with its
//              characters swapped, so every frame is composed anew
// "composed" counts the compositions painted per frame: the others were
// repeats of the scene already in the buffers.
#include <benchmark/benchmark.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/composition_memo.h"
#include "display/display.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "main/video_modes.h"
#include "scenario/engine_state.h"
#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "text/text.h"
#include "bench_support.h"

namespace {

// One scene per case; each ends by jumping back to its start, so every
// advance runs the same statements.
const char kScenario[] =
    "SCENE:1\r\nHAIKEIJPG:1\r\nMSG:\x82\xa0\x82\xa2\r\nMSG:\x82\xa4\x82\xa6\r\nGOTO:1\r\n"
    "SCENE:2\r\nHAIKEIJPG:1\r\nMSG:\x82\xa0\x82\xa2\r\nGOTO:2\r\n"
    "SCENE:3\r\nHAIKEIJPG:1\r\nCHARA.ICHI:1\r\nCHARAPNG:2\r\nCHARA.ICHI:2\r\nCHARAPNG:3\r\n"
    "MSG:\x82\xa0\x82\xa2\r\nGOTO:3\r\n"
    "SCENE:5\r\nHAIKEIJPG:1\r\nCHARA.ICHI:1\r\nCHARAPNG:2\r\nCHARA.ICHI:2\r\nCHARAPNG:3\r\n"
    "MSG:\x82\xa0\x82\xa2\r\nCHARA.ICHI:1\r\nCHARAPNG:3\r\nCHARA.ICHI:2\r\nCHARAPNG:2\r\n"
    "MSG:\x82\xa4\x82\xa6\r\nGOTO:5\r\n";

enum Case { kMessage = 1, kJpeg = 2, kScene = 3, kCached = 4, kAlternate = 5 };

bool writeBytes(const std::string& path, const void* bytes, size_t n) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

// The pictures and the scenario in a directory of their own; "" on failure.
const std::string& sceneDirectory() {
  static const std::string dir = [] {
    char name[] = "/tmp/tavino-frame-bench-XXXXXX";
    if (!mkdtemp(name)) return std::string();
    const std::string d = std::string(name) + "/";
    // Seven megabytes of pictures per run: gone when the run ends.
    static std::string removeAtExit;
    removeAtExit = d;
    std::atexit([] {
      for (const char* file : {"1.jpg", "2.png", "3.png", "sinario.txt"}) std::remove((removeAtExit + file).c_str());
      std::remove(removeAtExit.c_str());
    });
    const auto& jpeg = benchJpegPhotograph();
    const auto& png = benchPngPhotograph(4);
    if (!writeBytes(d + "1.jpg", jpeg.data(), jpeg.size()) ||
        !writeBytes(d + "2.png", png.data(), png.size()) ||
        !writeBytes(d + "3.png", png.data(), png.size()) ||
        !writeBytes(d + "sinario.txt", kScenario, sizeof kScenario - 1))
      return std::string();
    return d;
  }();
  return dir;
}

bool openWindow(int width, int height) {
  static bool started = false;
  if (!started) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return false;
    started = true;
  }
  w = width, h = height;
  resizeX = w, resizeY = h;
  SystemFontSize = fontSizeForWidth(w);
  screen = SDL_SetVideoMode(w, h, 32, SDL_HWSURFACE);
  return screen != nullptr;
}

void BM_Frame(benchmark::State& state) {
  const Case which = Case(state.range(0));
  const int width = int(state.range(1)), height = width == 1920 ? 1080 : 720;
  const std::string& dir = sceneDirectory();
  if (dir.empty()) return state.SkipWithError("cannot write the scene directory");
  if (readAll(TAVINO_FONT).empty()) return state.SkipWithError("no demo font; build tavino_font");
  if (!openWindow(width, height)) return state.SkipWithError("cannot open the dummy window");

  const std::string font = TAVINO_FONT;
  std::snprintf(pg_workdir, sizeof pg_workdir, "%s", font.substr(0, font.rfind('/') + 1).c_str());
  MsgFont = 0;
  fontread();
  std::snprintf(pg_workdir, sizeof pg_workdir, "%s", dir.c_str());
  std::snprintf(MyAppDir, sizeof MyAppDir, "%s", dir.c_str());
  setScenarioPath("sinario.txt");
  menumode = 0;
  cacheFreeAll();
  rSPGbegin();
  SystemSizeW = 1920, SystemSizeH = 1080;
  rCPGgetsina(which == kCached ? kScene : which);  // the scene on screen, waiting for a key
  rSPGkeyin(101);

  const bool coldCache = which == kJpeg || which == kScene;
  const uint64_t composedBefore = compositionsPainted();
  for (auto _ : state) {
    if (coldCache) {
      state.PauseTiming();
      cacheFreeAll();
      state.ResumeTiming();
    }
    rSPGkeyin(101);
    benchmark::DoNotOptimize(pix[0]);
  }
  state.counters["composed"] = benchmark::Counter(double(compositionsPainted() - composedBefore),
                                                  benchmark::Counter::kAvgIterations);
  if (KeyWait == 0) state.SkipWithError("the scenario did not stop at a message");
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  cacheFreeAll();
}

void frameCases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"case", "width"});
  for (int width : {1280, 1920})
    for (int c : {kMessage, kJpeg, kScene, kCached, kAlternate}) b->Args({c, width});
}

}  // namespace

BENCHMARK(BM_Frame)->Apply(frameCases)->Unit(benchmark::kMillisecond);
