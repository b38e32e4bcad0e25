// Stand-in title menu until the real system menu lands: a white frame, and
// Return (or keypad Enter) starts the scenario as the menu's entry 3 will.
#include <cstring>

#include "display/display.h"
#include "main/sdl_state.h"
#include "menu/menu.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"

void rCPGsysmenu() {
  if (menumode == 1) {
    std::memset(gUra, 0xFF, kFrameBytes);
    SDLview();
    menumode = 3;
    return;
  }
  if (event.type == SDL_KEYDOWN &&
      (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER)) {
    keypush = 1;
    std::strcpy(SinaFile, "sinario.txt");
    rOPGstartsina();
    menumode = 0;
    keypush = 0;
  }
}
