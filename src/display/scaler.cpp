// The scale choice and the bilinear scaler between frame-layout buffers.
#include <cstring>
#include <vector>

#include "display/composition_memo.h"
#include "display/display.h"
#include "display/scale.h"
#include "display/scale_rows.h"
#include "image/vector_paths.h"
#include "scenario/engine_state.h"

DesignSize designSize() {
  if (SystemSizeW <= 0 || SystemSizeH <= 0) return {kFrameW, kFrameH};
  return {SystemSizeW < kFrameW ? SystemSizeW : kFrameW,
          SystemSizeH < kFrameH ? SystemSizeH : kFrameH};
}

bool windowIsDesignSize() {
  const DesignSize design = designSize();
  return w == design.width && h == design.height;
}

void scaleSceneToWindow() {
  forgetComposition();  // gUraCash is rewritten, perhaps for another window size
  const DesignSize design = designSize();
  const double wlim = w > kFrameW ? kFrameW : w;
  const double hlim = h > kFrameH ? kFrameH : h;
  const double rx = wlim / design.width;
  const double ry = hlim / design.height;
  double scale = rx > ry ? ry : rx;
  // Shrink until a scaled row is a whole number of 16-byte units; n reaches 0
  // at the latest, which is a multiple of 16.
  for (;;) {
    const int n = static_cast<int>(design.width * scale);
    if (n % 16 == 0) break;
    scale -= 0.001;
  }
  resizeX = design.width * scale;
  resizeY = design.height * scale;
  rOPGresize(gUraCash, static_cast<int>(resizeX), static_cast<int>(resizeY), gHaikeiBits,
             design.width, design.height);
}

void rOPGresize(uint8_t* dst, int dw, int dh, const uint8_t* src, int sw, int sh) {
  if (dh < 1 || dw < 1 || sw < 1 || sh < 1) return;
  const double sx = static_cast<double>(sw) / dw;
  const double sy = static_cast<double>(sh) / dh;
  // Both buffers are frames: never write or read outside them.
  if (dw > kFrameW) dw = kFrameW;
  if (dh > kFrameH) dh = kFrameH;
  if (sw > kFrameW) sw = kFrameW;
  if (sh > kFrameH) sh = kFrameH;

  // Positions accumulate by repeated addition, as the filter is defined; the
  // column table is shared by every row. Neighbours past the last source
  // column or row repeat the edge pixel.
  // Steps in binary fractions (1920 to 1280 is 1.5) give exact weights,
  // which the vector kernels take in integers.
  std::vector<ScaleColumn> columns(static_cast<size_t>(dw));
  bool exactColumns = true;
  double fx = 0;
  for (int x = 0; x < dw; x++) {
    int ix = static_cast<int>(fx);
    if (ix > sw - 1) ix = sw - 1;
    const int next = ix + 1 < sw ? ix + 1 : ix;
    const double t = fx - static_cast<int>(fx);
    columns[static_cast<size_t>(x)] = {ix * 3, next * 3, t, exactWeight(t)};
    exactColumns = exactColumns && columns[static_cast<size_t>(x)].weight >= 0;
    fx += sx;
  }

  // The vertical step of a source pixel depends only on its column and the
  // destination row, so each row interpolates every source byte once and the
  // horizontal step reads those results. The slack lets vector code read a
  // whole pixel's worth past the last channel.
  const bool avx2 = avx2PathsEnabled();
  std::vector<int32_t> vertical(static_cast<size_t>(sw) * 3 + kScaleSlack, 0);
  double fy = 0;
  for (int y = 0; y < dh; y++, fy += sy) {
    int iy = static_cast<int>(fy);
    const double ty = fy - iy;
    if (iy > sh - 1) iy = sh - 1;
    const int below = iy + 1 < sh ? iy + 1 : iy;
    const uint8_t* row0 = src + static_cast<size_t>(iy) * kFrameStride;
    const uint8_t* row1 = src + static_cast<size_t>(below) * kFrameStride;
    int32_t* v = vertical.data();
    if (ty == 0) {
      for (int i = 0; i < sw * 3; i++) v[i] = row0[i];
    } else if (const int weight = exactWeight(ty); avx2 && weight >= 0) {
      scaleVerticalExactAvx2(row0, row1, weight, sw * 3, v);
    } else if (avx2) {
      scaleVerticalAvx2(row0, row1, ty, sw * 3, v);
    } else {
      for (int i = 0; i < sw * 3; i++) v[i] = static_cast<int>(row0[i] + (row1[i] - row0[i]) * ty);
    }
    uint8_t* out = dst + static_cast<size_t>(y) * kFrameStride;
    if (avx2 && exactColumns) {
      scaleHorizontalExactAvx2(v, columns.data(), dw, out);
      continue;
    }
    if (avx2) {
      scaleHorizontalAvx2(v, columns.data(), dw, out);
      continue;
    }
    for (int x = 0; x < dw; x++) {
      const ScaleColumn& c = columns[static_cast<size_t>(x)];
      for (int ch = 0; ch < 3; ch++) {
        const int left = v[c.offset + ch];
        const int right = v[c.nextOffset + ch];
        out[x * 3 + ch] = static_cast<uint8_t>(left + static_cast<int>((right - left) * c.t));
      }
    }
  }
}
