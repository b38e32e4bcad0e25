// Helpers shared by the range coder, font, choice and menu tests: range-coded
// font streams, the demo font, and counting text colour in recorded frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/range_coder.h"

inline std::vector<uint8_t> rcEncode(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(mem_encode_bound(in.size()));
  out.resize(size_t(mem_encode(out.data(), in.data(), int(in.size()))));
  return out;
}

// Copies the demo font (when the build made one) into dir; false without it.
inline bool installDemoFont(const std::string& dir) {
  if (!fileExists(TAVINO_FONT)) return false;
  writeFile(dir + "/pelorune96.dat", readFile(TAVINO_FONT));
  return true;
}

// Pixels of exactly `rgb` in [x0, x1) x [y0, y1), clipped to the frame.
inline int inkIn(const PpmImage& f, int x0, int y0, int x1, int y1, uint32_t rgb = 0) {
  int n = 0;
  for (int y = y0; y < y1 && y < f.height; y++)
    for (int x = x0; x < x1 && x < f.width; x++) {
      const uint8_t* p = f.at(x, y);
      n += (uint32_t(p[0]) << 16 | p[1] << 8 | p[2]) == rgb;
    }
  return n;
}
