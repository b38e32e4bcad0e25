// Message window and choice list. Geometry follows the picture area that the
// fit left in the window (top and bottom rows) and the font cell size FS;
// a double-byte character advances 2 * (FS/2 + 2) pixels.
#include <cstdio>

#include "display/tint_kernel.h"
#include "display/windows.h"
#include "scenario/engine_state.h"
#include "text/text.h"

namespace {

constexpr int kCharacterOffsets = 26;  // byte offsets 0, 2, ..., 24

struct TextGeometry {
  int fs;         // SystemFontSize
  double top;     // first window row of the picture area
  double bottom;  // row just below the picture area
  int left;       // x of the first character of a line

  int charX(int i) const { return left + (fs / 2 + 2) * i; }
};

TextGeometry textGeometry() {
  TextGeometry g;
  g.fs = SystemFontSize;
  g.top = (h - resizeY) * 0.5;
  g.bottom = h - (h - resizeY) * 0.5;
  g.left = (w - 12 * g.fs - 48) / 2;
  return g;
}

}  // namespace

void tint(int y0, int y1, int x0, int x1, int greenTarget) {
  if (y0 < 0) y0 = 0;
  if (y1 > kFrameH) y1 = kFrameH;
  if (x0 < 0) x0 = 0;
  if (x1 > kFrameW) x1 = kFrameW;
  if (y1 <= y0 || x1 <= x0) return;
  if (avx2PathsEnabled() && tintRowsAvx2(gUra + y0 * kFrameStride + x0 * 3, y1 - y0, x1 - x0, greenTarget))
    return;
  for (int y = y0; y < y1; y++) {
    uint8_t* p = gUra + y * kFrameStride + x0 * 3;
    for (int x = x0; x < x1; x++, p += 3) {
      const int g = (p[1] + greenTarget) >> 1;
      p[0] = static_cast<uint8_t>((p[0] + 255) >> 1);
      p[1] = static_cast<uint8_t>(g > 255 ? 255 : g);
      p[2] = static_cast<uint8_t>(p[2] >> 1);
    }
  }
}

namespace {

void drawCharacter(const TextGeometry& g, const char* line, int i, int y) {
  if (line[i] != 0) TextOut2(g.charX(i), y, line + i, 2, MsgColor, 0);
}

}  // namespace

void drawMessageScreen() {
  const TextGeometry g = textGeometry();
  const int fs = g.fs;
  if (Msg1[0] != 0 || FaceCG != 0) {
    const int y0 = static_cast<int>(g.bottom - (4 * fs + 16) - fs / 3);
    const int y1 = Msg4[0] != 0 ? static_cast<int>(g.bottom)
                                : static_cast<int>(g.bottom - (fs + 4) + fs / 3);
    tint(y0, y1, g.left - fs / 2 + 2, g.left + 12 * fs + fs / 2 + 50, 255);
  }
  const int rows[4] = {
      static_cast<int>(g.bottom - (4 * fs + 16)), static_cast<int>(g.bottom - (3 * fs + 12)),
      static_cast<int>(g.bottom - (2 * fs + 8)), static_cast<int>(g.bottom - (fs + 4))};
  for (int i = 0; i < kCharacterOffsets; i += 2) {
    for (int line = 0; line < 4; line++) drawCharacter(g, messageLine(line), i, rows[line]);
  }
}

void drawChoiceScreen() {
  const TextGeometry g = textGeometry();
  const int fs = g.fs;
  const int x0 = g.left - fs + 4;
  const int x1 = g.left + 26 * (fs / 2) + 52;
  if (Msg1[0] != 0) {
    const int height = Msg3[0] != 0 ? 3 * fs + 12 : 2 * fs + 8;
    const int y0 = static_cast<int>(g.top);
    const int y1 = static_cast<int>(g.top + height);
    tint(y0, y1, x0, x1, 255);
    std::printf("%d : %d\n", y0, y1);
  }
  for (int k = 1; k <= 6; k++) {
    if (selectLine(k - 1)[0] == 0) continue;
    const double b = g.top + (k + 2) * (fs + 4);
    int y1 = static_cast<int>(b);
    while (y1 < b + fs) y1++;
    tint(static_cast<int>(b), y1, x0, x1, SelectNow == k - 1 ? 351 : 127);
  }
  for (int i = 0; i < kCharacterOffsets; i += 2) {
    drawCharacter(g, Msg1, i, static_cast<int>(g.top));
    drawCharacter(g, Msg2, i, static_cast<int>(g.top + fs + 4));
    if (Msg3[0] != 0) drawCharacter(g, Msg3, i, static_cast<int>(g.top + 2 * fs + 8));
    for (int k = 1; k <= 6; k++) {
      drawCharacter(g, selectLine(k - 1), i, static_cast<int>(g.top + (k + 2) * (fs + 4)));
    }
  }
}
