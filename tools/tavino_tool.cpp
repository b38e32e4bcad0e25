// tavino-tool: authoring and testing companion of the player.
#include <cstdio>
#include <cstring>

#include "tool.h"

namespace {

struct Subcommand {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* usage;
};

const Subcommand kSubcommands[] = {
    {"play", toolPlay,
     "play [--dir DIR] [--mode N] [--keys LIST] [--frames OUTDIR] [--state FILE]"},
    {"decode", toolDecode, "decode bmp|rle|png|jpg IN OUT"},
    {"rle", toolRle, "rle encode IN.ppm OUT [--layer 0|1|2|3] [--key RRGGBB]"},
    {"font", toolFont, "font build --ttf FILE OUT [--raw] [--size PX]"},
    {"rc", toolRc, "rc encode|decode IN OUT"},
    {"lint", toolLint, "lint [--dir DIR] [--werror] [FILE]"},
    {"graph", toolGraph, "graph [--dir DIR] [FILE] [-o OUT.dot|OUT.svg|OUT.png]"},
    {"new", toolNew, "new DIR"},
    {"web", toolWeb, "web GAME_DIR OUT_DIR [--mode N] [--player DIR]"},
    {"soak", toolSoak, "soak [--dir DIR] [--mode N] [--seed N] [--inputs N] [--checkpoint N]"},
};

int usage() {
  std::fprintf(stderr, "usage: tavino-tool COMMAND ...\n");
  for (const Subcommand& s : kSubcommands) std::fprintf(stderr, "  tavino-tool %s\n", s.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(argv[1], s.name) == 0) return s.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "tavino-tool: unknown command '%s'\n", argv[1]);
  return usage();
}
