// PNG decoding on the shared work buffers, apart from file reading so that
// the loader, the decode tool and the fuzz target run the very same code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/inflate.h"

enum class PngStatus {
  Ok,           // packed rows at the start of gfilework
  NotPng,       // bytes 1 to 3 are not "PNG"
  Unsupported,  // not 8-bit RGB or RGBA, interlaced, or a short header chunk
  TooLarge,     // zero-sized, or larger than the work buffer
  NoHeader,     // no header chunk before the end of the chunks
  BadStream,    // the compressed image data is invalid
  MissingRows,  // the image data ends before the last row
};

struct PngInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerPixel = 0;  // 3 or 4 once a header was accepted
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
  InflateStatus stream = InflateStatus::Ok;
  int32_t rowsDecoded = 0;
};

// Decodes the PNG file image in gfilework[0 .. fileBytes): the image data is
// gathered into gdata and decompressed into packed rows (top row first, R G B
// or R G B A) at the start of gfilework.
PngStatus decodePngPicture(size_t fileBytes, PngInfo& info);

// The loader after the file was read into gfilework: decode, cache under
// `number`, draw by layer code.
void drawPngFromWorkBuffer(uint8_t* dst, size_t fileBytes, int32_t number, uint32_t layer);
