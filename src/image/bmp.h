// BMP pictures: uncompressed 16 (5-5-5), 24 and 32 bits per pixel, pixel
// array at byte 54. The file is taken from gfilework and converted there.
#pragma once

#include <cstdint>

constexpr int32_t kBmpPixelOffset = 54;

enum class BmpStatus { Ok, NotBmp, UnsupportedDepth };

// A file converted to the working layout: packed B,G,R rows of width
// pixels, bottom row first, in gfilework from byte 54 on.
struct BmpPicture {
  const uint8_t* rows;  // working layout
  int32_t width;        // as the header says
  int32_t height;       // as the header says, top-down flag removed
  int32_t rowsHeld;     // complete rows the file delivered (the rest is missing)
  int32_t topRow;       // picture row (from the top) of the top row held
};

// Converts the first `bytesRead` bytes of gfilework (gdata is scratch). The
// result never depends on gfilework past `bytesRead`.
BmpStatus bmpConvert(int32_t bytesRead, BmpPicture& out);

// Everything rOPGbmp does after reading the file: the signature and depth
// clears, the conversion, and the drawing by layer code.
void bmpDraw(uint8_t* dst, int32_t bytesRead, uint32_t layer);
