// The background JPEG loader: read, decode into gdata (bottom row first),
// leave a top-down copy in the decoded-image cache, draw on layer 0.
#include <cstring>

#include "display/display.h"
#include "image/blit.h"
#include "image/jpeg_decoder.h"
#include "image/jpeg_tables.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "scenario/engine_state.h"

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

  cacheStorePicture(number, gdata, picture.width, picture.height, 3, /*bottomUp=*/true);
  if (layer != 0) return;
  const BlitSource source{gdata, picture.width, picture.height, 3, PixelOrder::RGB,
                          RowOrder::BottomUp};
  blitPicture(dst, source, 0, picture.height, BlitMode::Opaque);
}
