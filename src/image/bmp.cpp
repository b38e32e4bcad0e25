// rOPGbmp: the file is converted in place to packed B,G,R rows (bottom row
// first) and handed to the shared blitter. Every size comes from the header,
// so every row count is cut to what the file actually delivered.
#include "image/bmp.h"

#include <algorithm>
#include <cstring>

#include "image/blit.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "scenario/engine_state.h"

namespace {

// A 16-bit picture is copied to gdata before it is widened; this much of the
// file is enough for 1920 x 1080 pixels plus the headers.
constexpr int32_t k16BitCopyBytes = 4147300;

// Header fields past the end of a short file read as 0.
uint32_t headerByte(int32_t bytesRead, int32_t at) { return at < bytesRead ? gfilework[at] : 0; }
uint32_t header16(int32_t bytesRead, int32_t at) {
  return headerByte(bytesRead, at) | headerByte(bytesRead, at + 1) << 8;
}

void widen16(int32_t width, int32_t rows, int64_t storedRow) {
  uint8_t* out = gfilework + kBmpPixelOffset;
  for (int32_t r = 0; r < rows; r++) {
    const uint8_t* in = gdata + kBmpPixelOffset + r * storedRow;
    for (int32_t c = 0; c < width; c++, in += 2, out += 3) {
      const uint32_t v = in[0] | in[1] << 8;  // x RRRRR GGGGG BBBBB
      out[0] = uint8_t((v & 31) << 3);
      out[1] = uint8_t((v >> 5 & 31) << 3);
      out[2] = uint8_t((v >> 10 & 31) << 3);
    }
  }
}

// Packed rows never outgrow the stored ones, so 24- and 32-bit rows are
// compacted front to back in place.
void pack24(int32_t width, int32_t rows, int64_t storedRow) {
  uint8_t* base = gfilework + kBmpPixelOffset;
  const int64_t packedRow = int64_t(width) * 3;
  if (packedRow == storedRow) return;  // no padding: already packed
  for (int32_t r = 1; r < rows; r++) std::memmove(base + r * packedRow, base + r * storedRow, size_t(packedRow));
}

void narrow32(int32_t width, int32_t rows) {
  uint8_t* out = gfilework + kBmpPixelOffset;
  const uint8_t* in = out;
  for (int64_t i = int64_t(width) * rows; i > 0; i--, in += 4, out += 3) {
    out[0] = in[0], out[1] = in[1], out[2] = in[2];
  }
}

void reverseRows(int32_t width, int32_t rows) {
  const size_t packedRow = size_t(width) * 3;
  uint8_t* base = gfilework + kBmpPixelOffset;
  std::memcpy(gdata, base, packedRow * size_t(rows));
  for (int32_t r = 0; r < rows; r++) {
    std::memcpy(base + size_t(r) * packedRow, gdata + size_t(rows - 1 - r) * packedRow, packedRow);
  }
}

// The failed-depth clear covers the design size counted from the buffer
// start, cut to the buffer.
void clearDesignArea(uint8_t* dst) {
  if (SystemSizeW <= 0 || SystemSizeH <= 0) return;
  const int64_t w = std::min(SystemSizeW, kFrameBytes), h = std::min(SystemSizeH, kFrameBytes);
  const int64_t bytes = std::min<int64_t>(w * h * 3, kFrameBytes);
  std::memset(dst, 0, size_t(bytes));
}

}  // namespace

BmpStatus bmpConvert(int32_t bytesRead, BmpPicture& out) {
  const int32_t n = std::clamp(bytesRead, 0, kMaxFileRead);
  if (n < 2 || gfilework[0] != 'B' || gfilework[1] != 'M') return BmpStatus::NotBmp;

  const int32_t width = int32_t(header16(n, 18));
  const uint32_t heightField = header16(n, 22);
  const bool topDown = heightField > 32767;
  const int32_t height = topDown ? int32_t(65536 - heightField) : int32_t(heightField);
  const uint32_t bits = headerByte(n, 28);
  if (bits != 16 && bits != 24 && bits != 32) return BmpStatus::UnsupportedDepth;

  const int64_t storedRow = bits == 32 ? int64_t(width) * 4 : (int64_t(width) * (bits / 8) + 3) & ~int64_t(3);
  int64_t available = (bits == 16 ? std::min(n, k16BitCopyBytes) : n) - kBmpPixelOffset;
  available = std::max<int64_t>(available, 0);
  const int32_t rows = width == 0 ? 0 : int32_t(std::min<int64_t>(height, available / storedRow));

  if (bits == 16) {
    std::memcpy(gdata, gfilework, size_t(std::min(n, k16BitCopyBytes)));
    widen16(width, rows, storedRow);
  } else if (bits == 24) {
    pack24(width, rows, storedRow);
  } else {
    narrow32(width, rows);
  }
  if (topDown) reverseRows(width, rows);

  out.rows = gfilework + kBmpPixelOffset;
  out.width = width;
  out.height = height;
  out.rowsHeld = rows;
  // A short bottom-up file holds the bottom rows, a short top-down one the top rows.
  out.topRow = topDown ? 0 : height - rows;
  return BmpStatus::Ok;
}

void bmpDraw(uint8_t* dst, int32_t bytesRead, uint32_t layer) {
  BmpPicture pic;
  const BmpStatus status = bmpConvert(bytesRead, pic);
  if (status == BmpStatus::NotBmp) {
    std::memset(dst, 0, kFrameBytes);
    return;
  }
  if (layer > 3 && layer != 6) return;
  if (status == BmpStatus::UnsupportedDepth) {
    clearDesignArea(dst);
    return;
  }

  // Backgrounds are not bounded by the design size (only by the buffer);
  // characters and overlays stop at the design height. Overlays centre like
  // the centre character.
  int32_t x0 = 0;
  int32_t rowLimit = kFrameH;
  BlitMode mode = BlitMode::Opaque;
  if (layer != 0) {
    x0 = layerLeftEdge(layer == 6 ? 1 : int32_t(layer), SystemSizeW, pic.width);
    rowLimit = std::min(SystemSizeH, kFrameH);
    mode = BlitMode::Keyed;
  }
  if (pic.topRow >= rowLimit) return;
  BlitSource src{pic.rows, pic.width, pic.rowsHeld, 3, PixelOrder::BGR, RowOrder::BottomUp};
  blitPicture(dst + int64_t(pic.topRow) * kFrameStride, src, x0, rowLimit - pic.topRow, mode);
}

void rOPGbmp(uint8_t* dst, int32_t number, uint32_t layer) {
  const int32_t bytesRead = readPictureFile("%s%d.jpg", number);
  if (bytesRead < 0) return;
  bmpDraw(dst, bytesRead, layer);
}
