// Run-length pictures: a byte stream of colour, repeat, pair and skip
// commands over a fixed 640 x 480 frame geometry, rows stored bottom-up.
#pragma once

#include <cstdint>

constexpr int32_t kRleRows = 480;
constexpr uint8_t kRleRepeat = 3;  // 3, N: N + 1 positions of the current colour
constexpr uint8_t kRlePair = 5;    // 5, N: 2N + 2 pair steps
constexpr uint8_t kRleSkip = 7;    // 7, N: N + 1 positions left alone

// First buffer column and width of the picture for layer codes 0..3;
// false for any other code (nothing is drawn for it).
bool rleGeometry(uint32_t layer, int32_t& x, int32_t& width);

struct RleColour {
  uint8_t r, g, b;
};
// Luma and chroma to RGB in double precision, each channel truncated and
// clamped to 0..255.
RleColour rleColour(uint8_t y, uint8_t cb, uint8_t cr);

// Decodes `length` bytes of stream onto dst by the layer's geometry. Stops
// where the stream ends: positions it does not reach keep their pixels.
void rleDraw(uint8_t* dst, const uint8_t* stream, int64_t length, uint32_t layer);
