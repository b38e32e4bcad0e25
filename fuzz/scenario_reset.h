// Shared by the scenario fuzz targets: back to a fresh scenario state between
// inputs. Unlike engineStateClear this leaves the large frame buffers alone:
// they do not steer the scenario, and clearing 50 MB per input would slow the
// fuzzer tenfold.
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
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  KeyWait = NoWait = SceneNum = 0;
  gSaveFlag = 0;
  std::memset(siori, 0, sizeof siori);
  std::memset(gFlag1, 0, sizeof gFlag1);
  std::memset(gFlag8, 0, sizeof gFlag8);
  std::memset(gFlag16, 0, sizeof gFlag16);
  std::memset(gFlag32, 0, sizeof gFlag32);
  gFlag1Now = gFlag8Now = gFlag16Now = gFlag32Now = 0;
  HaikeiCG = HaikeiCGtype = KoukeiCG = KoukeiCGtype = ZenkeiCG = ZenkeiCGtype = 0;
  std::memset(CharaCG, 0, sizeof CharaCG);
  std::memset(CharaCGtype, 0, sizeof CharaCGtype);
  CharaIchi = 0;
  FaceCG = 0;
  CgBright = CgBrighttype = cgChange = 0;
  MsgColor = MsgFont = 0;
  SelectMode = 0;
  SelectNow = 0;
  SystemSizeW = SystemSizeH = KisyuMode = 0;
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
