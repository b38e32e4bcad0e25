#include "main/full_screen.h"

#include <cstdio>

#include "display/display.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"

bool gFullScreen;

namespace {

bool reopen(bool full) {
  SDL_Surface* s = SDL_SetVideoMode(w, h, 32, SDL_HWSURFACE | (full ? SDL_FULLSCREEN : 0));
  if (!s) return false;
  screen = s;
  return true;
}

}  // namespace

void toggleFullScreen() {
  if (!screen) return;
  const bool want = !gFullScreen;
  if (SDL_WM_ToggleFullScreen(screen)) {
    gFullScreen = want;
  } else if (reopen(want)) {
    gFullScreen = want;
  } else {
    std::printf("full screen not available: %s\n", SDL_GetError());
    // A failed mode change may have taken the old surface with it.
    if (!reopen(gFullScreen)) screen = nullptr;
  }
  // The frame in gUra is complete (scene or menu); show it on the new surface.
  SDLview();
}
