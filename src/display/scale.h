// Fitting the design-size scene to the window.
#pragma once

#include <cstdint>

struct DesignSize {
  int32_t width, height;
};

// The design size the compositor works at: SystemSizeW x SystemSizeH, or the
// full frame while no game has set one (0 x 0), limited to the frame.
DesignSize designSize();
// Whether the scene is shown as it is composed, with no scaled copy.
bool windowIsDesignSize();

// Chooses the scale for the current window and design size, sets resizeX and
// resizeY, and scales gHaikeiBits into gUraCash.
void scaleSceneToWindow();
