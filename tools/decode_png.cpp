// Placeholder until this command is built.
#include <cstdio>

#include "tool.h"

int decodePng(const char*, const char*) {
  std::fprintf(stderr, "tavino-tool decode: not available yet\n");
  return 2;
}
