// The video-mode numbers the player accepts and how they are written.
#pragma once

#include <cstdint>

struct WindowSize {
  int32_t width, height;  // 0 x 0 when the mode has no entry
};

// Window size of a mode number; {0, 0} for numbers outside 0..170 or unlisted.
WindowSize videoModeSize(int32_t mode);

// Mode number of a command-line argument: atoi of it, or, when that is 0, the
// digits after its second colon (the "a:b:NNN" form). 0 when there is none.
int32_t parseVideoModeArgument(const char* argument);

// Glyph cell size for a window width: width / 17.58, at most 96.
int32_t fontSizeForWidth(int32_t width);
