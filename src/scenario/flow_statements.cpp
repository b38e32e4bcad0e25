// Flow statements: jumps, waits, scene marks, stage clearing and switching
// to another scenario file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/display.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/flow.h"
#include "scenario/reader.h"
#include "scenario/rollback.h"
#include "scenario/scenario.h"
#include "scenario/statements.h"

uint32_t gWaitLimitMs = 0x7FFFFFFF;

int32_t stmtGoto(const char* arg) {
  rCPGgetsina(std::atoi(arg));
  return 1;
}

int32_t stmtKeyWait(const char*) {
  gSaveFlag = 0;
  rGame(cgChange);
  noteWaitingStatement();
  return NoWait ? 0 : 1;
}

int32_t stmtNoWait(const char* arg) {
  gSaveFlag = 1;
  NoWait = std::atoi(arg);
  rGame(cgChange);
  return 0;
}

int32_t stmtWait(const char* arg) {
  gSaveFlag = 1;
  int64_t d = int64_t{std::atoi(arg)} * 1000;
  if (d <= 0) return 0;
  if (d > gWaitLimitMs) d = gWaitLimitMs;
  rGame(0);
  resetTickCount();
  gNextTickCount = getTickCount() + static_cast<uint32_t>(d);
  // Skipping ends a timed wait at once.
  while (getTickCount() < gNextTickCount && skipState() == 0) {
    // A quit request ends the wait; platformPollQuit remembers it so the
    // main loop ends the program after its pass.
    if (platformPollQuit()) break;
    platformDelay(1);  // the deadline only needs millisecond accuracy
  }
  return 0;
}

int32_t stmtScene(const char* arg) {
  gSaveFlag = 0;
  SceneNum = std::atoi(arg);
  CgBright = 0;
  HaikeiCG = KoukeiCG = ZenkeiCG = 0;
  SelectMode = 0;
  NoWait = 0;
  cgChange = 1;
  return 0;
}

int32_t stmtGamen(const char*) {
  std::memset(CharaCG, 0, sizeof CharaCG);
  FaceCG = 0;
  for (int i = 0; i < 4; i++) std::memset(messageLine(i), 0, kLineBytes);
  CharaIchi = 0;
  MsgColor = 0;
  resetTickCount();
  gNextTickCount = 0;
  cgChange = 1;
  return 0;
}

int32_t stmtSinarioRead(const char* arg) {
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  rSPGbegin();
  setScenarioPath(arg);
  rCPGgetsina(0);
  return 1;
}
