// SDLview for the web build: its SDL cannot blit from a surface wrapped around
// `pix`, so the frame is written straight into the screen surface, whose
// unlock hands it to the page's canvas.
#include <emscripten.h>

#include "display/display.h"
#include "display/frame_pixels.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"

void (*gFrameHook)();

namespace {

bool configured = false;

// Every pixel is written on each frame, so the canvas need not be read back
// on lock, and the alpha written here makes SDL's own opacity pass needless.
void configureScreen() {
  EM_ASM({
    SDL.defaults.discardOnLock = true;
    SDL.defaults.opaqueFrontBuffer = false;
  });
  configured = true;
}

}  // namespace

void SDLview() {
  if (screen) {
    if (!configured) configureScreen();
    if (SDL_LockSurface(screen) == 0) {
      const SDL_PixelFormat* f = screen->format;
      const PixelMasks masks{f->Rmask, f->Gmask, f->Bmask, f->Amask};
      const int width = screen->w < kFrameW ? screen->w : kFrameW;
      const int height = screen->h < kFrameH ? screen->h : kFrameH;
      writeFramePixels(gUra, width, height, static_cast<uint8_t*>(screen->pixels), screen->pitch,
                       masks);
      SDL_UnlockSurface(screen);
    }
    // Lets the page (and its tests) know a frame was shown.
    EM_ASM({
      if (Module.onFrame) Module.onFrame();
    });
  }
  if (gFrameHook) gFrameHook();
}
