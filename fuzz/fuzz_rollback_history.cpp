// Fuzz target: a small scenario played with player actions (advance, choice
// cursor, roll back, history open/scroll/close). A shadow of every recorded
// stop checks that a rollback brings back exactly what that stop first held;
// the history must stay a gapless run of the newest entries. Input: scenario,
// NUL, one byte per action.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/history_screen.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "scenario/flow.h"
#include "scenario/history.h"
#include "scenario/reader.h"
#include "scenario/rollback.h"
#include "scenario_reset.h"

namespace {

constexpr size_t kMaxActions = 32;
constexpr int kW = 64, kH = 36;  // the window
// Composing touches whole 1920 x 1080 buffers and nothing checked depends on
// it, so it is skipped. Every input starts with a scene mark, so a rollback
// recomposes (skipped) rather than clearing the scene buffer.

void check(bool ok) { if (!ok) __builtin_trap(); }
// What a statement can change and a stop must bring back. Fixed buffers
// throughout: heap use that outlives an input sets off the leak check.
constexpr int kScalars = 24;
using Snapshot = std::array<uint8_t, sizeof gFlag1 + sizeof gFlag8 + sizeof gFlag16 + sizeof gFlag32 + kScalars * 4 +
                                         sizeof siori + sizeof SinaFile + 4 * kLineBytes + sizeof(long)>;

void take(Snapshot& s) {
  uint8_t* p = s.data();
  auto add = [&p](const void* at, size_t size) { std::memcpy(p, at, size), p += size; };
  add(gFlag1, sizeof gFlag1), add(gFlag8, sizeof gFlag8), add(gFlag16, sizeof gFlag16), add(gFlag32, sizeof gFlag32);
  const int32_t scalars[kScalars] = {
      gFlag1Now, gFlag8Now, gFlag16Now, gFlag32Now, SceneNum, SelectMode, SelectNow, NoWait, MsgColor,
      int32_t(historySerial()), HaikeiCG, HaikeiCGtype, KoukeiCG, KoukeiCGtype, ZenkeiCG, ZenkeiCGtype,
      CharaCG[0], CharaCG[1], CharaCG[2], CharaIchi, CgBright, MsgFont, SystemSizeW, KisyuMode};
  add(scalars, sizeof scalars), add(siori, sizeof siori), add(SinaFile, sizeof SinaFile);
  for (int k = 0; k < 4; k++) add(messageLine(k), kLineBytes);
  const long position = pSinaFile ? std::ftell(pSinaFile) : -1;  // the reader's place
  add(&position, sizeof position);
}

// The shadow of the recorded stops: a ring like the one it shadows.
Snapshot shadow[kRollbackStops];
int oldest, count;
Snapshot& shadowed(int i) { return shadow[(oldest + i) % kRollbackStops]; }

void shadowStop() {
  if (count == kRollbackStops) oldest = (oldest + 1) % kRollbackStops, --count;
  take(shadowed(count++));
}

// A reader step, shadowing the stop it recorded, if any.
void step(uint8_t code) {
  const uint32_t before = gReaderSteps;
  rSPGkeyin(code);
  if (gReaderSteps != before && rollbackAtNewestStop()) shadowStop();
}

void rollBack() {
  const bool atStop = rollbackAtNewestStop(), possible = rollbackStepsAvailable() > 0;
  check(rollBackOneStop() == possible);
  if (!possible) return;
  count -= atStop;
  static Snapshot now;
  take(now), check(rollbackAtNewestStop() && now == shadowed(count - 1));
}

void checkInvariants() {
  const int n = historyCount(), steps = rollbackStepsAvailable();
  check(n >= 0 && n <= kHistoryEntries && (n == 0 || historyEntry(n - 1).serial == historySerial()));
  for (int i = 1; i < n; i++) check(historyEntry(i).serial == historyEntry(i - 1).serial + 1);
  check(steps == count - rollbackAtNewestStop() && steps >= 0 && steps <= kRollbackStops);
}

}  // namespace

extern "C" void __wrap__Z5rGamei(int32_t) {}
extern "C" void __wrap__Z7SDLviewv() {}  // no window: nothing to present to

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = scratchScenarioPath("/dev/shm/fuzz-rollback-XXXXXX");
  gWaitLimitMs = 2, gJumpDepthLimit = 40;
  gSeenTextFileUsed = false, gModSimulated = true;  // no "tavino.seen" written; no Ctrl skip
  gTicksSource = [] { static uint32_t now; return now += 1000; };  // every timed wait ends at once

  const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t textSize = end ? size_t(end - data) : size;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fputs("SCENE:0\n", f);
  std::fwrite(data, 1, textSize, f);
  std::fclose(f);

  closeHistory();
  resetScenarioState();
  readingComfortsReset();
  w = kW, h = kH, SystemFontSize = 3, resizeX = w, resizeY = h;
  setScenarioPath(path.c_str());
  oldest = count = 0;
  rOPGstartsina();
  if (rollbackAtNewestStop()) shadowStop();

  for (size_t i = 0; end && i < size - textSize - 1 && i < kMaxActions; i++) {
    const uint8_t a = end[1 + i];
    if (historyShown()) {
      if (a % 4 == 0 || (a % 4 == 3 && historyAtNewest())) closeHistory();
      else if (a % 4 == 1) scrollHistoryUp();
      else scrollHistoryDown();
    } else if (a % 8 < 2) {
      step(101);
    } else if (a % 8 == 2) {  // a run of advances, enough to overflow the stops in a few
      for (int n = 0; n < 8; n++) step(101);
    } else if (a % 8 < 5) {
      step(a % 8 == 3 ? 8 : 2);
    } else if (a % 8 < 7) {
      rollBack();
    } else if (NoWait == 0) {  // as the player: not while the reader runs on by itself
      stopSkipAndAutoRead();
      openHistory();
    }
    checkInvariants();
  }
  resetScenarioState();  // here too, so that no allocation outlives the input
  return 0;
}
