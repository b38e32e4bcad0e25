// Placeholder until this command is built.
#include <cstdio>

#include "tool.h"

int toolRc(int, char**) {
  std::fprintf(stderr, "tavino-tool: not available yet\n");
  return 2;
}
