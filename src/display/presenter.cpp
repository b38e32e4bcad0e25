// SDLview: converts the window frame to 32-bit pixels and shows it.
#include "display/display.h"
#include "display/overlays.h"
#include "display/frame_convert.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"

void (*gFrameHook)();

namespace {

// The top-left width x height pixels of gUra as 0x00RRGGBB, `pitch` bytes a
// row of `dst`.
void convertFrame(uint8_t* dst, int pitch, int width, int height) {
  const bool avx2 = avx2PathsEnabled();
  for (int y = 0; y < height; y++) {
    const uint8_t* src = gUra + y * kFrameStride;
    uint32_t* row = reinterpret_cast<uint32_t*>(dst + long(y) * pitch);
    if (avx2) {
      convertPixelsAvx2(src, row, width);
      continue;
    }
    for (int x = 0; x < width; x++, src += 3) {
      row[x] = uint32_t{src[0]} << 16 | uint32_t{src[1]} << 8 | src[2];
    }
  }
}

// The screen keeps pixels exactly as `pix` holds them, so SDL's blit from a
// wrapper around `pix` would be a plain copy.
bool screenTakesFramePixels() {
  const SDL_PixelFormat* f = screen->format;
  return f->BitsPerPixel == 32 && f->BytesPerPixel == 4 && f->Rmask == 0x00FF0000 &&
         f->Gmask == 0x0000FF00 && f->Bmask == 0x000000FF && f->Amask == 0;
}

void present() {
  // SDL clips the frame to the screen, which a full-screen mode may make
  // larger than the frame: only the top-left part that both cover is seen,
  // so only that part is converted.
  const int width = screen->w < kFrameW ? screen->w : kFrameW;
  const int height = screen->h < kFrameH ? screen->h : kFrameH;
  if (screenTakesFramePixels()) {
    // Straight into the screen: the same bytes the blit would copy there,
    // without the trip through `pix`, which nothing reads while a screen is open.
    if (SDL_LockSurface(screen) == 0) {
      convertFrame(static_cast<uint8_t*>(screen->pixels), screen->pitch, width, height);
      SDL_UnlockSurface(screen);
    }
  } else {
    convertFrame(reinterpret_cast<uint8_t*>(pix), kFrameW * 4, width, height);
    // A wrapper made per frame costs one small allocation and never outlives
    // the screen it was blitted to; its pixels are `pix` itself.
    SDL_Surface* frame = SDL_CreateRGBSurfaceFrom(pix, kFrameW, kFrameH, 32, kFrameW * 4,
                                                  0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    if (!frame) return;
    SDL_UpperBlit(frame, nullptr, screen, nullptr);
    SDL_FreeSurface(frame);
  }
  SDL_UpdateRect(screen, 0, 0, 0, 0);
}

}  // namespace

void SDLview() {
  const bool labelled = indicatorDraw();
  if (screen) {
    present();
  } else {
    // No window (tests, the play tool): `pix` is the frame's only 32-bit form.
    convertFrame(reinterpret_cast<uint8_t*>(pix), kFrameW * 4, kFrameW, kFrameH);
  }
  if (gFrameHook) gFrameHook();
  if (labelled) indicatorErase();
}
