// Turns the decompressed PNG scanlines into packed picture rows: each row's
// filter-type byte is stripped and the filter undone the moment the row is
// complete, so the picture never needs room for its filter bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Undoes one PNG filter: `out` gets the unfiltered row of the filtered bytes
// `in`, which may be the very same bytes (in place) but may not overlap them
// otherwise. `above` is the already unfiltered previous row, or null for the
// first row (which sees zeros above). A filter type above 4 leaves the row
// as stored.
void unfilterRow(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t rowBytes,
                 int bytesPerPixel, int filter);

// The AVX2 kernel: unfilters the row's start, as far as whole vectors go,
// and returns how many bytes it finished (a pixel boundary).
size_t unfilterRowStartAvx2(uint8_t* out, const uint8_t* in, const uint8_t* above, size_t rowBytes,
                            int bytesPerPixel, int filter);

struct PngRowBuilder {
  uint8_t* out;          // packed rows, top row first
  size_t rowBytes;       // width * bytesPerPixel, without the filter byte
  int bytesPerPixel;     // 3 or 4
  int32_t height;
  int32_t rowsDone = 0;  // rows complete and unfiltered
  size_t fill = 0;       // bytes of the current row received
  int filter = -1;       // filter of the current row; -1 until its filter byte arrives

  // Takes the next decompressed bytes. Bytes after the last row are ignored.
  void feed(const uint8_t* bytes, size_t count);
  bool complete() const { return rowsDone >= height; }
};
