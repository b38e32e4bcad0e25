// The background JPEG loader: read, decode into gdata (bottom row first),
// leave a top-down copy in the decoded-image cache, draw on layer 0.
#include <cstdlib>
#include <cstring>

#include "display/display.h"
#include "image/blit.h"
#include "image/jpeg_decoder.h"
#include "image/jpeg_tables.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "scenario/engine_state.h"

namespace {

// The cache wants rows top-down; gdata holds them bottom-up.
void cacheDecodedPicture(int32_t number, int32_t width, int32_t height) {
  const int32_t entry = cash_put2(number);
  if (entry < 0) return;
  const size_t rowBytes = size_t(width) * 3;
  const size_t bytes = rowBytes * size_t(height);
  auto* block = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
  if (!block) {
    std::puts("memory error");
    cacheRelease(entry);
    return;
  }
  for (int32_t r = 0; r < height; r++)
    std::memcpy(block + rowBytes * r, gdata + rowBytes * size_t(height - 1 - r), rowBytes);
  cashimg_CG2[entry] = block;
  cash_width2[entry] = width;
  cash_height2[entry] = height;
  cash_dotsize2[entry] = 3;
}

}  // namespace

void rOPGjpg(uint8_t* dst, int32_t number, uint32_t layer) {
  jpegBuildBitTable();
  const int32_t bytes = readPictureFile("%s%d.jpg", number);
  if (bytes < 0) return;

  JpegPicture picture;
  const JpegError error = jpegDecode(gfilework, size_t(bytes), gdata, sizeof gdata, picture);
  if (error == JpegError::NotJpeg) {
    std::memset(dst, 0, 391680);  // 68 rows of the frame pitch
    return;
  }
  if (error != JpegError::None) {
    jpegPrintMessage(error, number);
    return;
  }

  cacheDecodedPicture(number, picture.width, picture.height);
  if (layer != 0) return;
  const BlitSource source{gdata, picture.width, picture.height, 3, PixelOrder::RGB,
                          RowOrder::BottomUp};
  blitPicture(dst, source, 0, picture.height, BlitMode::Opaque);
}
