// Switching the window to full screen and back, at the same size.
#pragma once

extern bool gFullScreen;  // the video surface is full screen

// Toggles with SDL_WM_ToggleFullScreen, or by opening the video mode again
// where the driver cannot toggle, then shows the frame again. Window size,
// font size and scaling stay as they are.
void toggleFullScreen();
