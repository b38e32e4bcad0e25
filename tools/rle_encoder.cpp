// Greedy encoder: skips for key pixels, repeats while the decoder's current
// colour stays within tolerance, pairs where a repeat would be followed by
// a new colour in the same row, and otherwise the best colour command for
// the chroma that the position may change (Cb at even, Cr at odd positions).
#include "rle_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/rle.h"

namespace {

struct Target {
  int r, g, b;
};

int channelError(RleColour c, Target t) {
  return std::max({std::abs(c.r - t.r), std::abs(c.g - t.g), std::abs(c.b - t.b)});
}

int squaredError(RleColour c, Target t) {
  const int dr = c.r - t.r, dg = c.g - t.g, db = c.b - t.b;
  return dr * dr + dg * dg + db * db;
}

uint8_t clampByte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

struct ColourCommand {
  uint8_t y, chroma;
  RleColour colour;
};

// Least squares for luma and the free chroma with the other chroma fixed,
// then a small search around it on the decoder's own arithmetic.
ColourCommand bestColour(Target t, bool oddPosition, uint8_t cb, uint8_t cr) {
  double a[3], base[3];
  if (!oddPosition) {  // Cb free, Cr fixed
    const double crOff = cr - 128.0;
    a[0] = 0, a[1] = -0.34414, a[2] = 1.772;
    base[0] = 1.402 * crOff, base[1] = -0.71414 * crOff, base[2] = 0;
  } else {  // Cr free, Cb fixed
    const double cbOff = cb - 128.0;
    a[0] = 1.402, a[1] = -0.71414, a[2] = 0;
    base[0] = 0, base[1] = -0.34414 * cbOff, base[2] = 1.772 * cbOff;
  }
  const double rr[3] = {t.r - base[0], t.g - base[1], t.b - base[2]};
  double sa = 0, saa = 0, sr = 0, sar = 0;
  for (int i = 0; i < 3; i++) sa += a[i], saa += a[i] * a[i], sr += rr[i], sar += a[i] * rr[i];
  const double det = 3 * saa - sa * sa;
  const double u = (3 * sar - sa * sr) / det;
  const double y0 = (sr - sa * u) / 3;

  ColourCommand best{0, 0, {0, 0, 0}};
  int bestError = -1;
  const int yc = std::lround(std::clamp(y0, 0.0, 255.0));
  const int cc = clampByte(u + 128.0);
  for (int y = std::max(0, yc - 3); y <= std::min(255, yc + 3); y++) {
    if (y == kRleRepeat || y == kRlePair || y == kRleSkip) continue;
    for (int c = std::max(0, cc - 3); c <= std::min(255, cc + 3); c++) {
      const RleColour got = oddPosition ? rleColour(uint8_t(y), cb, uint8_t(c))
                                        : rleColour(uint8_t(y), uint8_t(c), cr);
      const int e = squaredError(got, t);
      if (bestError < 0 || e < bestError) best = {uint8_t(y), uint8_t(c), got}, bestError = e;
    }
  }
  return best;
}

}  // namespace

std::vector<uint8_t> rleEncode(const uint8_t* rgb, int width, std::optional<RleKey> key) {
  const int64_t total = int64_t(width) * kRleRows;
  auto target = [&](int64_t p) {
    const int64_t row = kRleRows - 1 - p / width, col = p % width;  // stream rows run bottom-up
    const uint8_t* px = rgb + (row * width + col) * 3;
    return Target{px[0], px[1], px[2]};
  };
  auto isKey = [&](int64_t p) {
    if (!key) return false;
    const Target t = target(p);
    return t.r == key->r && t.g == key->g && t.b == key->b;
  };

  std::vector<uint8_t> out;
  // The first colour command carries Cb; give it the Cr its pixel wants.
  uint8_t cr = 128, cb = 128;
  for (int64_t p = 0; p < total; p++) {
    if (isKey(p)) continue;
    const Target t = target(p);
    const double y = 0.299 * t.r + 0.587 * t.g + 0.114 * t.b;
    cr = clampByte(128 + (t.r - y) / 1.402);
    break;
  }
  out.push_back(cr);

  RleColour current{0, 0, 0};
  auto close = [&](int64_t p) { return !isKey(p) && channelError(current, target(p)) <= kRleRepeatTolerance; };

  int64_t p = 0;
  while (p < total) {
    if (isKey(p)) {
      int64_t run = 1;
      while (run < 256 && p + run < total && isKey(p + run)) run++;
      out.push_back(kRleSkip), out.push_back(uint8_t(run - 1));
      p += run;
      continue;
    }
    if (close(p)) {
      int64_t run = 1;
      while (run < 512 && p + run < total && close(p + run)) run++;
      // A pair command covers the run and the new colour after it in one go
      // when both lie in this row: colour B here, then pairs that leave the
      // old colour behind up to B's true position.
      const int64_t col = p % width, next = p + run;
      if (run % 2 == 0 && col + run < width && !isKey(next) && !close(next)) {
        const ColourCommand b = bestColour(target(next), p % 2 == 1, cb, cr);
        out.push_back(b.y), out.push_back(b.chroma);
        out.push_back(kRlePair), out.push_back(uint8_t(run / 2 - 1));
        (p % 2 ? cr : cb) = b.chroma;
        current = b.colour;
        p = next + 1;
        continue;
      }
      run = std::min<int64_t>(run, 256);
      out.push_back(kRleRepeat), out.push_back(uint8_t(run - 1));
      p += run;
      continue;
    }
    const ColourCommand c = bestColour(target(p), p % 2 == 1, cb, cr);
    out.push_back(c.y), out.push_back(c.chroma);
    (p % 2 ? cr : cb) = c.chroma;
    current = c.colour;
    p++;
  }
  return out;
}
