// Font loading and text drawing: the start-up decode of the whole font image
// and the redraw of a full message screen.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "text/range_coder.h"
#include "text/text.h"
#include "bench_support.h"

namespace {

std::string demoFontDir() {
  std::string path = TAVINO_FONT;
  return path.substr(0, path.rfind('/') + 1);
}

void BM_FontLoad(benchmark::State& state) {
  const std::string dir = demoFontDir();
  std::snprintf(pg_workdir, sizeof pg_workdir, "%s", dir.c_str());
  MsgFont = 0;
  if (readAll(TAVINO_FONT).empty()) {
    state.SkipWithError("no demo font; build the tavino_font target");
    return;
  }
  for (auto _ : state) {
    fontread();
    benchmark::DoNotOptimize(gfont[kFontBytes / 2]);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFontBytes);
}
BENCHMARK(BM_FontLoad)->Unit(benchmark::kMillisecond);

void BM_RangeDecodeFont(benchmark::State& state) {
  const std::vector<uint8_t> stream = readAll(TAVINO_FONT);
  if (stream.empty()) {
    state.SkipWithError("no demo font; build the tavino_font target");
    return;
  }
  std::vector<uint8_t> out(kFontBytes);
  for (auto _ : state) {
    const RcDecodeResult r = mem_decode(out.data(), out.size(), stream.data(), stream.size());
    benchmark::DoNotOptimize(r.written);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFontBytes);
}
BENCHMARK(BM_RangeDecodeFont)->Unit(benchmark::kMillisecond);

// Four full lines of kanji and kana: the most a message screen draws.
void fillMessage() {
  std::string text;
  const char* chars[] = {"\x88\x9F", "\x82\xA0", "\x8A\xBF", "\x8E\x9A", "\x81\x42"};
  for (int i = 0; i < 48; i++) text += chars[i % 5];
  char lines[kMessageLines][kLineBytes];
  layoutMessage(text.c_str(), lines);
  for (int k = 0; k < kMessageLines; k++) std::memcpy(messageLine(k), lines[k], kLineBytes);
}

void loadDemoFontOnce() {
  static bool loaded = false;
  if (loaded) return;
  std::snprintf(pg_workdir, sizeof pg_workdir, "%s", demoFontDir().c_str());
  MsgFont = 0;
  fontread();
  loaded = true;
}

// The glyph work alone: 48 glyphs at the font size of a 1920-wide window.
void BM_MessageGlyphs(benchmark::State& state) {
  loadDemoFontOnce();
  fillMessage();
  SystemFontSize = int(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < 26; i += 2) {
      for (int k = 0; k < kMessageLines; k++) {
        const char* line = messageLine(k);
        if (line[i]) TextOut2(200 + (SystemFontSize / 2 + 2) * i, 700 + k * (SystemFontSize + 4), line + i, 2, 0, 0);
      }
    }
    benchmark::DoNotOptimize(gUra[700 * kFrameStride]);
  }
}
BENCHMARK(BM_MessageGlyphs)->Arg(96)->Arg(40)->Unit(benchmark::kMicrosecond);

// A whole message-screen redraw as the advance key causes it: frame copy,
// window tint, glyphs and presentation.
void BM_MessageScreenRedraw(benchmark::State& state) {
  loadDemoFontOnce();
  engineStateClear();
  w = SystemSizeW = 1920, h = SystemSizeH = 1080;
  resizeX = w, resizeY = h;
  SystemFontSize = int(1920 / 17.58);
  if (SystemFontSize > 96) SystemFontSize = 96;
  HaikeiCGtype = 0x336699;
  fillMessage();
  rGame(1);
  for (auto _ : state) rGame(0);
}
BENCHMARK(BM_MessageScreenRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
