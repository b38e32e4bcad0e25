// The real mixed output, captured by SDL's disk audio driver: a device
// buffer every millisecond into a plain file.
#pragma once

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "scenario/sound.h"

inline void startDiskAudio(const std::string& file) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
}

inline void stopDiskAudio() {
  soundReset();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
