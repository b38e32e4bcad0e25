// Each entry is drawn as a small message window of its own: the message
// window's tint and the text colour it was shown in, so a message reads back
// as it first read. Chosen answers get the highlighted choice bar's tint and
// an arrow. Entries stack upward from the bottom of the window.
#include "display/history_screen.h"

#include <cstring>

#include "display/display.h"
#include "display/windows.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "text/text.h"

namespace {

constexpr char kArrow[] = "\x81\xa8";  // the chosen mark
constexpr int kMessageTint = 255, kChosenTint = 351;
constexpr uint32_t kTrackColour = 0x3F3F3F, kThumbColour = 0xFFFF7F;

uint8_t coveredFrame[kFrameBytes];  // the frame the history was opened over
bool shown;
int bottomEntry;   // the entry at the bottom of the screen
int topEntry;      // the oldest entry the last drawing showed

struct Geometry {
  int fs, pitch, pad, gap, margin;
  int left;        // x of a text line's first character, as in the message window
  int x0, x1;      // panel columns: room for the arrow and 26 bytes of text
};

Geometry geometry() {
  Geometry g;
  g.fs = SystemFontSize;
  g.pitch = g.fs + 4;
  g.pad = g.fs / 4 + 2;
  g.gap = g.fs / 4;
  g.margin = g.fs / 2;
  g.left = (w - 12 * g.fs - 48) / 2;
  g.x0 = g.left - g.fs - 8;
  g.x1 = g.left + 13 * g.fs + 56;
  return g;
}

int linesOf(const HistoryEntry& e) {
  if (e.chosen) return 1;
  int n = 1;
  for (int k = 1; k < 4; k++) {
    if (e.lines[k][0] != 0) n = k + 1;
  }
  return n;
}

int panelHeight(const Geometry& g, const HistoryEntry& e) {
  return 2 * g.pad + linesOf(e) * g.pitch - 4;
}

// Only the window's top-left part of a frame is ever shown, so only that
// part is kept and put back: a small window costs a small copy.
void copyWindowPart(uint8_t* to, const uint8_t* from) {
  const int rows = h < kFrameH ? h : kFrameH, bytes = (w < kFrameW ? w : kFrameW) * 3;
  if (bytes <= 0) return;
  for (int y = 0; y < rows; y++) std::memcpy(to + y * kFrameStride, from + y * kFrameStride, bytes);
}

// An eighth of the brightness: the scene can still be made out, the message
// it was showing no longer competes with the history.
void darkenWindow() {
  for (int y = 0; y < h && y < kFrameH; y++) {
    uint8_t* p = gUra + y * kFrameStride;
    for (int i = 0; i < w * 3 && i < kFrameStride; i++) p[i] >>= 3;
  }
}

void fill(int y0, int y1, int x0, int x1, uint32_t colour) {
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < kFrameH; y++) {
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < kFrameW; x++) {
      uint8_t* p = gUra + y * kFrameStride + x * 3;
      p[0] = uint8_t(colour >> 16), p[1] = uint8_t(colour >> 8), p[2] = uint8_t(colour);
    }
  }
}

void drawLine(const Geometry& g, const char* line, int y, int32_t colour) {
  const int advance = g.fs / 2 + 2;
  for (int i = 0; i < kLineBytes - 1; i += 2) {
    if (line[i] != 0) TextOut2(g.left + advance * i, y, line + i, 2, colour, 0);
  }
}

void drawEntry(const Geometry& g, const HistoryEntry& e, int top) {
  // Tinted over black, so nothing of the covered frame shows through the text.
  fill(top, top + panelHeight(g, e), g.x0, g.x1, 0);
  tint(top, top + panelHeight(g, e), g.x0, g.x1, e.chosen ? kChosenTint : kMessageTint);
  const int n = linesOf(e);
  for (int k = 0; k < n; k++) drawLine(g, e.lines[k], top + g.pad + k * g.pitch, e.colour);
  if (e.chosen) TextOut2(g.left - 2 * (g.fs / 2 + 2), top + g.pad, kArrow, 2, e.colour, 0);
}

// A thin bar beside the panels shows where the view lies in the history,
// drawn only when some entries are out of view.
void drawScrollBar(const Geometry& g) {
  const int count = historyCount();
  if (topEntry == 0 && bottomEntry == count - 1) return;
  const int x0 = g.x1 + g.fs / 4, x1 = x0 + (g.fs / 12 > 2 ? g.fs / 12 : 2);
  const int y0 = g.margin, length = h - 2 * g.margin;
  fill(y0, y0 + length, x0, x1, kTrackColour);
  fill(y0 + length * topEntry / count, y0 + length * (bottomEntry + 1) / count, x0, x1,
       kThumbColour);
}

void drawHistory() {
  copyWindowPart(gUra, coveredFrame);
  darkenWindow();
  const Geometry g = geometry();
  int y = h - g.margin;
  topEntry = bottomEntry < 0 ? 0 : bottomEntry;
  for (int i = bottomEntry; i >= 0; i--) {
    const HistoryEntry& e = historyEntry(i);
    const int top = y - panelHeight(g, e);
    if (top < g.margin && i != bottomEntry) break;  // the bottom entry is shown even if cut
    drawEntry(g, e, top);
    topEntry = i;
    y = top - g.gap;
  }
  drawScrollBar(g);
  SDLview();
}

}  // namespace

bool historyShown() { return shown; }

void openHistory() {
  if (shown) return;
  copyWindowPart(coveredFrame, gUra);
  shown = true;
  bottomEntry = historyCount() - 1;
  drawHistory();
}

void closeHistory() {
  if (!shown) return;
  shown = false;
  copyWindowPart(gUra, coveredFrame);
  SDLview();
}

void scrollHistoryUp() {
  if (!shown || topEntry == 0) return;
  bottomEntry--;
  drawHistory();
}

void scrollHistoryDown() {
  if (!shown || historyAtNewest()) return;
  bottomEntry++;
  drawHistory();
}

bool historyAtNewest() { return bottomEntry >= historyCount() - 1; }
