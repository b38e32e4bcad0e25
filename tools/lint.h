// Checking a game folder the way the player would read it.
#pragma once

#include <cstdio>
#include <string>

struct LintSummary {
  bool readable = false;  // the first scenario file could be read
  int errors = 0;         // what the player refuses, misreads or shows wrongly
  int warnings = 0;       // likely slips the player runs through (scenes nothing reaches)
};

// Lints the game in `dir` ("" for the current directory) from its scenario
// file `scenario`, following SINARIO.READ into the files it names. Each
// finding goes to `out` as one "FILE:LINE: finding" line (warnings read
// "FILE:LINE: warning: finding", and are only counted when `printWarnings`
// is false); nothing is written when `out` is null. Safe on any folder
// contents. A game is fit to ship when the summary is readable with no errors.
LintSummary lintGameFolder(const std::string& dir, const std::string& scenario, std::FILE* out,
                           bool printWarnings = true);
