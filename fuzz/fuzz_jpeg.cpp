// Any bytes through the JPEG decoder: it must stay inside the file and its
// output buffer. Input larger than the player's read limit is cut like a file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/jpeg_decoder.h"
#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > size_t(kMaxFileRead)) size = kMaxFileRead;
  // An exact-size copy, so that a read past the end is caught.
  std::vector<uint8_t> file(data, data + size);
  JpegPicture picture;
  jpegDecode(file.data(), file.size(), gdata, sizeof gdata, picture);
  return 0;
}
