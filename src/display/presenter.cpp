// SDLview: converts the window frame to 32-bit pixels and shows it.
#include "display/display.h"
#include "display/overlays.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"

void (*gFrameHook)();

namespace {

void convertFrame() {
  const uint8_t* src = gUra;
  uint32_t* dst = pix;
  for (int i = 0; i < kFrameW * kFrameH; i++, src += 3) {
    dst[i] = uint32_t{src[0]} << 16 | uint32_t{src[1]} << 8 | src[2];
  }
}

}  // namespace

void SDLview() {
  const bool labelled = indicatorDraw();
  convertFrame();
  if (screen) {
    // SDL clips the blit to the screen: only the top-left w x h part shows.
    // A wrapper made per frame costs one small allocation and never outlives
    // the screen it was blitted to; its pixels are `pix` itself.
    SDL_Surface* frame = SDL_CreateRGBSurfaceFrom(pix, kFrameW, kFrameH, 32, kFrameW * 4,
                                                  0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    if (frame) {
      SDL_UpperBlit(frame, nullptr, screen, nullptr);
      SDL_UpdateRect(screen, 0, 0, 0, 0);
      SDL_FreeSurface(frame);
    }
  }
  if (gFrameHook) gFrameHook();
  if (labelled) indicatorErase();
}
