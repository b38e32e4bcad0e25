// Start-up glue of the web build. Its SDL header declares SDL_main with C
// linkage, so the call must see that declaration.
#include <SDL/SDL.h>
#include <emscripten.h>

#include "main/platform.h"
#include "main/startup.h"
#include "scenario/engine_state.h"

namespace {

// The browser paints and delivers input only while the player sleeps. Passes
// under automatic advance do not sleep, so they give it a turn every frame's
// time; otherwise a scenario left in automatic advance would freeze the page.
void yieldDuringAutomaticAdvance() {
  static double lastYield = 0;
  if (NoWait == 0) return;  // the pass ends in its 16 ms sleep
  const double now = emscripten_get_now();
  if (now - lastYield < 16) return;
  lastYield = now;
  emscripten_sleep(0);
}

}  // namespace

int main(int argc, char* argv[]) {
  gPassHook = yieldDuringAutomaticAdvance;
  return SDL_main(argc, argv);
}
