// Helpers shared by the picture tests: pixels of the composition buffer, a
// BMP writer, and running the decode tools.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_support.h"

using Bytes = std::vector<uint8_t>;

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const Rgb& c) {
  return o << '(' << int(c.r) << ',' << int(c.g) << ',' << int(c.b) << ')';
}

// Byte that marks composition-buffer pixels no one drew.
constexpr uint8_t kFill = 0x5A;
constexpr Rgb kUntouched{kFill, kFill, kFill};
void fillFrame(uint8_t value = kFill);
Rgb pixelAt(int x, int y);  // of gHaikeiBits
inline bool untouched(int x, int y) { return pixelAt(x, y) == kUntouched; }

Bytes toBytes(const std::string& s);

// A 40-byte-header BMP with its pixels at byte 54 and padding bytes that are
// not zero. `pixel` gets y counted from the top; 16 bits keep 5-5-5 with the
// top bit of `fourth` as their unused bit; 32 bits store `fourth` as the fourth byte.
Bytes makeBmp(int width, int height, int bits, const std::function<Rgb(int x, int y)>& pixel,
              bool topDown = false, uint8_t fourth = 0);

// A run-length stream: grey (100, 100, 100), then repeats over `positions` in all.
Bytes greyRunLength(int positions);

// `tavino-tool <args>` with standard error merged into the output.
CommandResult runTool(const std::string& args);
// `tavino-tool decode <format> <in> out.ppm`, which must succeed; the picture written.
PpmImage decodeWithTool(const std::string& format, const std::string& in);
// The tool refuses: exit 1, one line on standard error naming `mention`, no output file.
void expectToolRefusal(const std::string& args, const std::string& outFile, const std::string& mention = "");
