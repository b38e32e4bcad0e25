// `tavino-tool decode png IN OUT`: the picture exactly as the player decodes
// it, as PPM (RGB) or PAM (RGBA).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "image/png_decode.h"
#include "scenario/engine_state.h"
#include "tool.h"

int decodePng(const char* in, const char* out) {
  std::string bytes;
  if (!readWholeFile(in, bytes)) {
    std::fprintf(stderr, "tavino-tool decode: cannot read %s\n", in);
    return 1;
  }
  // The player reads at most this much of a picture file.
  const size_t n = std::min(bytes.size(), size_t(kMaxFileRead));
  std::memcpy(gfilework, bytes.data(), n);

  PngInfo info;
  switch (decodePngPicture(n, info)) {
    case PngStatus::Ok:
      break;
    case PngStatus::NotPng:
      std::fprintf(stderr, "tavino-tool decode: %s: not a PNG file\n", in);
      return 1;
    case PngStatus::Unsupported:
      std::fprintf(stderr,
                   "tavino-tool decode: %s: unsupported PNG (bit depth %d, colour type %d, "
                   "interlace %d); only 8-bit RGB and RGBA, not interlaced\n",
                   in, info.bitDepth, info.colourType, info.interlace);
      return 1;
    case PngStatus::TooLarge:
      std::fprintf(stderr, "tavino-tool decode: %s: picture size %ux%u is empty or too large\n",
                   in, unsigned(info.width), unsigned(info.height));
      return 1;
    case PngStatus::NoHeader:
      std::fprintf(stderr, "tavino-tool decode: %s: no IHDR chunk\n", in);
      return 1;
    case PngStatus::BadStream:
      std::fprintf(stderr, "tavino-tool decode: %s: damaged image data (%s)\n", in,
                   inflateStatusText(info.stream));
      return 1;
    case PngStatus::MissingRows:
      std::fprintf(stderr, "tavino-tool decode: %s: image data ends after %d of %d rows\n", in,
                   int(info.rowsDecoded), int(info.height));
      return 1;
  }
  const bool ok = info.bytesPerPixel == 4
                      ? writePam(out, gfilework, info.width, info.height)
                      : writePpm(out, gfilework, info.width, info.height);
  if (!ok) {
    std::fprintf(stderr, "tavino-tool decode: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
