#include <cstdio>
#include <cstring>

#include "tool.h"

int toolDecode(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavino-tool decode bmp|rle|png|jpg IN OUT\n");
    return 2;
  }
  const char* format = argv[0];
  if (std::strcmp(format, "bmp") == 0) return decodeBmp(argv[1], argv[2]);
  if (std::strcmp(format, "rle") == 0) return decodeRle(argv[1], argv[2]);
  if (std::strcmp(format, "png") == 0) return decodePng(argv[1], argv[2]);
  if (std::strcmp(format, "jpg") == 0) return decodeJpg(argv[1], argv[2]);
  std::fprintf(stderr, "tavino-tool decode: unknown format '%s' (bmp, rle, png, jpg)\n", format);
  return 2;
}
