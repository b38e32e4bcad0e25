// Fuzz target: a small scenario played with a sequence of player actions
// (advance, choice cursor, roll back, history open/scroll/close). A shadow of
// every recorded stop checks that rolling back brings back exactly what that
// stop first showed, and the history stays a consistent window of the newest
// entries. Input: the scenario, a NUL byte, then one byte per action.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "display/history_screen.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "scenario/flow.h"
#include "scenario/history.h"
#include "scenario/reader.h"
#include "scenario/rollback.h"
#include "scenario_reset.h"

extern "C" void __real__Z5rGamei(int32_t redraw);
extern "C" void __real__Z7SDLviewv();

namespace {

constexpr size_t kMaxActions = 64;
// Composing and presenting touch whole 1920 x 1080 buffers, which under the
// sanitizers costs far more than the rest; nothing checked here depends on
// what was painted, so only one input in kPaintEvery paints.
constexpr uint32_t kPaintEvery = 16;
bool gPaintThisInput = true;

uint32_t inputHash(const uint8_t* data, size_t size) {  // FNV-1a
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; i++) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

// A clock that leaps a second per reading: every timed wait ends at once.
uint32_t leapingClock() {
  static uint32_t now;
  return now += 1000;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// What a statement can change and a stop must bring back.
std::string snapshot() {
  std::string s;
  auto add = [&s](const void* at, size_t size) { s.append(static_cast<const char*>(at), size); };
  add(gFlag1, sizeof gFlag1), add(gFlag8, sizeof gFlag8);
  add(gFlag16, sizeof gFlag16), add(gFlag32, sizeof gFlag32);
  const int32_t scalars[] = {gFlag1Now, gFlag8Now, gFlag16Now, gFlag32Now, SceneNum,
                             SelectMode, SelectNow, NoWait, MsgColor, int32_t(historySerial())};
  add(scalars, sizeof scalars);
  add(siori, sizeof siori), add(SinaFile, sizeof SinaFile);
  for (int k = 0; k < 4; k++) add(messageLine(k), kLineBytes);
  const long position = pSinaFile ? std::ftell(pSinaFile) : -1;
  add(&position, sizeof position);
  return s;
}

std::deque<std::string> stops;  // shadow of the recorded stops, oldest first

void checkHistory() {
  const int n = historyCount();
  check(n >= 0 && n <= kHistoryEntries);
  if (n > 0) check(historyEntry(n - 1).serial == historySerial());
  for (int i = 1; i < n; i++) check(historyEntry(i).serial == historyEntry(i - 1).serial + 1);
}

void checkStops() {
  const int steps = rollbackStepsAvailable();
  check(steps == int(stops.size()) - (rollbackAtNewestStop() ? 1 : 0));
  check(steps >= 0 && steps <= kRollbackStops);
}

// Runs a reader step and shadows the stop it recorded, if any.
void step(uint8_t code) {
  const uint32_t before = gReaderSteps;
  rSPGkeyin(code);
  if (gReaderSteps == before || !rollbackAtNewestStop()) return;
  if (stops.size() == size_t(kRollbackStops)) stops.pop_front();
  stops.push_back(snapshot());
}

void rollBack() {
  const bool atStop = rollbackAtNewestStop();
  const bool possible = rollbackStepsAvailable() > 0;
  check(rollBackOneStop() == possible);
  if (!possible) return;
  if (atStop) stops.pop_back();
  check(rollbackAtNewestStop() && snapshot() == stops.back());
}

std::string frameRows() {
  std::string rows;
  for (int y = 0; y < h; y++) rows.append(reinterpret_cast<char*>(gUra + y * kFrameStride), w * 3);
  return rows;
}

}  // namespace

extern "C" void __wrap__Z5rGamei(int32_t redraw) {
  if (gPaintThisInput) __real__Z5rGamei(redraw);
}

extern "C" void __wrap__Z7SDLviewv() {
  if (gPaintThisInput) __real__Z7SDLviewv();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = scratchScenarioPath("/tmp/fuzz-rollback-XXXXXX");
  gWaitLimitMs = 2;
  gJumpDepthLimit = 40;
  gSeenTextFileUsed = false;  // no "tavino.seen" in the fuzzer's folder
  gTicksSource = leapingClock;
  gModSimulated = true;  // no modifier held: no Ctrl skip

  const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t textSize = end ? size_t(end - data) : size;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (textSize) std::fwrite(data, 1, textSize, f);
  std::fclose(f);

  gPaintThisInput = inputHash(data, size) % kPaintEvery == 0;
  closeHistory();
  resetScenarioState();
  readingComfortsReset();
  w = 64, h = 36, SystemFontSize = 3;
  resizeX = w, resizeY = h;
  setScenarioPath(path.c_str());
  stops.clear();
  rOPGstartsina();
  if (rollbackAtNewestStop()) stops.push_back(snapshot());

  std::string covered;  // the frame the history was opened over
  const size_t actions = end ? size - textSize - 1 : 0;
  for (size_t i = 0; i < actions && i < kMaxActions; i++) {
    const uint8_t a = end[1 + i];
    if (historyShown()) {
      switch (a % 4) {
        case 0: closeHistory(); break;
        case 1: scrollHistoryUp(); break;
        case 2: scrollHistoryDown(); break;
        default: historyAtNewest() ? closeHistory() : scrollHistoryDown(); break;
      }
      if (!historyShown()) check(frameRows() == covered);
    } else {
      switch (a % 8) {
        case 0: case 1: case 2: step(101); break;
        case 3: step(8); break;
        case 4: step(2); break;
        case 5: case 6: rollBack(); break;
        default:
          if (NoWait != 0) break;
          stopSkipAndAutoRead();
          covered = frameRows();
          openHistory();
          break;
      }
    }
    checkHistory();
    checkStops();
  }
  return 0;
}
