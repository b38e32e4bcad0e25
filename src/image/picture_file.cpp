#include "image/picture_file.h"

#include <cstdio>

#include "scenario/engine_state.h"

int32_t readPictureFile(const char* pattern, int32_t number) {
  char path[1100];
  std::snprintf(path, sizeof path, pattern, MyAppDir, number);
  FILE* f = std::fopen(path, "rb");
  if (!f) return -1;
  size_t n = std::fread(gfilework, 1, kMaxFileRead, f);
  std::fclose(f);
  return static_cast<int32_t>(n);
}
