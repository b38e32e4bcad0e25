#include "display/overlays.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "scenario/engine_state.h"
#include "text/text.h"

bool gWindowsHidden;
const char* gIndicatorLabel;

namespace {

constexpr int32_t kLabelInk = 0xFFFFFF;
constexpr int kSmallestCell = 20;  // still legible in the 574-pixel window

struct Box {
  int x0, y0, x1, y1;
};
Box gBox;
std::vector<uint8_t> gUnder;  // the pixels the label covers

// Half the message cell size, so the label stays small beside the text at
// every window size.
int labelCell() { return std::max(kSmallestCell, SystemFontSize / 2); }

}  // namespace

bool indicatorDraw() {
  if (!gIndicatorLabel) return false;
  const int cell = labelCell(), pad = cell / 4;
  const int len = int(std::strlen(gIndicatorLabel));
  const int advance = cell / 2 + 2;  // the glyph drawer's step per byte
  gBox.x1 = std::min(w, kFrameW) - pad;
  gBox.x0 = std::max(0, gBox.x1 - len * advance - 2 * pad - 1);
  gBox.y0 = pad;
  gBox.y1 = std::min(pad + cell + 2 * pad, std::min(h, kFrameH));
  if (gBox.x1 <= gBox.x0 || gBox.y1 <= gBox.y0) return false;

  const size_t rowBytes = size_t(gBox.x1 - gBox.x0) * 3;
  gUnder.resize(rowBytes * size_t(gBox.y1 - gBox.y0));
  for (int y = gBox.y0; y < gBox.y1; y++) {
    uint8_t* p = gUra + y * kFrameStride + gBox.x0 * 3;
    std::memcpy(&gUnder[size_t(y - gBox.y0) * rowBytes], p, rowBytes);
    for (size_t i = 0; i < rowBytes; i++) p[i] >>= 2;  // a dark plate under light text
  }
  // The glyph drawer takes its cell size from SystemFontSize.
  const int32_t messageCell = SystemFontSize;
  SystemFontSize = cell;
  // Drawn twice, a pixel apart: thin strokes of a scaled-down cell turn bold.
  for (int dx = 0; dx < 2; dx++) TextOut2(gBox.x0 + pad + dx, gBox.y0 + pad, gIndicatorLabel, len, kLabelInk, 0);
  SystemFontSize = messageCell;
  return true;
}

void indicatorErase() {
  const size_t rowBytes = size_t(gBox.x1 - gBox.x0) * 3;
  for (int y = gBox.y0; y < gBox.y1; y++)
    std::memcpy(gUra + y * kFrameStride + gBox.x0 * 3, &gUnder[size_t(y - gBox.y0) * rowBytes], rowBytes);
}
