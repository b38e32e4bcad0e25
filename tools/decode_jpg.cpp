// `decode jpg`: the picture exactly as the player decodes it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "image/jpeg_decoder.h"
#include "scenario/engine_state.h"
#include "tool.h"

int decodeJpg(const char* in, const char* out) {
  std::string file;
  if (!readWholeFile(in, file)) {
    std::fprintf(stderr, "tavino-tool decode: cannot read %s\n", in);
    return 1;
  }
  // The player reads no more of a picture file than this.
  if (file.size() > size_t(kMaxFileRead)) file.resize(kMaxFileRead);

  std::vector<uint8_t> bottomUp(kWorkBufferSize);
  JpegPicture picture;
  const JpegError error = jpegDecode(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                     bottomUp.data(), bottomUp.size(), picture);
  if (error != JpegError::None) {
    std::fprintf(stderr, "tavino-tool decode: %s: refused: %s\n", in, jpegErrorText(error));
    return 1;
  }

  const size_t rowBytes = size_t(picture.width) * 3;
  std::vector<uint8_t> topDown(rowBytes * size_t(picture.height));
  for (int32_t r = 0; r < picture.height; r++)
    std::copy_n(bottomUp.begin() + rowBytes * size_t(picture.height - 1 - r), rowBytes,
                topDown.begin() + rowBytes * r);
  if (!writePpm(out, topDown.data(), picture.width, picture.height)) {
    std::fprintf(stderr, "tavino-tool decode: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
