// The presenter: gUra as 0x00RRGGBB pixels, of which the window shows the
// top-left part.
#include <SDL/SDL.h>

#include <cstdlib>

#include "display/display.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

int gFramesSeen;
void countFrame() { ++gFramesSeen; }

class Presenter : public PlayerDirTest {
 protected:
  void TearDown() override {
    gFrameHook = nullptr;
    screen = nullptr;
    SDL_Quit();
    PlayerDirTest::TearDown();
  }
};

}  // namespace

TEST_F(Presenter, WindowShowsTheTopLeftOfTheFrame) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);  // headless unless told otherwise
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  screen = SDL_SetVideoMode(576, 384, 32, SDL_HWSURFACE);
  ASSERT_NE(screen, nullptr) << SDL_GetError();
  for (int y = 0; y < kFrameH; y++) {
    for (int x = 0; x < kFrameW; x++) {
      uint8_t* p = gUra + y * kFrameStride + x * 3;
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x ^ y);
    }
  }
  gFramesSeen = 0;
  gFrameHook = countFrame;
  SDLview();
  EXPECT_EQ(gFramesSeen, 1);
  EXPECT_EQ(pix[1], 0x010001u);
  EXPECT_EQ(pix[1079 * 1920 + 1919], (uint32_t(1919 & 0xFF) << 16) | (1079 & 0xFF) << 8 |
                                          ((1919 ^ 1079) & 0xFF));

  ASSERT_EQ(SDL_LockSurface(screen), 0);
  const auto pixel = [](int x, int y) {
    const auto* row = static_cast<const uint8_t*>(screen->pixels) + y * screen->pitch;
    const uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
    Uint8 r, g, b;
    SDL_GetRGB(v, screen->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  };
  EXPECT_EQ(pixel(0, 0), 0u);
  EXPECT_EQ(pixel(5, 3), 0x050306u);
  EXPECT_EQ(pixel(575, 383), pix[383 * 1920 + 575]);
  SDL_UnlockSurface(screen);
}
