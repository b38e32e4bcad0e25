// Fuzz target: a scenario file through the real reader and interpreter,
// stepped a few times as a player would advance it, then a choice cursor
// move. Timed waits are capped so that one input cannot stall the run.
//
// Composing a scene touches several whole 1920 x 1080 buffers, which under
// the sanitizers costs far more than interpreting a scenario. The compositor
// is therefore reached through a link-time wrapper that lets one input in
// kPaintEvery paint (every call, as the player would) and the others skip
// it: nothing the interpreter decides depends on what was painted, so the
// other inputs still walk the same statement paths, many times faster.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/flow.h"
#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "scenario/seen_text.h"
#include "scenario_reset.h"

extern "C" void __real__Z5rGamei(int32_t redraw);

namespace {

constexpr uint32_t kPaintEvery = 32;
bool gPaintThisInput = true;

// FNV-1a: a fixed choice per input, so that coverage stays reproducible.
uint32_t inputHash(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; i++) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

}  // namespace

// rGame as the interpreter, the input handler and the menu call it.
extern "C" void __wrap__Z5rGamei(int32_t redraw) {
  if (gPaintThisInput) __real__Z5rGamei(redraw);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = scratchScenarioPath("/dev/shm/fuzz-scenario-XXXXXX");
  gWaitLimitMs = 2;
  gJumpDepthLimit = 40;
  gSeenTextFileUsed = false;  // no "tavino.seen" in the fuzzer's folder

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  gPaintThisInput = inputHash(data, size) % kPaintEvery == 0;
  resetScenarioState();
  // A small window keeps each redraw cheap; the compositor still runs whole.
  w = 64, h = 36, SystemFontSize = 3;
  resizeX = w, resizeY = h;
  setScenarioPath(path.c_str());
  rOPGstartsina();
  for (int step = 0; step < 6; step++) rCPGgetsina(0);
  rSPGkeyin(2);  // moves the cursor if the scenario left choices up
  rSPGkeyin(8);
  return 0;
}
