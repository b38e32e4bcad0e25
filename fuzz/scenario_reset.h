// Shared by the scenario fuzz targets: back to a fresh scenario state between
// inputs. Unlike engineStateClear this leaves the large frame buffers alone:
// they do not steer the scenario, and clearing 50 MB per input would slow the
// fuzzer tenfold. The new game each target starts next (rOPGstartsina) closes
// the file and clears the flags, the design size and the platform.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The scenario goes to a scratch folder of its own, removed at exit; the
// current directory is left alone so that the fuzzer's relative paths stay valid.
inline std::string scratchScenarioPath(const char* pattern) {
  static char dir[64];
  std::snprintf(dir, sizeof dir, "%s", pattern);
  if (!mkdtemp(dir)) std::abort();
  std::atexit([] {
    std::remove((std::string(dir) + "/sinario.txt").c_str());
    rmdir(dir);
  });
  return std::string(dir) + "/sinario.txt";
}
