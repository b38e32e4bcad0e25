#include "main/window_keys.h"

#include "display/screenshot.h"
#include "main/full_screen.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "scenario/sound.h"

namespace {

constexpr int32_t kVolumeStep = 10;

void volumeDown() { soundSetVolume(gMasterVolume - kVolumeStep, gSoundMuted); }
void volumeUp() { soundSetVolume(gMasterVolume + kVolumeStep, gSoundMuted); }
void toggleMute() { soundSetVolume(gMasterVolume, !gSoundMuted); }

struct KeyRow {
  SDLKey key;
  void (*action)();
};

const KeyRow kWindowKeys[] = {
    {SDLK_f, toggleFullScreen},   {SDLK_F11, toggleFullScreen},
    {SDLK_s, takeScreenshot},     {SDLK_PRINT, takeScreenshot},
    {SDLK_m, toggleMute},
    {SDLK_MINUS, volumeDown},     {SDLK_KP_MINUS, volumeDown},
    {SDLK_EQUALS, volumeUp},      {SDLK_KP_PLUS, volumeUp},
};

}  // namespace

bool dispatchWindowKeys() {
  if (event.type != SDL_KEYDOWN) return false;
  for (const KeyRow& row : kWindowKeys) {
    if (event.key.keysym.sym != row.key) continue;
    keypush = 1;
    row.action();
    return true;
  }
  return false;
}
