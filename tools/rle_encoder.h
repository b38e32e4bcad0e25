// Authoring side of the run-length picture format.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct RleKey {
  uint8_t r, g, b;
};

// Encodes a picture of `width` x 480 pixels (packed RGB, top row first;
// width 640 for backgrounds, 320 for characters). Pixels of the key colour
// become skip commands; the rest are reproduced within the format's loss.
std::vector<uint8_t> rleEncode(const uint8_t* rgb, int width, std::optional<RleKey> key);

// Largest channel difference a repeat may leave between the colour it
// repeats and a pixel it covers.
constexpr int kRleRepeatTolerance = 2;
