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

// The scenario is written to a scratch folder of its own; the current
// directory is left alone so that the fuzzer's relative paths stay valid.
std::string scratchScenarioPath() {
  char pattern[] = "/dev/shm/fuzz-scenario-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  return std::string(pattern) + "/sinario.txt";
}

// Back to a fresh scenario state. Unlike engineStateClear this leaves the
// large frame buffers alone: they do not steer the scenario, and clearing
// 50 MB per input would slow the fuzzer tenfold.
void resetScenarioState() {
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  KeyWait = NoWait = SceneNum = 0;
  gSaveFlag = 0;
  std::memset(siori, 0, sizeof siori);
  std::memset(gFlag1, 0, sizeof gFlag1);
  std::memset(gFlag8, 0, sizeof gFlag8);
  std::memset(gFlag16, 0, sizeof gFlag16);
  std::memset(gFlag32, 0, sizeof gFlag32);
  gFlag1Now = gFlag8Now = gFlag16Now = gFlag32Now = 0;
  HaikeiCG = HaikeiCGtype = KoukeiCG = KoukeiCGtype = ZenkeiCG = ZenkeiCGtype = 0;
  std::memset(CharaCG, 0, sizeof CharaCG);
  std::memset(CharaCGtype, 0, sizeof CharaCGtype);
  CharaIchi = 0;
  FaceCG = 0;
  CgBright = CgBrighttype = cgChange = 0;
  MsgColor = MsgFont = 0;
  SelectMode = 0;
  SelectNow = 0;
  SystemSizeW = SystemSizeH = KisyuMode = 0;
  SystemMode = 0;
  gNextTickCount = 0;
  menumode = 1;
  keypush = 0;
  rSPGbegin();  // lines, choices, background, cache
  seenTextForget();
}

}  // namespace

// rGame as the interpreter, the input handler and the menu call it.
extern "C" void __wrap__Z5rGamei(int32_t redraw) {
  if (gPaintThisInput) __real__Z5rGamei(redraw);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = scratchScenarioPath();
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
