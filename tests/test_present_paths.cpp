// The presenter, the window tint and the glyph drawer against plain forms:
// SDL's own blit of the whole converted frame is the oracle for the screen.
#include <gtest/gtest.h>
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "display/display.h"
#include "display/windows.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"
#include "text/text.h"

namespace {

std::mt19937 rng(14);
std::vector<uint8_t> noise(size_t n) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

}  // namespace

TEST(PresentPaths, ScreenShowsWhatABlitOfTheWholeFrameShows) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  // Smaller than the design size, exact, full screens past the frame, odd
  // widths for the kernel's tails, and formats SDL must convert to.
  const int screens[][3] = {{1280, 720, 32}, {1920, 1080, 32}, {576, 384, 32}, {2560, 1440, 32},
                            {2001, 1000, 32}, {1023, 1083, 32}, {800, 600, 24}, {2000, 1100, 16}};
  const auto frame = noise(kFrameBytes);
  std::memcpy(gUra, frame.data(), kFrameBytes);
  std::vector<uint32_t> whole(kFrameW * kFrameH);
  for (int i = 0; i < kFrameW * kFrameH; i++) whole[i] = frame[3 * i] << 16 | frame[3 * i + 1] << 8 | frame[3 * i + 2];
  SDL_Surface* wrapped = SDL_CreateRGBSurfaceFrom(whole.data(), kFrameW, kFrameH, 32, kFrameW * 4, 0xFF0000, 0xFF00, 0xFF, 0);
  for (const auto& s : screens) {
    screen = SDL_SetVideoMode(s[0], s[1], s[2], SDL_HWSURFACE);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    const size_t bytes = size_t(screen->h) * screen->pitch;
    const auto before = noise(bytes);  // stays where no frame pixel lands
    std::memcpy(screen->pixels, before.data(), bytes);
    SDL_Surface* want = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    SDL_UpperBlit(wrapped, nullptr, want, nullptr);
    SDLview();
    EXPECT_EQ(std::memcmp(screen->pixels, want->pixels, bytes), 0) << s[0] << "x" << s[1] << "x" << s[2];
    SDL_FreeSurface(want);
  }
  SDL_FreeSurface(wrapped);
  screen = nullptr;
  SDL_Quit();
}

TEST(PresentPaths, WindowTintIsThePlainPerPixelRule) {
  const auto start = noise(kFrameBytes);
  std::memcpy(gUra, start.data(), kFrameBytes);
  // Clipped on every side, a tail alone, and every green target in use.
  const int boxes[][5] = {{-5, 40, -7, 1999, 255}, {600, 1090, 1800, 1920, 351}, {10, 13, 100, 131, 127}, {20, 21, 5, 6, 351}};
  for (const auto& b : boxes) tint(b[0], b[1], b[2], b[3], b[4]);
  for (int y = 0; y < kFrameH; y++)
    for (int x = 0; x < kFrameW; x++) {
      const uint8_t* p = &start[y * kFrameStride + x * 3];
      int want[3] = {p[0], p[1], p[2]};
      for (const auto& b : boxes)
        if (y >= b[0] && y < b[1] && x >= b[2] && x < b[3])
          want[0] = (want[0] + 255) >> 1, want[1] = std::min(255, (want[1] + b[4]) >> 1), want[2] >>= 1;
      const uint8_t* q = gUra + y * kFrameStride + x * 3;
      ASSERT_TRUE(q[0] == want[0] && q[1] == want[1] && q[2] == want[2]) << x << "," << y;
    }
}

TEST(PresentPaths, GlyphsDrawAsThePlainThreeChannelDrawerAtEverySize) {
  uint8_t* cell = gfont + 217792 + 62 + 92 * 1152;  // the character 0x82 0xA0
  for (int i = 0; i < 1152; i++) cell[i] = uint8_t(rng() & rng() & rng());
  for (int j = 30; j < 60; j++) cell[j * 12 + 4] = 0xFF;  // a solid block
  std::vector<uint8_t> a(96 * 288), b(96 * 288);
  for (int j = 0; j < 96; j++)
    for (int c = 0; c < 96; c++)
      if (cell[j * 12 + c / 8] & (0x80 >> c % 8)) std::memset(&a[(95 - j) * 288 + c * 3], 255, 3);
  for (int fs = 1; fs <= 96; fs++) {
    SystemFontSize = fs;
    std::memset(gUra, 0x40, kFrameBytes);
    TextOut2(1900 - fs, -fs / 2, "\x82\xA0", 2, 0x80FF13, 0);  // across two edges
    if (fs == 96) b = a;
    else rOPGresizeFont(b.data(), fs, fs, a.data(), 96, 96);
    for (int row = 0; row < 96; row++)
      for (int c = 0, inInk = 0; c < 96; inInk = b[row * 288 + c * 3] != 0, c++) {
        const int x = 1900 - fs + c, y = row - fs / 2;
        if (y < 0 || x >= kFrameW) continue;
        const uint8_t* q = gUra + y * kFrameStride + x * 3;
        const int want = !inInk ? 0x404040 : b[row * 288 + c * 3] ? 0x80FF13 : 0x609F29;
        ASSERT_EQ(q[0] << 16 | q[1] << 8 | q[2], want) << "size " << fs << " at " << c << "," << row;
      }
  }
  SystemFontSize = 0;
}
