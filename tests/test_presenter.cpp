// The presenter: gUra as 0x00RRGGBB pixels, of which the window shows the
// top-left part.
#include <SDL/SDL.h>

#include "display/display.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

class Presenter : public PlayerDirTest {
 protected:
  void TearDown() override {
    screen = nullptr;
    SDL_Quit();
    PlayerDirTest::TearDown();
  }
};

// The frame byte pattern the test draws, as a 0x00RRGGBB pixel.
uint32_t pattern(int x, int y) {
  return uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | ((x ^ y) & 0xFF);
}

}  // namespace

TEST_F(Presenter, WindowShowsTheTopLeftOfTheFrame) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  screen = SDL_SetVideoMode(576, 384, 32, SDL_HWSURFACE);
  ASSERT_NE(screen, nullptr) << SDL_GetError();
  for (int y = 0; y < kFrameH; y++) {
    for (int x = 0; x < kFrameW; x++) {
      uint8_t* p = gUra + y * kFrameStride + x * 3;
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x ^ y);
    }
  }
  SDLview();

  ASSERT_EQ(SDL_LockSurface(screen), 0);
  for (const auto& [x, y] : {std::pair{0, 0}, {5, 3}, {575, 383}}) {
    const auto* row = static_cast<const uint8_t*>(screen->pixels) + y * screen->pitch;
    Uint8 r, g, b;
    SDL_GetRGB(reinterpret_cast<const uint32_t*>(row)[x], screen->format, &r, &g, &b);
    EXPECT_EQ(uint32_t(r) << 16 | uint32_t(g) << 8 | b, pattern(x, y)) << x << "," << y;
  }
  SDL_UnlockSurface(screen);
}
