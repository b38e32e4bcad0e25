// Small helpers shared by the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The whole file, or nothing when it cannot be read.
inline std::vector<uint8_t> readAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

// The benchmark pictures, made once per run: a 1920 x 1080 4:2:0 JPEG
// photograph, and 1920 x 1080 PNG photographs with 3 or 4 channels (the
// RGBA one opaque in a disc, fading out around it).
const std::vector<uint8_t>& benchJpegPhotograph();
const std::vector<uint8_t>& benchPngPhotograph(int channels);
