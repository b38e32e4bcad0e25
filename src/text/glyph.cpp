// Glyph drawing: expand a one-bit cell, scale it to SystemFontSize and paint
// it into gUra with a soft trailing edge.
#include <cstring>

#include "scenario/engine_state.h"
#include "text/font_layout.h"
#include "text/text.h"

namespace {

constexpr int kWorkStride = kGlyphSide * 3;            // 288 bytes a row
constexpr int kWorkBytes = kWorkStride * kGlyphSide;   // 27,648

void drawCell(const GlyphCell& g, int x, int y, int32_t colour, int unused) {
  fontview3(g.page, g.cell * kGlyphCellBytes, x, y, colour, unused);
}

// rOPGresizeFont over the first `channels` bytes of each pixel; the others
// are left as they were.
void resizeGlyph(uint8_t* dst, int dw, int dh, const uint8_t* src, int sw, int sh, int channels) {
  // Both images are 96 x 96 work images; other sizes would leave them.
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || dw > kGlyphSide || dh > kGlyphSide ||
      sw > kGlyphSide || sh > kGlyphSide)
    return;
  const double sx = double(sw) / dw, sy = double(sh) / dh;
  // Every row samples the same columns: worked out once.
  int ix0[kGlyphSide], ix1[kGlyphSide];
  double tx[kGlyphSide];
  for (int x = 0; x < dw; x++) {
    const double fx = x * sx;
    ix0[x] = int(fx);
    tx[x] = fx - ix0[x];
    ix1[x] = ix0[x] + 1 < sw ? ix0[x] + 1 : sw - 1;
  }
  for (int y = 0; y < dh; y++) {
    const double fy = y * sy;
    const int iy = int(fy);
    const double ty = fy - iy;
    // When shrinking the neighbour is always inside; the clamp only guards enlarging.
    const int iy1 = iy + 1 < sh ? iy + 1 : sh - 1;
    const uint8_t* row0 = src + iy * kWorkStride;
    const uint8_t* row1 = src + iy1 * kWorkStride;
    uint8_t* out = dst + y * kWorkStride;
    for (int x = 0; x < dw; x++) {
      for (int ch = 0; ch < channels; ch++) {
        const int p = row0[ix0[x] * 3 + ch], below = row1[ix0[x] * 3 + ch];
        const int pr = row0[ix1[x] * 3 + ch], belowRight = row1[ix1[x] * 3 + ch];
        const int left = int(p + (below - p) * ty);
        const int right = int(pr + (belowRight - pr) * ty);
        out[x * 3 + ch] = uint8_t(int(left + (right - left) * tx[x]));
      }
    }
  }
}

}  // namespace

// Pairs are taken whole, so the byte at text[len] may be read (and drawn when
// it completes a pair): callers pass strings that go on or end in a NUL, and
// a label drawn with an odd length still shows its last double-byte character.
void TextOut2(int x, int y, const char* text, int len, int32_t colour, int unused) {
  const int adv = SystemFontSize / 2 + 2;
  const uint8_t* t = reinterpret_cast<const uint8_t*>(text);
  GlyphCell g;
  int i = 0;
  while (i < len) {
    const uint8_t b0 = t[i];
    if (isFontLeadByte(b0)) {
      // A trail byte without a cell draws nothing but still takes its place.
      if (doubleByteCell(b0, t[i + 1], g)) drawCell(g, x + adv * i, y, colour, unused);
      i += 2;
      continue;
    }
    if (singleByteCell(b0, g)) drawCell(g, x + adv * i, y, colour, unused);
    i++;
    // The second byte of the pair; a byte that is not a single-byte character
    // (a lead byte, say) is looked at again by the next pass.
    if (singleByteCell(t[i], g)) {
      drawCell(g, x + adv * i, y, colour, unused);
      i++;
    }
  }
}

void fontview3(int page, int cellOffset, int x, int y, int32_t colour, int) {
  if (page < 0 || page >= kGlyphPages || cellOffset < 0 ||
      cellOffset > (kGlyphCellsPerPage - 1) * kGlyphCellBytes)
    return;
  const long start = long(page) * kGlyphPageBytes + kGlyphPageHeader + cellOffset;
  if (start + kGlyphCellBytes > kFontBytes) return;  // past the cut-short last page
  // Nothing of the 96 x 96 area would land in the frame.
  if (x <= -kGlyphSide || x >= kFrameW || y <= -kGlyphSide || y >= kFrameH) return;

  const int fs = SystemFontSize;
  if (fs <= 0 || fs > kGlyphSide) return;  // no glyph of that size has any ink

  const uint8_t r = uint8_t(colour >> 16), g = uint8_t(colour >> 8), b = uint8_t(colour);
  // Only the red byte of the work images decides ink, and the scaler treats
  // the three channels alike: green and blue are neither set nor scaled.
  uint8_t a[kWorkBytes] = {};
  uint8_t scaled[kWorkBytes];

  const uint8_t* cell = gfont + start;
  for (int j = 0; j < kGlyphSide; j++) {
    const uint8_t* bits = cell + j * kGlyphRowBytes;
    uint8_t* row = a + (kGlyphSide - 1 - j) * kWorkStride;  // stored bottom-up
    for (int k = 0; k < kGlyphRowBytes; k++) {
      if (!bits[k]) continue;  // most of a glyph is blank
      for (int c = k * 8; c < k * 8 + 8; c++) {
        if (bits[k] & (0x80 >> (c & 7))) row[c * 3] = 255;
      }
    }
  }

  const uint8_t* ink = a;
  if (fs != kGlyphSide) {
    // The painting reads the column after the glyph too: it must be blank.
    for (int row = 0; row < fs; row++) scaled[row * kWorkStride + fs * 3] = 0;
    resizeGlyph(scaled, fs, fs, a, kGlyphSide, kGlyphSide, 1);
    ink = scaled;
  }

  // A scaled glyph leaves the rest of the work image empty: nothing happens
  // below its rows or after its last column plus the blended one.
  const int rows = fs < kGlyphSide ? fs : kGlyphSide;
  const int cols = fs < kGlyphSide ? fs + 1 : kGlyphSide;
  for (int row = 0; row < rows; row++) {
    const int fy = y + row;
    if (fy < 0 || fy >= kFrameH) continue;
    uint8_t* line = gUra + long(fy) * kFrameStride;
    const uint8_t* src = ink + row * kWorkStride;
    bool inInk = false;
    for (int c = 0; c < cols; c++) {
      const bool ink = src[c * 3] != 0;
      if (!inInk) {
        inInk = ink;  // the first pixel of a run keeps the background
        continue;
      }
      const int fx = x + c;
      // The run is followed across the frame's edges; only inside pixels change.
      if (fx >= 0 && fx < kFrameW) {
        uint8_t* p = line + fx * 3;
        if (ink) {
          p[0] = r, p[1] = g, p[2] = b;
        } else {
          p[0] = uint8_t((p[0] >> 1) + (r >> 1));
          p[1] = uint8_t((p[1] >> 1) + (g >> 1));
          p[2] = uint8_t((p[2] >> 1) + (b >> 1));
        }
      }
      inInk = ink;
    }
  }
}

void rOPGresizeFont(uint8_t* dst, int dw, int dh, const uint8_t* src, int sw, int sh) {
  resizeGlyph(dst, dw, dh, src, sw, sh, 3);
}
