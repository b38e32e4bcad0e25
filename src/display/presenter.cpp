// SDLview: converts the window frame to 32-bit pixels and shows it.
#include "display/display.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"

void (*gFrameHook)();

namespace {

// Only the window's top-left part is ever blitted, so only that part is
// converted; a small window costs a small frame.
void convertFrame() {
  const int width = w < 0 ? 0 : w > kFrameW ? kFrameW : w;
  const int height = h < 0 ? 0 : h > kFrameH ? kFrameH : h;
  for (int y = 0; y < height; y++) {
    const uint8_t* src = gUra + y * kFrameStride;
    uint32_t* dst = pix + y * kFrameW;
    for (int x = 0; x < width; x++, src += 3) {
      dst[x] = uint32_t{src[0]} << 16 | uint32_t{src[1]} << 8 | src[2];
    }
  }
}

}  // namespace

void SDLview() {
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
}
