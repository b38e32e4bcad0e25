#include "support/image_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "display/composition_memo.h"
#include "image/rle.h"
#include "scenario/engine_state.h"

void fillFrame(uint8_t value) {
  std::memset(gHaikeiBits, value, kFrameBytes);
  forgetComposition();
}

Rgb pixelAt(int x, int y) {
  const uint8_t* p = framePixel(gHaikeiBits, x, y);
  return {p[0], p[1], p[2]};
}

Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes makeBmp(int width, int height, int bits, const std::function<Rgb(int, int)>& pixel, bool topDown,
              uint8_t fourth) {
  const size_t stride = (size_t(width) * (bits / 8) + 3) & ~size_t(3);
  Bytes v(54 + stride * height, 0xEE);
  auto put = [&](size_t at, uint32_t x, int n) {
    for (int i = 0; i < n; i++) v[at + i] = uint8_t(x >> (8 * i));
  };
  v[0] = 'B', v[1] = 'M';
  put(2, uint32_t(v.size()), 4), put(10, 54, 4), put(14, 40, 4), put(18, uint32_t(width), 4);
  put(22, uint32_t(topDown ? -height : height), 4), put(26, 1, 2), put(28, uint32_t(bits), 2), put(30, 0, 4);
  for (int s = 0; s < height; s++)
    for (int x = 0; x < width; x++) {
      const Rgb c = pixel(x, topDown ? s : height - 1 - s);
      const size_t at = 54 + stride * s + size_t(x) * (bits / 8);
      if (bits == 16) {
        put(at, uint32_t(fourth & 0x80) << 8 | uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | uint32_t(c.b >> 3), 2);
      } else {
        v[at] = c.b, v[at + 1] = c.g, v[at + 2] = c.r;
        if (bits == 32) v[at + 3] = fourth;
      }
    }
  return v;
}

Bytes greyRunLength(int positions) {
  Bytes s = {128, 100, 128};
  for (int i = 0; i < positions / 256; i++) s.insert(s.end(), {kRleRepeat, 255});
  return s;
}

CommandResult runTool(const std::string& args) { return runCommand(std::string(TAVINO_TOOL) + " " + args + " 2>&1"); }

PpmImage decodeWithTool(const std::string& format, const std::string& in) {
  const CommandResult r = runTool("decode " + format + " " + in + " out.ppm");
  EXPECT_EQ(r.status, 0) << r.output;
  PpmImage image;
  EXPECT_TRUE(readPpm("out.ppm", image));
  return image;
}

void expectToolRefusal(const std::string& args, const std::string& outFile, const std::string& mention) {
  const CommandResult r = runCommand(std::string(TAVINO_TOOL) + " " + args + " 2>&1 >/dev/null");
  EXPECT_EQ(r.status, 1) << args;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find(mention), std::string::npos) << r.output;
  EXPECT_FALSE(fileExists(outFile)) << args;
}
