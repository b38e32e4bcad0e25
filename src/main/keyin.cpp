// rSPGkeyin: one player action while the scenario owns input.
#include <cstring>

#include "display/display.h"
#include "main/platform.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "scenario/scenario.h"

namespace {

constexpr uint8_t kAdvance = 101, kUp = 8, kDown = 2;

void confirmChoice(int row) {
  historyAddChoice(row);
  for (int k = 0; k < 6; k++) {
    if (k != row) std::memset(selectLine(k), 0, kLineBytes);
  }
  rGame(0);  // only the confirmed row is left on screen

  // Half a second with the chosen row alone; no input is taken meanwhile.
  resetTickCount();
  gNextTickCount = getTickCount() + 500;
  while (getTickCount() < gNextTickCount) platformDelay(1);

  rCPGgetsina(SelectGoto[row]);
}

}  // namespace

void rSPGkeyin(uint8_t code) {
  if (SelectMode != 1) {
    if (code == kAdvance && KeyWait != 0) rCPGgetsina(0);
    return;
  }

  const int32_t n = SelectNow;
  if (code == kDown) {
    if (n == -1) {
      SelectNow = 0;
      rGame(0);
    } else if (n >= 0 && n <= 4 && SelectGoto[n] != 0) {
      SelectNow = n + 1;
      rGame(0);
    }
  } else if (code == kUp) {
    if (n == -1) {
      SelectNow = 0;
      rGame(0);
    } else if (n > 0 && n <= 5) {
      SelectNow = n - 1;
      rGame(0);
    }
  } else if (code == kAdvance) {
    if (n >= 0 && n <= 5 && SelectGoto[n] != 0) confirmChoice(n);
  }
}
