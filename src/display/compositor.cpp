// rGame: compose the picture layers, fit the scene to the window, decorate
// it with the message window or the choice list, and present it.
#include <cstring>

#include "display/composition_memo.h"
#include "display/display.h"
#include "display/overlays.h"
#include "display/scale.h"
#include "display/windows.h"
#include "image/loaders.h"
#include "scenario/engine_state.h"

namespace {

enum PictureType { kRunLength = 0, kBmp = 1, kJpeg = 2, kPng = 3 };

// A layer's code for the loaders and which picture types it can load; every
// layer loads BMP and PNG.
struct Layer {
  uint32_t code;
  bool runLength, jpeg;
};
constexpr Layer kBackground{0, true, true};
constexpr Layer kOverlay{6, false, false};
constexpr Layer kCharacters[3] = {{1, true, false}, {2, true, false}, {3, true, false}};

bool layerLoads(int32_t type, const Layer& layer) {
  switch (type) {
    case kRunLength: return layer.runLength;
    case kBmp: case kPng: return true;
    case kJpeg: return layer.jpeg;
    default: return false;
  }
}

// Draws one slot: from the cache when the number is cached (whatever the
// slot's type), otherwise through the loader its type selects, if the layer
// has one for that type.
void paintSlot(int32_t number, int32_t type, const Layer& layer) {
  if (number == 0) return;
  const int32_t entry = cash_get2(number);
  if (entry >= 0) {
    rOPGpng2(gHaikeiBits, entry, static_cast<int32_t>(layer.code));
    return;
  }
  if (!layerLoads(type, layer)) return;
  switch (type) {
    case kRunLength: rOPGkn1(gHaikeiBits, static_cast<uint16_t>(number), layer.code); break;
    case kBmp: rOPGbmp(gHaikeiBits, number, layer.code); break;
    case kJpeg: rOPGjpg(gHaikeiBits, number, layer.code); break;
    case kPng: rOPGpng(gHaikeiBits, number, layer.code); break;
  }
}

bool paintedWithoutLoader(int32_t number, int32_t type, const Layer& layer) {
  return number == 0 || cash_get2(number) >= 0 || !layerLoads(type, layer);
}

// Whether painting the slots as they stand gives bytes that depend on the
// slots and the cache alone: the background overwrites every byte of the
// buffer without looking at it (the fill colour, or a cached picture without
// alpha at least a whole frame in size, which the cache painter copies from
// the top-left corner), and no slot goes to a loader, which reads files,
// may print and fills the cache.
bool paintingRepeatable() {
  if (HaikeiCG != 0) {
    const int32_t e = cash_get2(HaikeiCG);
    if (e < 0 || !cashimg_CG2[e] || cash_dotsize2[e] != 3 || cash_width2[e] < kFrameW ||
        cash_height2[e] < kFrameH)
      return false;
  }
  if (!paintedWithoutLoader(KoukeiCG, KoukeiCGtype, kOverlay)) return false;
  for (int i = 0; i < 3; i++)
    if (!paintedWithoutLoader(CharaCG[i], CharaCGtype[i], kCharacters[i])) return false;
  return paintedWithoutLoader(ZenkeiCG, ZenkeiCGtype, kOverlay);
}

void fillBackground(uint32_t colour) {
  uint8_t row[kFrameStride];
  for (int x = 0; x < kFrameW; x++) {
    row[x * 3] = static_cast<uint8_t>(colour >> 16);
    row[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
    row[x * 3 + 2] = static_cast<uint8_t>(colour);
  }
  for (int y = 0; y < kFrameH; y++) std::memcpy(gHaikeiBits + y * kFrameStride, row, kFrameStride);
}

void paintLayers() {
  if (HaikeiCG == 0) {
    fillBackground(static_cast<uint32_t>(HaikeiCGtype));
  } else {
    paintSlot(HaikeiCG, HaikeiCGtype, kBackground);
  }
  paintSlot(KoukeiCG, KoukeiCGtype, kOverlay);
  for (int i = 0; i < 3; i++) paintSlot(CharaCG[i], CharaCGtype[i], kCharacters[i]);
  paintSlot(ZenkeiCG, ZenkeiCGtype, kOverlay);
}

// Every byte becomes byte * percent / 100, truncated; anything outside a
// byte, negative results included, saturates to 255.
void applyBrightness(int32_t percent) {
  uint8_t table[256];
  for (int v = 0; v < 256; v++) {
    const int64_t q = int64_t{v} * percent / 100;
    table[v] = static_cast<uint8_t>(q < 0 || q > 255 ? 255 : q);
  }
  for (uint8_t& byte : gHaikeiBits) byte = table[byte];
}

void fitToWindow() {
  if (cashok == 0 && windowIsDesignSize()) {
    std::memcpy(gUra, gHaikeiBits, kFrameBytes);
    return;
  }
  if (cashok == 0) {
    scaleSceneToWindow();
    cashok = 1;
  }
  int x0 = static_cast<int>((w - resizeX) * 0.5);
  int y0 = static_cast<int>((h - resizeY) * 0.5);
  int pw = static_cast<int>(resizeX), ph = static_cast<int>(resizeY);
  // The scale choice keeps the picture inside the window; clip anyway so no
  // state can make the copy leave the frame.
  int sx = 0, sy = 0;
  if (x0 < 0) sx = -x0, pw += x0, x0 = 0;
  if (y0 < 0) sy = -y0, ph += y0, y0 = 0;
  if (x0 + pw > kFrameW) pw = kFrameW - x0;
  if (y0 + ph > kFrameH) ph = kFrameH - y0;
  if (sx + pw > kFrameW) pw = kFrameW - sx;
  if (sy + ph > kFrameH) ph = kFrameH - sy;
  if (pw <= 0 || ph <= 0) {
    std::memset(gUra, 0, kFrameBytes);
    return;
  }
  // Everything outside the picture is black. The frame is cleared around the
  // picture only, in the gaps between its rows, so no byte is written twice.
  const size_t rowBytes = static_cast<size_t>(pw) * 3;
  const size_t gap = kFrameStride - rowBytes;
  uint8_t* const first = gUra + y0 * kFrameStride + x0 * 3;
  std::memset(gUra, 0, static_cast<size_t>(first - gUra));
  for (int y = 0; y < ph; y++) {
    uint8_t* const row = first + y * kFrameStride;
    std::memcpy(row, gUraCash + (sy + y) * kFrameStride + sx * 3, rowBytes);
    // The gap after the last row runs to the end of the frame.
    const size_t after = y + 1 < ph ? gap : static_cast<size_t>(gUra + kFrameBytes - row) - rowBytes;
    std::memset(row + rowBytes, 0, after);
  }
}

}  // namespace

void rGame(int32_t redraw) {
  if (SystemMode == 1) {
    SDLview();  // frozen display: show the frame as it stands
    return;
  }
  bool painted = false, repeatable = false;
  if (redraw != 0 && compositionStillShown()) {
    // The buffers already hold this very scene: end as composing it would.
    cashok = windowIsDesignSize() ? 0 : 1;
  } else if (redraw != 0) {
    cashok = 0;
    repeatable = paintingRepeatable();
    paintLayers();
    if (CgBright != 0) applyBrightness(CgBrighttype);
    painted = true;
  }
  fitToWindow();
  if (painted) noteComposition(repeatable);
  if (gWindowsHidden) {
    // the player asked to see the picture alone
  } else if (SelectMode != 1) {
    drawMessageScreen();
  } else {
    drawChoiceScreen();
  }
  SDLview();
}
