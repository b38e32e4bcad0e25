// The two resets: the display reset and the start of a new game.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "scenario/scenario.h"

void rSPGbegin() {
  std::memset(CharaCG, 0, sizeof CharaCG);
  CharaIchi = 0;
  FaceCG = 0;
  for (int i = 0; i < 4; i++) std::memset(messageLine(i), 0, kLineBytes);
  for (int i = 0; i < 6; i++) std::memset(selectLine(i), 0, kLineBytes);
  std::memset(SelectGoto, 0, sizeof SelectGoto);
  HaikeiCG = 0;
  HaikeiCGtype = 0xFFFFFF;  // plain white
  cacheFreeAll();
  cashok = 0;
  gNextTickCount = 0;
}

void rOPGstartsina() {
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  SystemSizeW = 1920;
  SystemSizeH = 1080;
  KisyuMode = 7;
  std::memset(gFlag1, 0, sizeof gFlag1);
  std::memset(gFlag8, 0, sizeof gFlag8);
  std::memset(gFlag16, 0, sizeof gFlag16);
  std::memset(gFlag32, 0, sizeof gFlag32);
  gFlag1Now = gFlag8Now = gFlag16Now = gFlag32Now = 0;
  clearHistoryAndRollback();
  rCPGgetsina(0);
}
