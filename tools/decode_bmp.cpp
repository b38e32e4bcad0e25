// tavino-tool decode bmp: the picture after the player's conversion, as a
// width x height PPM. Rows a short file does not hold come out black.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "scenario/engine_state.h"
#include "tool.h"

namespace {

int refuse(const char* in, const char* why) {
  std::fprintf(stderr, "tavino-tool decode: %s: %s\n", in, why);
  return 1;
}

}  // namespace

int decodeBmp(const char* in, const char* out) {
  std::string bytes;
  if (!readWholeFile(in, bytes)) return refuse(in, "cannot read the file");
  const int32_t n = int32_t(std::min<size_t>(bytes.size(), kMaxFileRead));
  std::memcpy(gfilework, bytes.data(), size_t(n));

  BmpPicture pic;
  switch (bmpConvert(n, pic)) {
    case BmpStatus::NotBmp: return refuse(in, "not a BMP file (no \"BM\" signature)");
    case BmpStatus::UnsupportedDepth:
      return refuse(in, "unsupported bits per pixel (16, 24 and 32 are drawn)");
    case BmpStatus::Ok: break;
  }
  if (pic.width == 0 || pic.height == 0) return refuse(in, "the picture has no pixels");
  if (int64_t(pic.width) * pic.height > 64 * 1024 * 1024) return refuse(in, "the picture is too large to write");

  const size_t rowBytes = size_t(pic.width) * 3;
  std::vector<uint8_t> rgb(rowBytes * size_t(pic.height), 0);
  // Working layout: bottom held row first, pixels B, G, R.
  for (int32_t i = 0; i < pic.rowsHeld; i++) {
    const uint8_t* src = pic.rows + size_t(i) * rowBytes;
    uint8_t* dst = rgb.data() + size_t(pic.topRow + pic.rowsHeld - 1 - i) * rowBytes;
    for (int32_t c = 0; c < pic.width; c++, src += 3, dst += 3) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
  }
  if (!writePpm(out, rgb.data(), pic.width, pic.height)) return refuse(out, "cannot write the file");
  return 0;
}
