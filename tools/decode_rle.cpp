// tavino-tool decode rle: the 640 x 480 background as layer code 0 draws it
// onto a black buffer.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "image/rle.h"
#include "scenario/engine_state.h"
#include "tool.h"

int decodeRle(const char* in, const char* out) {
  std::string bytes;
  if (!readWholeFile(in, bytes)) {
    std::fprintf(stderr, "tavino-tool decode: cannot read %s\n", in);
    return 1;
  }
  std::vector<uint8_t> frame(kFrameBytes, 0);
  // The player reads no more than this much of any picture file.
  const int64_t length = std::min<int64_t>(int64_t(bytes.size()), kMaxFileRead);
  rleDraw(frame.data(), reinterpret_cast<const uint8_t*>(bytes.data()), length, 0);

  constexpr int kW = 640;
  std::vector<uint8_t> picture(size_t(kW) * kRleRows * 3);
  for (int y = 0; y < kRleRows; y++) {
    std::copy_n(frame.data() + size_t(y) * kFrameStride, kW * 3, picture.data() + size_t(y) * kW * 3);
  }
  if (!writePpm(out, picture.data(), kW, kRleRows)) {
    std::fprintf(stderr, "tavino-tool decode: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
