// SDL_main: choose the window size, open the window, reset the engine and
// run the main loop.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "main/main_loop.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "main/video_modes.h"
#include "scenario/engine_state.h"
#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "scenario/seen_text.h"
#include "text/text.h"

namespace {

constexpr Uint32 kInitFlags = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;  // 0x230

int usage() {
  SDL_Quit();
  std::puts("tavino [video mode]");
  std::puts("Ex)");
  std::puts("./tavino `ps3videomode`");
  return -1;
}

// The desktop's largest full-screen mode; false when SDL lists none.
bool largestDesktopMode() {
  SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_HWSURFACE);
  if (!modes) return false;
  if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
    // "Any size": there is no largest mode, so take the largest frame.
    w = kFrameW;
    h = kFrameH;
    return true;
  }
  if (!modes[0]) return false;
  w = modes[0]->w;
  h = modes[0]->h;
  return true;
}

void openJoystick() {
  if (padok != 0 || SDL_NumJoysticks() <= 0) return;
  SDL_JoystickEventState(SDL_ENABLE);
  joystick = SDL_JoystickOpen(0);
  const char* name = SDL_JoystickName(0);
  if (!name) name = "";
  // Pads whose name starts with W are opened but their buttons are ignored.
  padok = name[0] == 'W' ? 2 : 1;
  std::printf("JoystickName=%s\n", name);
}

}  // namespace

int SDL_main(int argc, char* argv[]) {
  gJpegWTable = 0;
  if (SDL_Init(kInitFlags) < 0) return -1;

  int32_t mode;
  if (argc >= 2) {
    if (argv[1][0] == 0) return usage();
    mode = parseVideoModeArgument(argv[1]);
    if (mode == 0) return usage();
    std::printf("video mode=%d\n", mode);
  } else {
    if (!largestDesktopMode()) {
      SDL_Quit();
      std::puts("video mode error.");
      return -1;
    }
    mode = -1;
    std::printf("video mode=%d\n", mode);
  }

  const WindowSize listed = videoModeSize(mode);
  if (listed.width != 0) {
    w = listed.width;
    h = listed.height;
  }
  if (w == 0) {
    std::puts("sorry, no support video mode");
    SDL_Quit();
    return -1;
  }
  if (h == 0) {
    std::printf("video mode error.");
    SDL_Quit();
    return -1;
  }
  if (w > kFrameW) w = kFrameW;
  if (h > kFrameH) h = kFrameH;

  resizeX = w;
  resizeY = h;
  SystemFontSize = fontSizeForWidth(w);
  std::printf("FontSize=%d\n", SystemFontSize);

  fontread();
  std::printf("video size = %d x %d\n", w, h);

  screen = SDL_SetVideoMode(w, h, 32, SDL_HWSURFACE);
  if (!screen) {
    std::puts("SDL_SetVideoMode error");
    SDL_Quit();
    return -1;
  }

  SDL_WM_SetCaption("Tavinoweft Windows", nullptr);
  setScenarioPath("sinario.txt");
  NoWait = 0;
  cacheFreeAll();
  rSPGbegin();

  openJoystick();
  runMainLoop();
  seenTextFlush();

  SDL_Quit();
  screen = nullptr;
  joystick = nullptr;
  cacheFreeAll();
  return 0;
}
