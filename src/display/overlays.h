// What the player may lay over the scene besides the specified windows: the
// text windows can be hidden, and a small label (skip or automatic reading)
// can be shown in the window's top-right corner.
#pragma once

extern bool gWindowsHidden;           // 1 = rGame leaves out the message window and choice list
extern const char* gIndicatorLabel;   // ASCII label to show, or nullptr for none

// The label is put into gUra only for the time of one presentation: draw
// saves what it covers (false when there is no label), erase puts it back.
// So screenshots, frozen frames and redraws never keep it.
bool indicatorDraw();
void indicatorErase();
