// The decorations drawn over the fitted scene in gUra: the message window
// with its four lines, or the question box with the six choice bars.
#pragma once

void drawMessageScreen();
void drawChoiceScreen();

// Tints rows [y0, y1) x columns [x0, x1) of gUra, clipped to the frame:
// red half-way to 255, green half-way to greenTarget (capped at 255), blue
// halved. 255 gives the message window, 351 and 127 the choice bars.
void tint(int y0, int y1, int x0, int x1, int greenTarget);
