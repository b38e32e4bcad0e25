// The one drawing routine behind the BMP and PNG loaders and the cache
// painter: placement by layer code, opaque copy, keyed copy with darkened
// left edges, and alpha blend in whole percent. It clips to the composition
// buffer, so no picture size or position can make it write outside.
#pragma once

#include <cstdint>

enum class PixelOrder { RGB, BGR };
enum class RowOrder { TopDown, BottomUp };
enum class BlitMode { Opaque, Keyed, Alpha };

struct BlitSource {
  const uint8_t* pixels;  // first stored row; rows packed, width * bytesPerPixel bytes each
  int32_t width;
  int32_t height;         // rows stored
  int32_t bytesPerPixel;  // 3, or 4 with alpha last
  PixelOrder order;
  RowOrder rows;
};

// Left edge of a picture `width` pixels wide on character layers 1 (centre),
// 2 (left half) and 3 (right half) of a design `designW` wide; 0 otherwise.
int32_t layerLeftEdge(int32_t layer, int32_t designW, int32_t width);

// Draws picture rows 0 .. rowLimit-1 (counted from the top, at most the
// picture's height) onto frame rows 0 .. at column x0 of a frame-layout
// buffer. Keyed mode takes the first stored pixel as the key colour and
// carries the edge flag across rows; columns outside the frame are visited
// (for the edge flag) but not written.
void blitPicture(uint8_t* dst, const BlitSource& src, int32_t x0, int32_t rowLimit, BlitMode mode);
