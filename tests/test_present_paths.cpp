// The presenter and the message window against their plain forms: SDL's own
// blit of the whole converted frame is the oracle for what the screen shows,
// and every kernel runs on both the AVX2 and the portable path.
#include <gtest/gtest.h>
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "display/display.h"
#include "display/windows.h"
#include "image/vector_paths.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"
#include "text/text.h"

namespace {

// Runs `check` once on each path this machine has, then restores the choice.
template <class Check>
void onEveryPath(Check check) {
  const bool before = avx2PathsEnabled();
  for (bool avx2 : {false, true}) {
    if (chooseAvx2Paths(avx2) != avx2) continue;
    SCOPED_TRACE(avx2 ? "AVX2" : "portable");
    check();
  }
  chooseAvx2Paths(before);
}

std::vector<uint8_t> rowsOf(const SDL_Surface* s) {
  std::vector<uint8_t> bytes;
  const auto* p = static_cast<const uint8_t*>(s->pixels);
  for (int y = 0; y < s->h; y++, p += s->pitch) bytes.insert(bytes.end(), p, p + s->w * s->format->BytesPerPixel);
  return bytes;
}

}  // namespace

TEST(PresentPaths, ScreenShowsWhatABlitOfTheWholeFrameShows) {
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  // Smaller than the design size, exact, full screens past the frame in one
  // or both directions, odd widths for the kernels' tails, and screens whose
  // format SDL must convert to.
  const struct { int w, h, bpp; } screens[] = {{1280, 720, 32}, {1920, 1080, 32}, {576, 384, 32},
      {2560, 1440, 32}, {2001, 1000, 32}, {1023, 1083, 32}, {7, 5, 32}, {800, 600, 24}, {2000, 1100, 16}};
  std::mt19937 rng(14);
  for (int i = 0; i < kFrameBytes; i++) gUra[i] = uint8_t(rng());
  std::vector<uint32_t> whole(kFrameW * kFrameH);
  for (int i = 0; i < kFrameW * kFrameH; i++)
    whole[i] = uint32_t(gUra[3 * i]) << 16 | uint32_t(gUra[3 * i + 1]) << 8 | gUra[3 * i + 2];
  for (const auto& s : screens) {
    SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h) + "x" + std::to_string(s.bpp));
    onEveryPath([&] {
      screen = SDL_SetVideoMode(s.w, s.h, s.bpp, SDL_HWSURFACE);
      ASSERT_NE(screen, nullptr) << SDL_GetError();
      // What the screen held before stays where no frame pixel lands.
      auto* first = static_cast<uint8_t*>(screen->pixels);
      const uint8_t seed = uint8_t(rng());
      for (int i = 0; i < screen->h * screen->pitch; i++) first[i] = uint8_t(i * 167 + seed);
      const SDL_PixelFormat* f = screen->format;
      SDL_Surface* want = SDL_CreateRGBSurface(SDL_SWSURFACE, s.w, s.h, f->BitsPerPixel, f->Rmask, f->Gmask,
                                               f->Bmask, f->Amask);
      ASSERT_NE(want, nullptr);
      std::memcpy(want->pixels, screen->pixels, size_t(screen->h) * screen->pitch);
      SDL_Surface* frame = SDL_CreateRGBSurfaceFrom(whole.data(), kFrameW, kFrameH, 32, kFrameW * 4,
                                                    0x00FF0000, 0x0000FF00, 0x000000FF, 0);
      SDL_UpperBlit(frame, nullptr, want, nullptr);
      SDL_FreeSurface(frame);

      SDLview();
      EXPECT_TRUE(rowsOf(screen) == rowsOf(want));
      SDL_FreeSurface(want);
    });
  }
  screen = nullptr;
  SDL_Quit();
}

TEST(PresentPaths, WindowTintIsTheSameOnEveryPath) {
  // Clipped on every side, narrow enough for the tails alone, and every
  // green target in use (the choice bars' 351 saturates) plus its bounds.
  const struct { int y0, y1, x0, x1, green; } boxes[] = {{-5, 40, -7, 1999, 255}, {600, 1090, 1800, 1920, 351},
      {10, 13, 100, 131, 127}, {20, 21, 5, 6, 351}, {0, 1080, 0, 1920, 511}, {3, 9, 33, 700, 0},
      {50, 60, 40, 300, 600}, {70, 80, 40, 300, -3}};
  std::mt19937 rng(3);
  std::vector<uint8_t> start(kFrameBytes), portable;
  for (auto& b : start) b = uint8_t(rng());
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.green);
    onEveryPath([&] {
      std::memcpy(gUra, start.data(), kFrameBytes);
      tint(b.y0, b.y1, b.x0, b.x1, b.green);
      if (!avx2PathsEnabled()) portable.assign(gUra, gUra + kFrameBytes);
      else EXPECT_TRUE(std::equal(portable.begin(), portable.end(), gUra));
    });
  }
}

namespace {

// The glyph drawer put plainly: all three channels expanded and scaled, the
// whole 96 x 96 work image painted into `frame`.
void plainGlyph(std::vector<uint8_t>& frame, const uint8_t* cell, int fs, int x, int y, uint32_t colour) {
  std::vector<uint8_t> a(96 * 288), b(96 * 288);
  for (int j = 0; j < 96; j++)
    for (int c = 0; c < 96; c++)
      if (cell[j * 12 + c / 8] & (0x80 >> c % 8)) std::memset(&a[(95 - j) * 288 + c * 3], 255, 3);
  if (fs == 96) b = a;
  else rOPGresizeFont(b.data(), fs, fs, a.data(), 96, 96);
  const uint8_t ink[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  for (int row = 0; row < 96; row++) {
    bool inInk = false;
    for (int c = 0; c < 96; c++) {
      const bool on = b[row * 288 + c * 3] != 0;
      if (inInk && x + c >= 0 && x + c < kFrameW && y + row >= 0 && y + row < kFrameH) {
        uint8_t* p = frame.data() + (y + row) * kFrameStride + (x + c) * 3;
        for (int k = 0; k < 3; k++) p[k] = on ? ink[k] : uint8_t((p[k] >> 1) + (ink[k] >> 1));
      }
      inInk = on;
    }
  }
}

}  // namespace

TEST(PresentPaths, GlyphsDrawAsThePlainDrawerAtEverySize) {
  // Page 1, cell 92 (the character 0x82 0xA0): sparse noise, a solid block
  // and single-pixel runs, so scaled runs start, end and vanish everywhere.
  uint8_t* cell = gfont + 217792 + 62 + 92 * 1152;
  std::mt19937 rng(5);
  for (int i = 0; i < 1152; i++) cell[i] = uint8_t(rng() & rng() & rng());
  for (int j = 30; j < 60; j++) cell[j * 12 + 4] = 0xFF, cell[j * 12 + 5] = 0xAA;
  std::vector<uint8_t> want(kFrameBytes);
  for (auto& v : want) v = uint8_t(rng());
  std::memcpy(gUra, want.data(), kFrameBytes);
  const int spots[][2] = {{100, 200}, {-40, 1040}, {1870, -30}};
  for (int fs = 1; fs <= 96; fs++) {
    for (const auto& s : spots) {
      SystemFontSize = fs;
      TextOut2(s[0] + fs, s[1], "\x82\xA0", 2, 0x80FF13 + fs, 0);
      plainGlyph(want, cell, fs, s[0] + fs, s[1], 0x80FF13 + fs);
    }
    ASSERT_TRUE(std::equal(want.begin(), want.end(), gUra)) << "font size " << fs;
  }
  SystemFontSize = 0;
}
