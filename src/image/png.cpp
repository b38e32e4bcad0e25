// PNG loader: 8-bit RGB and RGBA pictures, decoded by the player's own
// inflate, cached, then drawn by layer code.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "image/blit.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "image/png_decode.h"
#include "scenario/engine_state.h"

namespace {

// A refused picture blanks the top 68 rows (480 x 272 x 3 bytes), not the frame.
constexpr size_t kRefusalClearBytes = 391680;

void drawDecoded(uint8_t* dst, const PngInfo& info, uint32_t layer) {
  const bool alpha = info.bytesPerPixel == 4;
  int32_t x0 = 0;
  int32_t rows = info.height;
  switch (layer) {
    case 0:
      break;
    case 1:
    case 2:
    case 3:
      x0 = layerLeftEdge(int32_t(layer), SystemSizeW, info.width);
      // Keyed side characters stop at the design height; the others draw every row.
      if (!alpha && layer != 1) rows = std::min(info.height, SystemSizeH);
      break;
    case 6:
      break;
    default:
      return;
  }
  const BlitMode mode = alpha ? BlitMode::Alpha : (layer == 0 ? BlitMode::Opaque : BlitMode::Keyed);
  BlitSource src{gfilework, info.width, info.height, info.bytesPerPixel, PixelOrder::RGB,
                 RowOrder::TopDown};
  blitPicture(dst, src, x0, rows, mode);
}

}  // namespace

void drawPngFromWorkBuffer(uint8_t* dst, size_t fileBytes, int32_t number, uint32_t layer) {
  PngInfo info;
  switch (decodePngPicture(fileBytes, info)) {
    case PngStatus::Ok:
      break;
    case PngStatus::NotPng:
    case PngStatus::Unsupported:
    case PngStatus::TooLarge:
      std::memset(dst, 0, kRefusalClearBytes);
      return;
    case PngStatus::NoHeader:
      // Without a header there is no pixel size to draw with.
      if (layer == 6) std::puts("dotsize err");
      return;
    case PngStatus::BadStream:
    case PngStatus::MissingRows:
      return;
  }
  cacheStorePicture(number, gfilework, info.width, info.height, info.bytesPerPixel);
  drawDecoded(dst, info, layer);
}

void rOPGpng(uint8_t* dst, int32_t number, uint32_t layer) {
  const int32_t fileBytes = readPictureFile("%s%d.png", number);
  if (fileBytes < 0) return;
  drawPngFromWorkBuffer(dst, size_t(fileBytes), number, layer);
}
