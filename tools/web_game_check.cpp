#include "web_game_check.h"

#include <cstdio>
#include <string>

#include "lint.h"

// Errors only: warnings (scenes nothing reaches, say) do not keep a game
// that starts and plays from being published.
bool gameFolderHasErrors(const std::string& dir) {
  const LintSummary summary = lintGameFolder(dir, "sinario.txt", stdout, false);
  if (!summary.readable) {
    const char* slash = !dir.empty() && dir.back() != '/' ? "/" : "";
    std::printf("%s%ssinario.txt: not found or unreadable; the game cannot start without it\n",
                dir.c_str(), slash);
    return true;
  }
  return summary.errors > 0;
}
