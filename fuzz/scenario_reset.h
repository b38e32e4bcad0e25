// Shared by the fuzz targets that play scenarios or read files: back to a
// fresh scenario state between inputs, and a scratch folder for the files.
// Unlike engineStateClear the reset leaves the large frame buffers alone: they
// do not steer the scenario, and clearing 50 MB per input would slow the
// fuzzer tenfold. The new game each target starts next (rOPGstartsina) closes
// the file and clears the flags, the design size and the platform.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "scenario/seen_text.h"

inline void resetScenarioState() {
  KeyWait = NoWait = SceneNum = 0;
  gSaveFlag = 0;
  std::memset(siori, 0, sizeof siori);
  HaikeiCG = HaikeiCGtype = KoukeiCG = KoukeiCGtype = ZenkeiCG = ZenkeiCGtype = 0;
  std::memset(CharaCG, 0, sizeof CharaCG);
  std::memset(CharaCGtype, 0, sizeof CharaCGtype);
  CharaIchi = 0;
  FaceCG = 0;
  CgBright = CgBrighttype = cgChange = 0;
  MsgColor = MsgFont = 0;
  SelectMode = 0;
  SelectNow = 0;
  SystemMode = 0;
  gNextTickCount = 0;
  menumode = 1;
  keypush = 0;
  rSPGbegin();  // lines, choices, background, cache
  seenTextForget();
}

// Each target's files go to a scratch folder of its own (a path ending in
// '/'), removed at exit; the current directory is left alone so that the
// fuzzer's relative paths stay valid.
inline const std::string& scratchFolder(const char* pattern) {
  static char dir[64];
  static const std::string folder = [pattern] {
    std::snprintf(dir, sizeof dir, "%s", pattern);
    if (!mkdtemp(dir)) std::abort();
    std::atexit([] { std::filesystem::remove_all(dir); });
    return std::string(dir) + "/";
  }();
  return folder;
}

inline std::string scratchScenarioPath(const char* pattern) { return scratchFolder(pattern) + "sinario.txt"; }
