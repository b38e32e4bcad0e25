#include "web_game_check.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text/font_layout.h"
#include "tool.h"

namespace {

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool gameFolderHasErrors(const std::string& dir) {
  const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  // Without its scenario the game has nothing to start, and without the
  // default font no text would show.
  bool errors = false;
  for (const char* needed : {"sinario.txt", fontFileName(0)}) {
    if (!isFile(prefix + needed)) {
      std::printf("%s%s: not found; the game cannot start without it\n", prefix.c_str(), needed);
      errors = true;
    }
  }
  if (errors) return true;
  // The scenario check proper: what lint reports.
  std::string dirArg = prefix;
  std::vector<char*> args = {const_cast<char*>("--dir"), dirArg.data()};
  std::fflush(stdout);
  return toolLint(int(args.size()), args.data()) != 0;
}
