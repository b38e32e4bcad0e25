// The AVX2 kernels against the portable code on arbitrary input: the scaler
// (sizes and pixels from the input), the IDCT (any coefficients, so sums
// wrap) and the colour conversion (any samples, whole or half-resolution
// chroma, rows with or without slack after them), the colour conversion
// against the per-pixel formula, the alpha blit (any alpha, either pixel
// order, any frame bytes) and the PNG row filters (any type, row and row
// above, in place or from other bytes). Any difference aborts. Without AVX2 there is
// nothing to compare.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "image/blit.h"
#include "image/jpeg_colour.h"
#include "image/jpeg_idct.h"
#include "image/jpeg_tables.h"
#include "image/png_rows.h"
#include "image/vector_paths.h"
#include "scenario/engine_state.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t size, pos = 0;
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
  int32_t word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v = v << 8 | byte();
    return int32_t(v);
  }
};

void checkScaler(Input& in) {
  const int sw = 1 + in.byte() % 40, sh = 1 + in.byte() % 40;
  const int dw = 1 + in.byte() % 40, dh = 1 + in.byte() % 40;
  for (int y = 0; y < sh; y++)
    for (int x = 0; x < sw * 3; x++) gHaikeiBits[size_t(y) * kFrameStride + size_t(x)] = in.byte();
  std::vector<uint8_t> rows[2];
  for (int avx2 = 0; avx2 < 2; avx2++) {
    chooseAvx2Paths(avx2 != 0);
    rOPGresize(gUraCash, dw, dh, gHaikeiBits, sw, sh);
    for (int y = 0; y < dh; y++)
      rows[avx2].insert(rows[avx2].end(), gUraCash + size_t(y) * kFrameStride,
                        gUraCash + size_t(y) * kFrameStride + size_t(dw) * 3);
  }
  if (rows[0] != rows[1]) std::abort();
}

void checkIdct(Input& in) {
  jpegBuildTables();
  int32_t values[64];
  uint8_t positions[64];
  const int count = 1 + in.byte() % 64, step = 1 + 2 * (in.byte() % 32);
  for (int n = 0; n < count; n++) {
    positions[n] = uint8_t(n * step % 64);  // distinct, DC first, in any order
    const uint8_t kind = in.byte();
    values[n] = kind & 1 ? in.word() : int32_t(int8_t(in.byte())) * (kind >> 1);
  }
  int32_t out[2][64];
  for (int avx2 = 0; avx2 < 2; avx2++) {
    chooseAvx2Paths(avx2 != 0);
    jpegIdct(positions, values, count, out[avx2]);
  }
  if (std::memcmp(out[0], out[1], sizeof out[0]) != 0) std::abort();
}

void checkColour(Input& in) {
  const int count = 1 + in.byte() % 40, repeat = 1 + in.byte() % 2, slack = in.byte() % 8;
  const int chroma = (count + repeat - 1) / repeat;
  std::vector<int32_t> y(static_cast<size_t>(count)), cb(static_cast<size_t>(chroma)), cr(cb);
  for (auto* samples : {&y, &cb, &cr})
    for (auto& v : *samples) v = in.word();
  std::vector<uint8_t> rgb[2];
  for (int avx2 = 0; avx2 < 2; avx2++) {
    chooseAvx2Paths(avx2 != 0);
    std::vector<int32_t> red(cr.size()), greenCr(cr.size()), greenCb(cb.size()), blue(cb.size());
    jpegCrTerms(cr.data(), chroma, red.data(), greenCr.data());
    jpegCbTerms(cb.data(), chroma, greenCb.data(), blue.data());
    // The slack may be scribbled on; the byte after it never.
    rgb[avx2].assign(size_t(count) * 3 + size_t(slack) + 1, 0x5A);
    const JpegMcuRows mcu{y.data(), 0, {red.data(), greenCr.data(), 0, 1},
                          {greenCb.data(), blue.data(), 0, 1}, repeat};
    jpegMcuToRgb(mcu, 1, count, rgb[avx2].data(), 0, slack);
    if (rgb[avx2].back() != 0x5A) std::abort();
    rgb[avx2].resize(size_t(count) * 3);
  }
  if (rgb[0] != rgb[1]) std::abort();
  for (int i = 0; i < count; i++) {
    uint8_t want[3];
    jpegYccToRgb(y[size_t(i)], cb[size_t(i / repeat)], cr[size_t(i / repeat)], want);
    if (std::memcmp(want, &rgb[0][size_t(i) * 3], 3) != 0) std::abort();
  }
}

void checkBlend(Input& in) {
  const int width = 1 + in.byte() % 48;
  const PixelOrder order = in.byte() & 1 ? PixelOrder::BGR : PixelOrder::RGB;
  std::vector<uint8_t> picture(size_t(width) * 4), frame(size_t(width) * 3);
  for (auto& b : picture) b = in.byte();
  for (auto& b : frame) b = in.byte();
  std::vector<uint8_t> rows[2];
  for (int avx2 = 0; avx2 < 2; avx2++) {
    chooseAvx2Paths(avx2 != 0);
    std::memcpy(gHaikeiBits, frame.data(), frame.size());
    blitPicture(gHaikeiBits, {picture.data(), width, 1, 4, order, RowOrder::TopDown}, 0, 1, BlitMode::Alpha);
    rows[avx2].assign(gHaikeiBits, gHaikeiBits + frame.size());
  }
  if (rows[0] != rows[1]) std::abort();
}

// Unfiltered in place and from separate bytes, on both paths: four equal
// rows, and the guard bytes around the row untouched.
void checkUnfilter(Input& in) {
  const int bytesPerPixel = in.byte() & 1 ? 4 : 3;
  const int filter = in.byte() % 6;  // 5: an unknown type
  const bool first = in.byte() % 4 == 0;
  const size_t rowBytes = size_t(1 + in.byte() % 64) * size_t(bytesPerPixel);
  constexpr size_t kGuard = 16;
  std::vector<uint8_t> above(rowBytes), filtered(rowBytes);
  for (auto& b : above) b = in.byte();
  for (auto& b : filtered) b = in.byte();
  std::vector<uint8_t> rows[4];
  for (int run = 0; run < 4; run++) {
    chooseAvx2Paths(run & 1);
    std::vector<uint8_t>& row = rows[run];
    row.assign(rowBytes + 2 * kGuard, 0xA5);
    const bool inPlace = run & 2;
    if (inPlace) std::memcpy(&row[kGuard], filtered.data(), rowBytes);
    unfilterRow(&row[kGuard], inPlace ? &row[kGuard] : filtered.data(), first ? nullptr : above.data(),
                rowBytes, bytesPerPixel, filter);
    for (size_t k = 0; k < kGuard; k++)
      if (row[k] != 0xA5 || row[kGuard + rowBytes + k] != 0xA5) std::abort();
  }
  for (int run = 1; run < 4; run++)
    if (rows[run] != rows[0]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!chooseAvx2Paths(true)) return 0;
  Input in{data, size};
  const uint8_t kernel = in.byte();
  if (kernel >= 240) {  // the blend came last: older inputs keep their meaning
    checkBlend(in);
    return 0;
  }
  if (kernel >= 232) {  // the row filters took a few older inputs' place
    checkUnfilter(in);
    return 0;
  }
  switch (kernel % 3) {
    case 0: checkScaler(in); break;
    case 1: checkIdct(in); break;
    default: checkColour(in); break;
  }
  return 0;
}
